// The About tab's page: banner, logo, the news of the live-update text and
// whether this version is up to date, with the link that starts the update.
#pragma once

#include <cstdint>
#include <string>

// "#" + the colour's red, green and blue as six upper-case hex digits; the
// colour is a Windows value 0x00BBGGRR.
std::string HtmlColourText(std::uint32_t colour);

// The page for the current live-update facts; windowColour is the main
// window's colour, which the page takes as its background.
std::string BuildAboutPageText(std::uint32_t windowColour);
std::string BuildAboutPageText(std::uint32_t windowColour, const std::string& news);

// The href of the About page's update link.
inline constexpr char UpdateHref[] = "update";

// Only these schemes (any letter case) go to the shell: news arrives over
// plain HTTP, and the shell would run a program path or a "file:" target.
bool IsShellSafeHref(const std::string& href);
