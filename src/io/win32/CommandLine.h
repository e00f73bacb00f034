// The program's arguments from the wide command line, in UTF-8: the ANSI
// argument vector turns names outside the code page into question marks.
#pragma once

#include <string>
#include <vector>

// The arguments after the program's own name.
std::vector<std::string> CommandLineArguments();
