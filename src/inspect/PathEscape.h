// File names as text for the rows of a batch check. POSIX names are bytes:
// a name that is not valid UTF-8 still has to reach a JSON or CSV row, and
// a later run (--resume) has to read the very same bytes back from it.
#pragma once

#include <string>
#include <string_view>

// Valid UTF-8 sequences are kept; every other byte becomes \xHH (two
// upper-case hex digits), and a backslash becomes \\ so that a name that
// holds "\x41" itself reads back unchanged.
std::string EscapePathBytes(std::string_view bytes);

// The bytes EscapePathBytes was given; false for a text it cannot have made.
bool UnescapePathText(std::string_view text, std::string& bytes);
