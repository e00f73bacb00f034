// The manual window: one page with the news of the live update, a table of
// contents that jumps within the page, and the manual's sections.
#pragma once

#include <string>

inline constexpr char ManualCaption[] = "Orvane Manual";

// The page; the news is inserted unchanged and must be in the engine's subset.
std::string BuildManualPageText(const std::string& latestNews);
