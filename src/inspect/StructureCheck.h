// The structure check (orvane-dump --check): a report that goes on past
// every fault.
// One line per finding, "offset N: WHERE: REASON", in the order the walk
// meets them (overlaps last), then a count line.
#pragma once

#include <ostream>
#include <string>

// 0 no problems, 1 problems found, 2 the file cannot be read (text on err).
int RunStructureCheck(const std::string& path, std::ostream& out, std::ostream& err);
