// What each known tag may hold: its data types, its count and, for
// enumerated tags, its values. Data, not code: a tag is a line of a table.
#pragma once

#include <cstdint>
#include <span>

#include "tiff/KvTiffExifNames.h"
#include "tiff/TiffNames.h"

// How a tag's count is bounded.
enum class TCountRule : std::uint8_t {
    Any,         // at least one value
    Exact,       // Count values
    PerSample,   // SamplesPerPixel values (checked with the image)
    MultipleOf,  // a multiple of Count
    AtLeast,     // Count values or more
};

struct TTagForm {
    std::uint16_t Tag;
    std::uint32_t Types;  // bits by type code
    TCountRule How;
    std::uint16_t Count;
};

// The form of the tag in a directory of that kind; nullptr for tags the
// tables do not hold (private tags, pointers, which have rules of their own).
const TTagForm* FindTagForm(TTiffDirKind kind, std::uint16_t tag);
// Whether the type is allowed by the form; BigTIFF files may widen LONG to
// LONG8 and IFD to IFD8. (Inline: every entry of every page asks.)
inline bool TagTypeAllowed(const TTagForm& form, std::uint16_t type, bool bigTiff)
{
    std::uint32_t types = form.Types;
    if (bigTiff && (types & 1u << ttLong))
        types |= 1u << ttLong8;
    if (bigTiff && (types & 1u << ttIfd))
        types |= 1u << ttIfd8;
    return type < 32 && (types >> type & 1) != 0;
}

inline bool TagCountAllowed(const TTagForm& form, std::uint64_t count)
{
    switch (form.How) {
    case TCountRule::Any:
    case TCountRule::PerSample: return true;
    case TCountRule::Exact: return count == form.Count;
    case TCountRule::MultipleOf: return count % form.Count == 0;
    case TCountRule::AtLeast: return count >= form.Count;
    }
    return true;
}

// Values lo to hi, both included.
struct TValueRange {
    std::uint32_t Low, High;
};

inline bool InRanges(std::span<const TValueRange> ranges, std::uint64_t value)
{
    for (const TValueRange& range : ranges)
        if (value >= range.Low && value <= range.High)
            return true;
    return false;
}

// The values the tag may take there; empty when it is not enumerated.
std::span<const TValueRange> TagEnumeration(TTiffDirKind kind, std::uint16_t tag);
// Compression schemes readers know beyond TIFF 6.0's own.
std::span<const TValueRange> KnownCompressions();
