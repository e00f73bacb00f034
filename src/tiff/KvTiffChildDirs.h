// The directories below a page: EXIF (34665), GPS (34853) and
// Interoperability (40965, inside EXIF) directories and SubIFD chains (330),
// read with the page's entry rules. No directory is read twice, wherever it
// is referenced from: a pointer to a directory already read (a page, another
// child) is reported in place instead of read again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "tiff/KvTiffDirReader.h"
#include "tiff/KvTiffExifNames.h"

// A set of directory offsets. Offsets below 4 GiB that arrive in ascending
// order (the usual file) are appended to a sorted array of 4-byte numbers;
// only the others are hashed.
class TKvTiffOffsetSet {
public:
    // true when the offset was not in the set yet.
    bool Insert(std::uint64_t offset);
    bool Contains(std::uint64_t offset) const;
    void Clear();

private:
    std::vector<std::uint32_t> Ascending;
    std::unordered_set<std::uint64_t> Others;
};

struct TTiffChildDir;

// An entry of a directory, with the child directories it points to.
struct TTiffWalkEntry {
    TTiffRawEntry Raw;
    std::vector<TTiffChildDir> Children;
    std::string ChildFailure;  // why the pointer was not followed
};

struct TTiffWalkDir {
    TTiffDirKind Kind = TTiffDirKind::Page;
    std::uint64_t Offset = 0;
    std::uint64_t DeclaredCount = 0;
    std::uint64_t NextOffset = 0;
    std::uint64_t ByteSize = 0;
    std::vector<TTiffWalkEntry> Entries;
    std::string Failure;  // empty when the directory was read
    bool Cut = false;     // failed at the end of the file; Entries lie before it
};

struct TTiffChildDir : TTiffWalkDir {
    std::uint32_t Number = 1;    // which value of the pointer, from 1
    std::uint32_t Position = 1;  // place in a SubIFD chain, from 1
};

class TKvTiffChildWalker {
public:
    static constexpr unsigned MaxDepth = 16;

    explicit TKvTiffChildWalker(TKvTiffDirReader& reader) : Reader(reader) {}

    // Fills the set with the offsets read elsewhere (the page chain); called
    // once, when the first pointer is met, so files without children pay
    // nothing for it.
    void SetKnownOffsets(std::function<void(TKvTiffOffsetSet&)> fill)
    {
        FillKnown = std::move(fill);
    }
    // Claims child directories in a set the caller keeps (and fills) itself.
    void ShareKnownOffsets(TKvTiffOffsetSet& known)
    {
        Known = &known;
        KnownFilled = true;
    }

    // SubIFDs are chains by definition. EXIF, GPS and Interoperability
    // directories have a next offset too, normally 0; with this set, one that
    // is not 0 is followed as a chain of the same kind (the structure check
    // wants every directory the file declares).
    void FollowEveryChain(bool every) { EveryChain = every; }

    // Reads the directory at offset into dir (entries only, no children).
    void ReadDir(std::uint64_t offset, TTiffDirKind kind, TTiffWalkDir& dir);
    // Follows every pointer of dir, depth levels below a page.
    void ReadChildren(TTiffWalkDir& dir, unsigned depth = 0);
    // The same for one entry of a directory of kind parent, read into entry
    // (its Raw set to raw); false, with entry untouched, when the tag points
    // to no directory there.
    bool ReadEntryChildren(TTiffDirKind parent, const TTiffRawEntry& raw, TTiffWalkEntry& entry,
                           unsigned depth = 0);

    // The offsets of the directories an entry points to; false with a text
    // when its type holds no offsets.
    bool PointerOffsets(const TTiffRawEntry& entry, std::vector<std::uint64_t>& offsets,
                        std::string& failure);

private:
    void ReadPointer(TTiffDirKind kind, TTiffWalkEntry& entry, unsigned depth);
    void ReadChild(TTiffDirKind kind, std::uint64_t offset, std::uint32_t number,
                   std::uint32_t position, TTiffWalkEntry& entry, unsigned depth);
    bool Claim(std::uint64_t offset);

    TKvTiffDirReader& Reader;
    std::function<void(TKvTiffOffsetSet&)> FillKnown;
    bool KnownFilled = false;
    bool EveryChain = false;
    TKvTiffOffsetSet OwnKnown;
    TKvTiffOffsetSet* Known = &OwnKnown;
    std::vector<std::uint8_t> Value;
    TTiffRawDirectory RawDir;  // reused, so a walk of many directories allocates once
};

// The text of a pointer to a directory that has been read before.
std::string TiffReadBeforeText(std::uint64_t offset);
