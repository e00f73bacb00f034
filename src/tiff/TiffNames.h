// Names the reader shows for tag codes, data types and the values of the
// tags it renders by name.
#pragma once

#include <cstdint>
#include <string>

// TIFF data type codes.
enum TTiffType : std::uint32_t {
    ttNoType = 0,
    ttByte = 1,
    ttAscii = 2,
    ttShort = 3,
    ttLong = 4,
    ttRational = 5,
    ttSByte = 6,
    ttUndefined = 7,
    ttSShort = 8,
    ttSLong = 9,
    ttSRational = 10,
    ttFloat = 11,
    ttDouble = 12,
    ttIfd = 13,
    // BigTIFF only: 8-byte integers and directory offsets.
    ttLong8 = 16,
    ttSLong8 = 17,
    ttIfd8 = 18,
};

// Codes of the tags the reader and the structure check look at, or whose
// values have names.
enum TTiffTag : std::uint32_t {
    TagSubFileType = 254,
    TagImageWidth = 256,
    TagImageLength = 257,
    TagCompression = 259,
    TagPhotometric = 262,
    TagFillOrder = 266,
    TagStripOffsets = 273,
    TagOrientation = 274,
    TagSamplesPerPixel = 277,
    TagRowsPerStrip = 278,
    TagStripByteCounts = 279,
    TagXResolution = 282,
    TagYResolution = 283,
    TagPlanarConfig = 284,
    TagResolutionUnit = 296,
    TagTileWidth = 322,
    TagTileLength = 323,
    TagTileOffsets = 324,
    TagTileByteCounts = 325,
};

// Whether the type exists only in BigTIFF files (classic files show such
// codes as unknown ones).
inline bool TiffIsBigTiffType(std::uint32_t dataType)
{
    return dataType == ttLong8 || dataType == ttSLong8 || dataType == ttIfd8;
}

// Byte size of one value of the type; 0 for unknown codes. The BigTIFF
// types count only when bigTiff is set.
std::uint32_t TiffTypeSize(std::uint32_t dataType, bool bigTiff = false);

// The tag's name, or nullptr when the reader has none.
const char* TiffTagName(std::uint32_t tag);

void TiffDataTypeName(std::uint32_t dataType, std::string& text, bool bigTiff = false);
void TiffDataTypeNameLower(std::uint32_t dataType, std::string& text, bool bigTiff = false);

// Whether the tag's single value is shown by name (SubFileType, Compression,
// Photometric, FillOrder, Orientation, PlanarConfig, ResolutionUnit).
bool TiffIsNamedValueTag(std::uint32_t tag);
// The text of value v of such a tag.
void TiffNamedValue(std::uint32_t tag, std::uint32_t value, std::string& text);
