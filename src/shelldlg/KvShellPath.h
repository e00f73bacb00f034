// Which path texts may go to the shell's parsing of display names.
#pragma once

#include <string>

// Only fully qualified drive and network paths shorter than MAX_PATH: the
// shell fails on relative paths anyway, and it crashes on some others (under
// Wine a path that starts with a slash, as a Unix path does, faults inside
// the parsing). Device forms (\\?\, \\.\) are left out too.
bool ShellCanParse(const std::string& path);
