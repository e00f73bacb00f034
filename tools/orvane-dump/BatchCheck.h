// orvane-dump --check on many files: paths from the command line, from the
// folders below them and from standard input are checked on a few threads,
// each with a checker of its own, and each file's row is written as soon as
// it is done. Memory stays the same whatever the number of files: the walk
// hands paths to the threads through a queue of fixed size, and nothing of
// a file is kept after its row (but, with --resume, the paths done before).
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "inspect/CheckReport.h"

struct TBatchOptions {
    std::vector<std::string> Paths;  // files, folders, "-" for a list on standard input
    TCheckOptions Check;
    bool Csv = false;
    unsigned Jobs = 0;   // 0: one thread per core
    std::string Output;  // empty: standard output
    bool Resume = false;
};

// Returns the exit code: 2 when a file could not be read, else 1 when one
// had errors (with --strict, warnings), else 0; files that are not TIFF do
// not count.
int RunBatchCheck(const TBatchOptions& options, std::istream& in, std::ostream& err);
