// A text picture of a laid-out document, one line per element, for the
// developer tool and for tests.
#pragma once

#include <string>

#include "html/KvHtml.h"

// The element tree: tag and box (x y width height) indented by depth; text
// runs and images list their items (kind, text, x, line top, baseline,
// width, suppressed).
std::string KvHtmlDumpTree(const TKvHtml& document);

// Runs the width pass and the height pass for width and prints
// "min A max B height H" followed by the tree. A failure raises.
std::string KvHtmlDumpLayout(TKvHtml& document, TKvHtmlCanvas& dc, std::int32_t width);
