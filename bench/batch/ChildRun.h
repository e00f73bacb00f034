// Runs a program as a child process and measures it: the benchmark needs
// the wall time and the peak memory of that one process, without the
// shell's or the benchmark's own.
#pragma once

#include <string>
#include <vector>

struct TChildRun {
    bool Started = false;
    int ExitCode = -1;  // -1 when it did not exit normally
    double Seconds = 0;
    double PeakMiB = 0;  // the child's peak resident size
};

// Runs argv[0] (searched on PATH) with the arguments, reading stdin from
// inFile and writing stdout and stderr to outFile and errFile ("" for
// /dev/null).
TChildRun RunChild(const std::vector<std::string>& argv, const std::string& inFile,
                   const std::string& outFile, const std::string& errFile);
// A shell command line, for the peers' pipelines; only its time counts.
TChildRun RunShell(const std::string& command);
