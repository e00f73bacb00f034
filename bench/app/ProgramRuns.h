// The viewer and orvane-dump as programs of their own, timed from their
// start, on the platforms whose programs the benchmark can start.
#pragma once

#include <string>

// Seconds from starting the viewer on the file until its window shows the
// final count of expectedPages; negative when it cannot be run here or the
// count is not shown within minutes.
double ViewerProgramCount(const std::string& path, unsigned expectedPages);
// Seconds from starting orvane-dump --page 1 on the file until it exits;
// negative when it cannot be run here or fails.
double DumpProgramRun(const std::string& path);
