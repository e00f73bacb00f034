// The program's command line from its wide form, in UTF-8: the ANSI
// argument vector turns names outside the code page into question marks.
#pragma once

#include <string>
#include <vector>

// Every word, the program's own name first, as the argument vector has it.
std::vector<std::string> CommandLineWords();

// The words after the program's own name.
std::vector<std::string> CommandLineArguments();
