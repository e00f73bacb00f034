// The file of a million small pages that the count benchmarks share: one
// directory of one entry after the other, little-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TiffWriter.h"

inline constexpr std::uint32_t CompactPages = 1000000;

// The one entry each benchmark page carries.
std::vector<tiffw::TEntry> PageEntries(std::uint32_t page);
void WriteCompact(const std::string& path);
