// orvane-dump --map: what every byte of the file is (header, directory, tag
// value, image data, unaccounted, overlap), with the bytes of each class and
// every region with its owner.
#pragma once

#include <ostream>
#include <string>

#include "DumpOptions.h"

// False with the reason in error when --map comes with another option.
bool MapOptionsCompatible(const TDumpOptions& options, std::string& error);

// Exit code as for the dump: 0 done, 1 the file cannot be read.
int RunByteMap(const TDumpOptions& options, std::ostream& out, std::ostream& err);
