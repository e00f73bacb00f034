// The program's arguments as UTF-8, whatever the system's code page.
#pragma once

#include <string>
#include <vector>

// Without the program name. On Windows they come from the wide command
// line, so paths outside the ANSI code page arrive intact.
std::vector<std::string> ProgramArguments(int argc, char** argv);
