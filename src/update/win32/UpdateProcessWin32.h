// Starting the other copy of the program in the update hand-over.
#pragma once

#include <string>

// Starts commandLine with inheritable handles passed on, not waiting for it;
// false with the system's error left in GetLastError when it cannot start.
bool StartProgramLine(std::string commandLine);
