// orvane-dump --decode and --extract: one tag's value decoded as text, or
// its bytes written to a file as they lie in the TIFF file.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "DumpOptions.h"

class TKvCodecTrnTiff;

// The entry of TAG (a code or a tag name) on the loaded page, or -1.
std::int32_t FindTagEntry(const TKvCodecTrnTiff& reader, const std::string& tag);

// Exit code as for the dump: 0 done, 1 the file, page, tag or value failed.
int RunDecodeOrExtract(const TDumpOptions& options, std::ostream& out, std::ostream& err);
