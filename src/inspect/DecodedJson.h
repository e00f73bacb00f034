// The "decoded" member of a JSON entry: the decoded view of a page's value
// that holds nested data (GeoTIFF keys, ICC, XMP, IPTC, ...).
#pragma once

#include <cstdint>
#include <vector>

#include "tiff/KvTiffChildDirs.h"
#include "tiff/KvTiffDirReader.h"

class TKvJsonWriter;

// Writes nothing for a tag without a decoded view. value holds the
// entry's bytes in file order; dir is the page directory it belongs to.
void WriteDecodedMember(TKvTiffDirReader& raw, const TTiffWalkDir& dir, const TTiffRawEntry& entry,
                        const std::vector<std::uint8_t>& value, std::uint32_t pageCount,
                        TKvJsonWriter& json);
