// What every byte of a file is, from the structure check's walk: the header,
// a directory, a tag's value, image data (strips and tiles), bytes nothing
// accounts for, and bytes claimed twice or more. Bytes that structures claim
// beyond the end of the file are no file bytes: they are counted apart, so
// that the other classes add up to the file size exactly.
//
// A file of a million pages must not cost a record per value or strip:
// adjacent claims of one directory and kind (the values after a directory,
// a run of strips) become one region that keeps its first and last item.
// Unaccounted bytes are the gaps between regions and take no memory.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "inspect/ByteMap.h"
#include "inspect/StructureCheck.h"

enum class TByteClass : std::uint8_t {
    Header,
    Directory,
    TagValue,
    ImageData,
    Unaccounted,
    Overlap,
    BeyondEnd,
};
inline constexpr std::size_t ByteClassCount = 7;

// "header", "directory", "tag-value", "image-data", "unaccounted",
// "overlap", "beyond-end": the words of orvane-dump --map.
const char* ByteClassId(TByteClass byteClass);

inline constexpr std::uint32_t NoDirectory = 0xFFFFFFFFu;

struct TByteRegion {
    std::uint64_t Start = 0;
    std::uint64_t End = 0;
    std::uint32_t Directory = NoDirectory;  // index into the map's directories
    std::uint32_t FirstItem = 0;            // tag of a value, index of a strip or tile
    std::uint32_t LastItem = 0;             // the same of the last claim merged in
    TSpanKind Kind = TSpanKind::Header;     // of the claim; none for unaccounted bytes
    TByteClass Class = TByteClass::Unaccounted;
};

// A deque, not a vector: a million pages' regions grow without copies and
// without the slack of a doubled buffer.
using TByteRegions = std::deque<TByteRegion>;

struct TByteMapDirectory {
    std::uint64_t Offset = 0;
    std::uint32_t Page = 0;   // the page of the main chain it hangs below, from 1
    std::uint32_t Child = 0;  // 0 for the page itself, else 1 + index of its path
};

class TByteClassMap {
public:
    std::uint64_t FileSize() const { return Size; }
    // Bytes of a class; for BeyondEnd the bytes beyond the end that any
    // structure claims, each counted once.
    std::uint64_t Count(TByteClass byteClass) const
    {
        return Counts[static_cast<std::size_t>(byteClass)];
    }
    // The claimed regions in the order of their offsets, without the gaps.
    const TByteRegions& Regions() const { return Claimed; }
    // Claims beyond the end of the file, ordered by offset.
    const TByteRegions& BeyondEnd() const { return Beyond; }
    // Every file byte once, in order: the regions and the gaps between them.
    template <typename F>
    void ForEachRegion(F&& visit) const
    {
        std::uint64_t at = 0;
        for (const TByteRegion& region : Claimed) {
            if (region.Start > at)
                visit(Gap(at, region.Start));
            visit(region);
            at = region.End;
        }
        if (at < Size)
            visit(Gap(at, Size));
    }
    // The region holding a file byte (a gap as an unaccounted region); an
    // offset at or beyond the end gives an empty unaccounted region there.
    TByteRegion RegionAt(std::uint64_t offset) const;
    // For an overlap region, the other structure that claims it.
    std::optional<TByteRegion> OtherClaimant(const TByteRegion& overlap) const;

    const std::deque<TByteMapDirectory>& Directories() const { return Dirs; }
    std::uint64_t DirectoryOffset(std::uint32_t directory) const;
    // "page 3", "page 1 > EXIF directory"; empty for NoDirectory.
    std::string DirectoryPath(std::uint32_t directory) const;
    // "the header", "page 1", "page 1, values of tags 282 to 283",
    // "page 2 > SubIFD 1, strip 4"; an overlap names both claimants.
    std::string OwnerText(const TByteRegion& region) const;

    // The file cut into pixels of (nearly) equal byte spans, each showing
    // the most telling class among its bytes: Overlap, Unaccounted,
    // Directory, TagValue, ImageData, Header in that order. Bytes beyond the
    // end have no pixel.
    std::vector<TByteClass> PixelClasses(std::uint32_t pixels) const;
    // The first byte of a pixel that shows the pixel's class: what a click
    // on it means.
    std::uint64_t PixelOffset(std::uint32_t pixel, std::uint32_t pixels) const;

private:
    friend class TByteClassifier;

    TByteRegion Gap(std::uint64_t start, std::uint64_t end) const
    {
        TByteRegion gap;
        gap.Start = start;
        gap.End = end;
        return gap;
    }
    std::uint64_t PixelStart(std::uint64_t pixel, std::uint32_t pixels) const;
    TByteClass PixelClass(std::uint64_t start, std::uint64_t end, std::size_t& from,
                          std::uint64_t* firstOfClass = nullptr) const;

    std::uint64_t Size = 0;
    std::uint64_t Counts[ByteClassCount] = {};
    TByteRegions Claimed;
    TByteRegions Beyond;
    TByteRegions Others;  // the other claimant of each overlap, by start
    std::deque<TByteMapDirectory> Dirs;
    std::vector<std::string> ChildPaths;
};

// Builds the map from the check's walk. PageDone lets a subclass show
// progress and stop the walk.
class TByteClassifier : public ICheckWalkWatch {
public:
    void Begin(std::uint64_t fileSize) override;
    void Directory(std::uint64_t offset, std::uint32_t page, const std::string* childPath) override;
    void Claim(std::uint64_t start, std::uint64_t size, std::uint32_t item,
               TSpanKind kind) override;
    bool PageDone(std::uint32_t) override { return true; }
    // Sorts and resolves the claims; the classifier is empty afterwards.
    TByteClassMap Finish();

private:
    void Keep(TByteRegions& into, std::uint64_t start, std::uint64_t end, std::uint32_t item,
              TSpanKind kind);

    TByteClassMap Map;
    std::uint32_t Current = NoDirectory;
};

// Runs the check over path with its findings passed to findings and builds
// the byte map; the check's exit code (2: the file cannot be read, with the
// text on err).
int ClassifyFileBytes(const std::string& path, IFindingSink& findings, TByteClassMap& map,
                      std::ostream& err);
