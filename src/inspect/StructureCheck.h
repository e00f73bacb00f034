// The conformance check (orvane-dump --check): a report that goes on past
// every fault. Each finding names its rule, severity, offset, directory and
// entry; as plain lines, "offset N: WHERE: SEVERITY [RULE]: REASON", in the
// order the walk meets them (overlaps last), then a count line; or as one
// JSON document.
#pragma once

#include <ostream>
#include <string>

#include "inspect/CheckReport.h"

// 0 no errors (and with options.Strict no warnings), 1 else, 2 the file
// cannot be read (text on err).
int RunStructureCheck(const std::string& path, const TCheckOptions& options, std::ostream& out,
                      std::ostream& err);
// The same check with the findings handed to a sink of the caller's.
int RunStructureCheck(const std::string& path, IFindingSink& findings, std::ostream& err);
