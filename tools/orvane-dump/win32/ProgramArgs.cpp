#include "ProgramArgs.h"

#include "io/win32/CommandLine.h"

std::vector<std::string> ProgramArguments(int, char**)
{
    return CommandLineArguments();
}
