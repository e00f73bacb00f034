#include <iostream>

#include "DumpTool.h"
#include "ProgramArgs.h"

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // Arguments arrive as UTF-8 (on Windows from the wide command line), as
    // the program's paths are; JSON goes out as UTF-8 too.
    const int code = RunOrvaneDump(ProgramArguments(argc, argv), std::cout, std::cerr);
    std::cout.flush();
    return code;
}
