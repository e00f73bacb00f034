// orvane-dump --json: the whole structure of the file as one JSON document,
// written page by page as it is read (tools/orvane-dump/orvane-dump.schema.json).
#pragma once

#include <ostream>

#include "DumpOptions.h"

// Exit code as the text output's: 0 everything read, 1 a failure somewhere
// (its text is in the document; an unreadable file also goes to err).
int RunJsonDump(const TDumpOptions& options, std::ostream& out, std::ostream& err);
