// The program keeps every text that can hold a file name in UTF-8; the system
// is called through its wide functions, so names outside the ANSI code page
// survive. These are the only conversions between the two.
#pragma once

#include <string>
#include <string_view>

// UTF-16 of a UTF-8 text and back; invalid sequences become U+FFFD.
std::wstring WideText(std::string_view utf8);
std::string Utf8Text(std::wstring_view wide);
std::string Utf8Text(const wchar_t* wide);

// The absolute "\\?\" form of a path (UNC paths as "\\?\UNC\server\share"),
// which the file functions take beyond 260 characters. Relative parts, "."
// and ".." are resolved first, since the system leaves the form as written.
// Paths already in a device form are kept; empty when the path is invalid.
std::wstring ExtendedLengthPath(const std::wstring& path);

// ExtendedLengthPath of a UTF-8 path.
std::wstring SystemPath(const std::string& utf8Path);
