// Text pictures of a document: the laid-out element tree for the developer
// tool and tests, and the text a reader of the page sees.
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

// The page's words as a reader meets them: blanks between words, a line
// break (CR LF) at each block and each <br>, no pictures, no head. Empty
// until the document has been parsed (at its first layout).
std::string KvHtmlPlainText(const TKvHtml& document);
