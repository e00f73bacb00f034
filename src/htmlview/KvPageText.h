// Pieces shared by the program's own pages (the About tab and the manual):
// the same table grid, banner and heading style. Lines end with CR LF.
#pragma once

#include <initializer_list>
#include <string>

inline constexpr char PageHeadingStyle[] =
    "margin: 1.4em 0 .67em; font-weight: bold; color: rgb(255,102,0); font-size: 1.2em;";

std::string PageLines(std::initializer_list<std::string> lines);
std::string PageLink(const std::string& href, const std::string& title, const std::string& text);
std::string PageMailLink(const std::string& address);
// "<html>" and the body start tag with the given background ("#RRGGBB").
std::string PageStart(const std::string& background);
// The table with its nine columns (bar, gap, side, gap, bar, gap, main, gap,
// bar) and the banner and logo rows; Title goes right of the logo.
std::string PageBanner(const std::string& title, bool greyLogoCell);
std::string PageEnd();
