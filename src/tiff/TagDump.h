// The plain-text listing of the loaded page's tags that goes on the clipboard
// and into orvane-dump: one "Name (count Type): value" line per entry, each
// ending in CR LF, and a last line that says so when the directory is cut.
#pragma once

#include <cstdint>
#include <string>

#include "tiff/ValueLimits.h"

class TKvCodecTrnTiff;

void BuildTagDump(TKvCodecTrnTiff& reader, std::string& text);
std::string BuildTagDump(TKvCodecTrnTiff& reader);
// The same with another value text limit (orvane-dump --limit).
void BuildTagDump(TKvCodecTrnTiff& reader, std::string& text, std::uint32_t valueLimit);
