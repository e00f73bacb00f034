// Names of the tags of the directories that hang below a page: the EXIF,
// GPS and Interoperability sets as the EXIF 2.32 tables give them, and the
// kinds of directory the structure walk tells apart.
#pragma once

#include <cstdint>

// Where a directory was found.
enum class TTiffDirKind : std::uint8_t {
    Page,     // the page chain
    SubIfd,   // a SubIFD chain (tag 330)
    Exif,     // tag 34665
    Gps,      // tag 34853
    Interop,  // tag 40965, inside an EXIF directory
};

inline constexpr std::uint32_t TagSubIfds = 330;
inline constexpr std::uint32_t TagExifIfd = 34665;
inline constexpr std::uint32_t TagGpsIfd = 34853;
inline constexpr std::uint32_t TagInteropIfd = 40965;

// The tag's name in a directory of that kind, or nullptr when it has none.
// Page and SubIFD directories use the reader's names and add the EXIF
// pointers to them.
const char* TiffTagNameIn(TTiffDirKind kind, std::uint32_t tag);

// "page", "subifd", "exif", "gps", "interop": the JSON spelling.
const char* TiffDirKindKey(TTiffDirKind kind);
// "Page", "SubIFD", "EXIF", "GPS", "Interoperability": the text spelling.
const char* TiffDirKindName(TTiffDirKind kind);

// The kind of child directory an entry of a directory of kind parent points
// to; false when the entry is no pointer there.
bool TiffChildKind(TTiffDirKind parent, std::uint32_t tag, TTiffDirKind& child);

struct TTiffTagName {
    std::uint16_t Code;
    const char* Name;
};
// The tables themselves, sorted by code (for tests).
struct TTiffTagTable {
    const TTiffTagName* Names;
    std::uint32_t Count;
};
TTiffTagTable TiffExifTagTable();
TTiffTagTable TiffGpsTagTable();
TTiffTagTable TiffInteropTagTable();
