#include "../ProgramRuns.h"

double ViewerProgramCount(const std::string&, unsigned)
{
    return -1;
}

double DumpProgramRun(const std::string&)
{
    return -1;
}
