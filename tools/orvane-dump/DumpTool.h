// orvane-dump: the tag structure of a TIFF file as plain text, page by page,
// for scripts, CI pipelines and machines without a desktop.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the tool on the arguments (without the program name); returns the
// exit code: 0 every page read, 1 the file or a page could not be read,
// 2 wrong usage.
int RunOrvaneDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

extern const char* const OrvaneDumpUsage;
