// What each known tag may hold: its data types, its count and, for
// enumerated tags, its values. Data, not code: a tag is a line of a table.
#pragma once

#include <cstdint>

#include "tiff/KvTiffExifNames.h"

// How a tag's count is bounded.
enum class TCountRule : std::uint8_t {
    Any,         // at least one value
    Exact,       // Count values
    PerSample,   // SamplesPerPixel values (checked with the image)
    MultipleOf,  // a multiple of Count
    AtLeast,     // Count values or more
};

struct TTagSpec {
    std::uint16_t Tag;
    std::uint32_t Types;  // bits by type code
    TCountRule How;
    std::uint16_t Count;
};

// The spec of the tag in a directory of that kind; nullptr for tags the
// tables do not hold (private tags, pointers, which have rules of their own).
const TTagSpec* FindTagSpec(TTiffDirKind kind, std::uint16_t tag);
// Whether the type is allowed by the spec; BigTIFF files may widen LONG to
// LONG8 and IFD to IFD8.
bool TagTypeAllowed(const TTagSpec& spec, std::uint16_t type, bool bigTiff);
bool TagCountAllowed(const TTagSpec& spec, std::uint64_t count);

// Whether the tag's values are enumerated there, and whether value is one.
bool HasEnumeration(TTiffDirKind kind, std::uint16_t tag);
bool EnumValueAllowed(TTiffDirKind kind, std::uint16_t tag, std::uint64_t value);
// Compression schemes readers know beyond TIFF 6.0's own.
bool CompressionKnown(std::uint64_t value);
