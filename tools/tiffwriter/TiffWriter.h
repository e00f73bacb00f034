// Writes TIFF files from a description in code, for tests, samples, fuzz seeds
// and benchmarks. Every field of the header, the directories and the entries
// can be set, including values that make a file broken: wrong marks, counts
// that lie, directories and values beyond the end, chains that loop.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace tiffw {

enum class TOrder { Little, Big };

// TIFF data type codes.
enum TType : std::uint16_t {
    tNoType = 0,
    tByte = 1,
    tAscii = 2,
    tShort = 3,
    tLong = 4,
    tRational = 5,
    tSByte = 6,
    tUndefined = 7,
    tSShort = 8,
    tSLong = 9,
    tSRational = 10,
    tFloat = 11,
    tDouble = 12,
    tIfd = 13,
    tLong8 = 16,
    tSLong8 = 17,
    tIfd8 = 18,
};

// One directory entry. The value is a list of units of UnitSize bytes each,
// written in the file's byte order; a value of up to 4 bytes (8 in BigTIFF)
// goes inline, a longer one out of line (after its directory, or at
// ValueOffset).
struct TEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::optional<std::uint64_t> Count;  // default: the number of values
    unsigned UnitSize = 1;               // 1, 2, 4 or 8
    unsigned UnitsPerValue = 1;          // 2 for the rational types
    std::vector<std::uint64_t> Units;
    std::optional<std::uint64_t> ValueOffset;  // out-of-line value placed here
    std::optional<std::uint64_t> Field;        // value field written verbatim, value not written
    bool ForceOutOfLine = false;
    // Values taken from where these directories (indices into TTiff::Ifds) are
    // laid out: pointers to child directories (SubIFDs, EXIF, GPS).
    std::vector<std::size_t> Targets;

    TEntry& At(std::uint64_t offset)
    {
        ValueOffset = offset;
        ForceOutOfLine = true;
        return *this;
    }
    TEntry& WithField(std::uint64_t field)
    {
        Field = field;
        return *this;
    }
    TEntry& PointingTo(std::vector<std::size_t> ifds);

    std::uint64_t ValueCount() const;
    std::uint64_t ValueBytes() const { return Units.size() * UnitSize; }
};

// Makes the entries of one type whose values are one unit each, the unit
// being the value's bytes: Short(tag, {1, 2}) and so on below, in classic
// and BigTIFF files alike.
template <TType Type, class T>
struct TEntryMaker {
    TEntry operator()(std::uint16_t tag, const std::vector<T>& values) const
    {
        TEntry entry;
        entry.Tag = tag;
        entry.Type = Type;
        entry.UnitSize = sizeof(T);
        for (T v : values) {
            if constexpr (std::is_floating_point_v<T>)
                entry.Units.push_back(
                    std::bit_cast<std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>(
                        v));
            else
                entry.Units.push_back(static_cast<std::make_unsigned_t<T>>(v));
        }
        return entry;
    }
};
inline constexpr TEntryMaker<tByte, std::uint8_t> Byte;
inline constexpr TEntryMaker<tUndefined, std::uint8_t> Undefined;
inline constexpr TEntryMaker<tSByte, std::int8_t> SByte;
inline constexpr TEntryMaker<tShort, std::uint16_t> Short;
inline constexpr TEntryMaker<tSShort, std::int16_t> SShort;
inline constexpr TEntryMaker<tLong, std::uint32_t> Long;
inline constexpr TEntryMaker<tSLong, std::int32_t> SLong;
inline constexpr TEntryMaker<tIfd, std::uint32_t> Ifd;
inline constexpr TEntryMaker<tFloat, float> Float;
inline constexpr TEntryMaker<tDouble, double> Double;
inline constexpr TEntryMaker<tLong8, std::uint64_t> Long8;
inline constexpr TEntryMaker<tSLong8, std::int64_t> SLong8;
inline constexpr TEntryMaker<tIfd8, std::uint64_t> Ifd8;

// The text plus its terminating zero.
TEntry Ascii(std::uint16_t tag, const std::string& text);
// Exactly the given bytes, no terminating zero added.
TEntry AsciiRaw(std::uint16_t tag, const std::string& bytes);
TEntry Rational(std::uint16_t tag, const std::vector<std::array<std::uint32_t, 2>>& values);
TEntry SRational(std::uint16_t tag, const std::vector<std::array<std::int32_t, 2>>& values);
// Any type code with a given count and no value bytes written (the field is 0
// unless set): unknown types, lying counts, values that are not there.
TEntry Bare(std::uint16_t tag, std::uint16_t type, std::uint64_t count);
// A Long pointer entry to child directories (indices into TTiff::Ifds).
TEntry Pointer(std::uint16_t tag, std::vector<std::size_t> ifds);

struct TIfd {
    std::optional<std::uint64_t> Offset;  // default: placed after what comes before
    std::vector<TEntry> Entries;
    std::optional<std::uint64_t> CountField;  // entry count written instead of the real one
    std::optional<std::uint64_t> Next;        // default: the following directory, 0 for the last
    // A child directory (reached through a pointer entry) is not part of the
    // page chain: no default next offset leads to it and its own is 0.
    bool Child = false;
};

// A directory that is not part of the page chain.
TIfd ChildIfd(std::vector<TEntry> entries);

struct TTiff {
    TOrder Order = TOrder::Little;
    std::optional<std::string> Mark;     // 2 bytes; default "II" or "MM"
    std::optional<std::uint16_t> Magic;  // default 42 (43 for BigTIFF)
    // BigTIFF: a 16-byte header (43, offset size 8, reserved 0, 8-byte first
    // offset), 8-byte entry counts, 20-byte entries and 8-byte offsets.
    bool Big = false;
    std::optional<std::uint64_t> FirstOffset;  // default: the first directory, 0 when none
    std::vector<TIfd> Ifds;
    std::optional<std::uint64_t> Length;  // cut or extend the file to this length
};

// Bytes at a file offset; the pieces of a laid-out file.
struct TPiece {
    std::uint64_t Offset = 0;
    std::vector<std::uint8_t> Bytes;
};

struct TLayout {
    std::vector<TPiece> Pieces;  // sorted by offset, adjacent pieces merged
    std::uint64_t Length = 0;
    std::vector<std::uint64_t> IfdOffsets;  // where each directory went
};

TLayout Lay(const TTiff& tiff);
std::vector<std::uint8_t> Bytes(const TTiff& tiff);
std::vector<std::uint8_t> Bytes(const TLayout& layout);
// Writes only the pieces and sets the length, so large files stay sparse.
void WriteFile(const std::string& path, const TLayout& layout);
void WriteFile(const std::string& path, const TTiff& tiff);

// Low-level encoders for generators that stream very many directories.
std::vector<std::uint8_t> EncodeHeader(TOrder order, std::uint32_t firstOffset);
// Directory bytes with every entry inline (values of at most 4 bytes).
void AppendDirectory(TOrder order, const std::vector<TEntry>& entries, std::uint32_t next,
                     std::vector<std::uint8_t>& out);
std::uint32_t DirectorySize(std::size_t entryCount, bool big = false);

}  // namespace tiffw
