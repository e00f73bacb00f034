#include "DumpCheck.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>

#include "DumpTree.h"
#include "tiff/KvTiffChildDirs.h"
#include "tiff/TiffNames.h"

namespace {

enum TTag : std::uint16_t {
    TagImageWidth = 256,
    TagImageLength = 257,
    TagPhotometric = 262,
    TagStripOffsets = 273,
    TagSamplesPerPixel = 277,
    TagRowsPerStrip = 278,
    TagStripByteCounts = 279,
    TagXResolution = 282,
    TagYResolution = 283,
    TagPlanarConfig = 284,
    TagTileWidth = 322,
    TagTileLength = 323,
    TagTileOffsets = 324,
    TagTileByteCounts = 325,
};

constexpr std::size_t ImageTagCount = 14;

// The place of a tag the image checks look at, ImageTagCount for others.
std::size_t ImageTagSlot(std::uint16_t tag)
{
    switch (tag) {
    case TagImageWidth: return 0;
    case TagImageLength: return 1;
    case TagPhotometric: return 2;
    case TagStripOffsets: return 3;
    case TagSamplesPerPixel: return 4;
    case TagRowsPerStrip: return 5;
    case TagStripByteCounts: return 6;
    case TagXResolution: return 7;
    case TagYResolution: return 8;
    case TagPlanarConfig: return 9;
    case TagTileWidth: return 10;
    case TagTileLength: return 11;
    case TagTileOffsets: return 12;
    case TagTileByteCounts: return 13;
    default: return ImageTagCount;
    }
}

// What a span of the byte map is.
enum class TSpanKind : std::uint8_t { Header, Directory, Value, Strip, Tile };

struct TSpan {
    std::uint64_t Start;
    std::uint64_t End;
    std::uint32_t Owner;  // page number, or child index | ChildOwner
    std::uint32_t Item;   // tag of a value, index of a strip or tile
    TSpanKind Kind;
};

constexpr std::uint32_t ChildOwner = 0x80000000u;

// A stretch of the file covered by structures that follow each other
// without a gap. The first walk keeps only these, so a well-formed file of
// a million pages costs next to nothing; the structures themselves are
// collected, in a second walk, only where stretches overlap.
struct TRun {
    std::uint64_t Start;
    std::uint64_t End;
};

class TChecker {
public:
    TChecker(std::ostream& out) : Out(out), Walker(Raw) {}
    int Run(const std::string& path, std::ostream& err);

private:
    void Finding(std::uint64_t offset, const std::string& where, const std::string& reason);
    void WalkPages();
    void CheckDirectory(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner);
    void CheckEntries(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner);
    void CheckImage(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner);
    void CheckLayout(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner,
                     bool tiles);
    void CheckChildren(const TTiffWalkEntry& entry, const std::string& where);
    void GatherImageTags(const TTiffWalkDir& dir);
    const TTiffRawEntry* Find(std::uint16_t tag) const;
    bool Values(const TTiffRawEntry& entry, std::vector<std::uint64_t>& values);
    std::uint64_t First(std::uint16_t tag, std::uint64_t fallback);
    void AddSpan(std::uint64_t start, std::uint64_t size, std::uint32_t owner, std::uint32_t item,
                 TSpanKind kind);
    std::string SpanText(const TSpan& span) const;
    void Walk();
    void FindClashes();
    bool InClash(std::uint64_t offset) const;
    void CheckOverlaps();

    std::ostream& Out;
    TKvTiffDirReader Raw;
    TKvTiffChildWalker Walker;
    TKvTiffOffsetSet Pages;
    TKvTiffOffsetSet AllDirs;
    TKvTiffOffsetSet ChildDirs;
    std::vector<std::string> ChildNames;
    std::vector<TRun> Runs;
    std::vector<TRun> Clashes;  // sorted, disjoint: where stretches overlap
    bool Collecting = false;    // the second walk: spans in clashes, no findings
    std::vector<TSpan> Spans;
    std::vector<std::uint8_t> Value;
    std::vector<std::uint64_t> Offsets, Counts, Numbers;
    std::vector<std::uint16_t> Tags;
    std::array<const TTiffRawEntry*, ImageTagCount> ImageTags{};
    std::uint64_t Findings = 0;
};

bool IsUnsigned(std::uint16_t type)
{
    return type == ttByte || type == ttShort || type == ttLong || type == TiffTypeLong8 ||
           type == ttIfd || type == TiffTypeIfd8;
}

std::string TagText(TTiffDirKind kind, std::uint16_t tag)
{
    const char* name = TiffTagNameIn(kind, tag);
    return name ? std::string(name) + " (" + std::to_string(tag) + ")"
                : "tag " + std::to_string(tag);
}

void TChecker::Finding(std::uint64_t offset, const std::string& where, const std::string& reason)
{
    if (Collecting)
        return;
    ++Findings;
    Out << "offset " << offset << ": " << where << ": " << reason << '\n';
}

void TChecker::AddSpan(std::uint64_t start, std::uint64_t size, std::uint32_t owner,
                       std::uint32_t item, TSpanKind kind)
{
    if (size == 0)
        return;
    if (Collecting) {
        // A span lies inside one stretch: its start decides.
        if (InClash(start))
            Spans.push_back({start, start + size, owner, item, kind});
    } else if (!Runs.empty() && Runs.back().End == start) {
        Runs.back().End = start + size;
    } else {
        Runs.push_back({start, start + size});
    }
}

std::string TChecker::SpanText(const TSpan& span) const
{
    std::string owner = span.Owner & ChildOwner ? ChildNames[span.Owner & ~ChildOwner]
                                                : "page " + std::to_string(span.Owner);
    std::string what;
    switch (span.Kind) {
    case TSpanKind::Header: return "the header";
    case TSpanKind::Directory: what = "directory"; break;
    case TSpanKind::Value: what = "value of tag " + std::to_string(span.Item); break;
    case TSpanKind::Strip: what = "strip " + std::to_string(span.Item + 1); break;
    case TSpanKind::Tile: what = "tile " + std::to_string(span.Item + 1); break;
    }
    return owner + " " + what + " (bytes " + std::to_string(span.Start) + " to " +
           std::to_string(span.End - 1) + ")";
}

// The image checks look up a dozen tags: one pass finds them all (the
// first of repeated tags, as a search would).
void TChecker::GatherImageTags(const TTiffWalkDir& dir)
{
    ImageTags.fill(nullptr);
    for (const TTiffWalkEntry& entry : dir.Entries) {
        const std::size_t slot = ImageTagSlot(entry.Raw.Tag);
        if (slot < ImageTagCount && !ImageTags[slot])
            ImageTags[slot] = &entry.Raw;
    }
}

// One of the gathered image tags.
const TTiffRawEntry* TChecker::Find(std::uint16_t tag) const
{
    return ImageTags[ImageTagSlot(tag)];
}

// The integer values of an entry; false when they cannot be read or are no
// integers.
bool TChecker::Values(const TTiffRawEntry& entry, std::vector<std::uint64_t>& values)
{
    values.clear();
    if (!IsUnsigned(entry.Type))
        return false;
    // Most of these values sit in the entry itself: no copy for them.
    const std::uint8_t* bytes = entry.Field;
    if (!entry.Inline) {
        TErrCode code = ErrOk;
        std::string text;
        Raw.ReadValue(entry, Value, code, text);
        if (code != ErrOk)
            return false;
        bytes = Value.data();
    }
    values.resize(static_cast<std::size_t>(entry.Count));
    for (std::size_t k = 0; k < values.size(); ++k)
        values[k] = Raw.Element(bytes, entry.Type, k);
    return true;
}

std::uint64_t TChecker::First(std::uint16_t tag, std::uint64_t fallback)
{
    const TTiffRawEntry* entry = Find(tag);
    if (entry && entry->Inline && entry->Count > 0 && IsUnsigned(entry->Type))
        return Raw.Element(entry->Field, entry->Type, 0);
    if (!entry || !Values(*entry, Numbers) || Numbers.empty())
        return fallback;
    return Numbers[0];
}

void TChecker::CheckEntries(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner)
{
    bool ascending = true;
    for (std::size_t i = 0; i < dir.Entries.size(); ++i) {
        const TTiffRawEntry& entry = dir.Entries[i].Raw;
        // Where the entry lies; only findings need it.
        const auto at = [&] {
            return dir.Offset + (Raw.IsBigTiff() ? 8 : 2) + i * Raw.EntrySize();
        };
        if (i > 0 && entry.Tag <= dir.Entries[i - 1].Raw.Tag) {
            ascending = false;
            if (entry.Tag < dir.Entries[i - 1].Raw.Tag)
                Finding(at(), where,
                        TagText(dir.Kind, entry.Tag) + " out of ascending order (after " +
                            std::to_string(dir.Entries[i - 1].Raw.Tag) + ")");
        }
        if (!TiffIsKnownType(entry.Type))
            Finding(at(), where,
                    TagText(dir.Kind, entry.Tag) + " has the unknown data type " +
                        std::to_string(entry.Type));
        if (entry.Inline)
            continue;
        if (!Raw.InFile(entry.ValueOffset, entry.Size))
            Finding(entry.ValueOffset, where,
                    "value of " + TagText(dir.Kind, entry.Tag) + " (" + std::to_string(entry.Size) +
                        " bytes) lies beyond the end of the file");
        else
            AddSpan(entry.ValueOffset, entry.Size, owner, entry.Tag, TSpanKind::Value);
        if (entry.ValueOffset % 2 != 0)
            Finding(entry.ValueOffset, where,
                    "value of " + TagText(dir.Kind, entry.Tag) + " at an odd offset");
    }
    // Tags in strictly ascending order cannot repeat.
    if (ascending)
        return;
    Tags.clear();
    for (const TTiffWalkEntry& entry : dir.Entries)
        Tags.push_back(entry.Raw.Tag);
    std::sort(Tags.begin(), Tags.end());
    for (std::size_t i = 1; i < Tags.size(); ++i)
        if (Tags[i] == Tags[i - 1] && (i + 1 == Tags.size() || Tags[i + 1] != Tags[i]))
            Finding(dir.Offset, where, TagText(dir.Kind, Tags[i]) + " appears more than once");
}

void TChecker::CheckLayout(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner,
                           bool tiles)
{
    const std::uint16_t offsetsTag = tiles ? TagTileOffsets : TagStripOffsets;
    const std::uint16_t countsTag = tiles ? TagTileByteCounts : TagStripByteCounts;
    const char* name = tiles ? "Tile" : "Strip";
    const TTiffRawEntry* offsets = Find(offsetsTag);
    const TTiffRawEntry* counts = Find(countsTag);
    if (!offsets || !counts)
        return;
    if (!Values(*offsets, Offsets) || !Values(*counts, Counts)) {
        Finding(dir.Offset, where,
                std::string(name) + "Offsets or " + name +
                    "ByteCounts cannot be read as unsigned integers");
        return;
    }
    if (Offsets.size() != Counts.size())
        Finding(dir.Offset, where,
                std::string(name) + "Offsets has " + std::to_string(Offsets.size()) + " values, " +
                    name + "ByteCounts " + std::to_string(Counts.size()));
    const std::uint64_t width = First(TagImageWidth, 0);
    const std::uint64_t length = First(TagImageLength, 0);
    const std::uint64_t planes = First(TagPlanarConfig, 1) == 2 ? First(TagSamplesPerPixel, 1) : 1;
    std::uint64_t expected = 0;
    if (tiles) {
        const std::uint64_t tw = First(TagTileWidth, 0), tl = First(TagTileLength, 0);
        if (tw && tl)
            expected = (width + tw - 1) / tw * ((length + tl - 1) / tl) * planes;
    } else {
        const std::uint64_t rows = First(TagRowsPerStrip, 0xFFFFFFFF);
        if (rows)
            expected = (length + rows - 1) / rows * planes;
    }
    if (width && length && expected && Offsets.size() != expected)
        Finding(dir.Offset, where,
                std::string(name) + "Offsets has " + std::to_string(Offsets.size()) +
                    " values; the image geometry needs " + std::to_string(expected));
    const std::size_t n = std::min(Offsets.size(), Counts.size());
    for (std::size_t k = 0; k < n; ++k) {
        if (!Raw.InFile(Offsets[k], Counts[k]))
            Finding(Offsets[k], where,
                    std::string(tiles ? "tile " : "strip ") + std::to_string(k + 1) + " (" +
                        std::to_string(Counts[k]) + " bytes) lies beyond the end of the file");
        else
            AddSpan(Offsets[k], Counts[k], owner, static_cast<std::uint32_t>(k),
                    tiles ? TSpanKind::Tile : TSpanKind::Strip);
    }
}

void TChecker::CheckImage(const TTiffWalkDir& dir, const std::string& where, std::uint32_t owner)
{
    GatherImageTags(dir);
    const bool tiles = !Find(TagStripOffsets) && Find(TagTileOffsets);
    const std::uint16_t required[] = {
        TagImageWidth,
        TagImageLength,
        TagPhotometric,
        tiles ? TagTileOffsets : TagStripOffsets,
        tiles ? TagTileByteCounts : TagStripByteCounts,
        TagXResolution,
        TagYResolution,
    };
    for (std::uint16_t tag : required)
        if (!Find(tag))
            Finding(dir.Offset, where, "required " + TagText(dir.Kind, tag) + " is missing");
    if (tiles && (!Find(TagTileWidth) || !Find(TagTileLength)))
        Finding(dir.Offset, where, "a tiled image without TileWidth and TileLength");
    CheckLayout(dir, where, owner, tiles);
}

void TChecker::CheckChildren(const TTiffWalkEntry& entry, const std::string& where)
{
    if (!entry.ChildFailure.empty())
        Finding(entry.Raw.ValueOffset, where, entry.ChildFailure);
    for (const TTiffChildDir& child : entry.Children) {
        const std::string childWhere = where + " > " + ChildDirLabel(child, entry.Raw.Count);
        ChildDirs.Insert(child.Offset);
        ChildNames.push_back(childWhere);
        const auto owner = static_cast<std::uint32_t>(ChildNames.size() - 1) | ChildOwner;
        CheckDirectory(child, childWhere, owner);
    }
}

void TChecker::CheckDirectory(const TTiffWalkDir& dir, const std::string& where,
                              std::uint32_t owner)
{
    if (dir.Offset % 2 != 0)
        Finding(dir.Offset, where, "directory at an odd offset");
    if (!dir.Failure.empty()) {
        Finding(dir.Offset, where, dir.Failure);
        return;
    }
    AddSpan(dir.Offset, dir.ByteSize, owner, 0, TSpanKind::Directory);
    CheckEntries(dir, where, owner);
    if (dir.Kind == TTiffDirKind::Page || dir.Kind == TTiffDirKind::SubIfd)
        CheckImage(dir, where, owner);
    for (const TTiffWalkEntry& entry : dir.Entries)
        if (!entry.Children.empty() || !entry.ChildFailure.empty())
            CheckChildren(entry, where);
}

void TChecker::WalkPages()
{
    TTiffWalkDir page;
    std::uint64_t at = Raw.FirstOffset();
    std::uint64_t linkAt = 4;  // where the offset of the directory at 'at' was found
    if (at == 0)
        Finding(4, "header", "the file has no page");
    // One text for every page, rewritten in place: a million pages should
    // not make a million strings.
    std::string where = "page ";
    const std::size_t prefix = where.size();
    for (std::uint32_t number = 1; at != 0; ++number) {
        char digits[16];
        where.resize(prefix);
        where.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
        if (!Pages.Insert(at)) {
            Finding(linkAt, where,
                    "the page chain loops back to the directory at offset " + std::to_string(at));
            return;
        }
        if (!Raw.InFile(at, 1)) {
            Finding(linkAt, where,
                    "the page chain leads to offset " + std::to_string(at) +
                        ", beyond the end of the file");
            return;
        }
        if (!AllDirs.Insert(at) && ChildDirs.Contains(at))
            Finding(at, where, "the directory is also a child directory");
        Walker.ReadDir(at, TTiffDirKind::Page, page);
        Walker.ReadChildren(page);
        CheckDirectory(page, where, number);
        if (!page.Failure.empty())
            return;
        linkAt = at + page.ByteSize - Raw.OffsetSize();
        at = page.NextOffset;
    }
}

// Sorts the stretches and keeps, merged, those that overlap another.
void TChecker::FindClashes()
{
    std::sort(Runs.begin(), Runs.end(),
              [](const TRun& a, const TRun& b) { return a.Start < b.Start; });
    TRun clash{0, 0};
    bool overlapping = false;
    for (const TRun& run : Runs) {
        if (run.Start < clash.End) {
            overlapping = true;
            clash.End = std::max(clash.End, run.End);
            continue;
        }
        if (overlapping)
            Clashes.push_back(clash);
        clash = run;
        overlapping = false;
    }
    if (overlapping)
        Clashes.push_back(clash);
    std::vector<TRun>().swap(Runs);
}

bool TChecker::InClash(std::uint64_t offset) const
{
    auto after = std::upper_bound(Clashes.begin(), Clashes.end(), offset,
                                  [](std::uint64_t at, const TRun& run) { return at < run.Start; });
    return after != Clashes.begin() && offset < std::prev(after)->End;
}

// Every span that overlaps another lies in a clash, and so does the span it
// is reported against: the spans outside change nothing.
void TChecker::CheckOverlaps()
{
    if (!std::is_sorted(Spans.begin(), Spans.end(),
                        [](const TSpan& a, const TSpan& b) { return a.Start < b.Start; }))
        std::stable_sort(Spans.begin(), Spans.end(),
                         [](const TSpan& a, const TSpan& b) { return a.Start < b.Start; });
    std::size_t widest = 0;
    for (std::size_t i = 1; i < Spans.size(); ++i) {
        if (Spans[i].Start < Spans[widest].End)
            Finding(Spans[i].Start, SpanText(Spans[i]), "overlaps " + SpanText(Spans[widest]));
        if (Spans[i].End > Spans[widest].End)
            widest = i;
    }
}

void TChecker::Walk()
{
    AddSpan(0, Raw.HeaderSize(), 0, 0, TSpanKind::Header);
    WalkPages();
}

int TChecker::Run(const std::string& path, std::ostream& err)
{
    TErrCode code = ErrOk;
    std::string text;
    Raw.Open(path, path, code, text);
    if (code != ErrOk) {
        err << text << '\n';
        return 2;
    }
    Walker.ShareKnownOffsets(AllDirs);
    Walk();
    FindClashes();
    if (!Clashes.empty()) {
        Pages.Clear();
        AllDirs.Clear();
        ChildDirs.Clear();
        ChildNames.clear();
        Collecting = true;
        Walk();
        Collecting = false;
        CheckOverlaps();
    }
    if (Findings == 0)
        Out << "No problems found\n";
    else
        Out << Findings << (Findings == 1 ? " problem" : " problems") << " found\n";
    return Findings == 0 ? 0 : 1;
}

}  // namespace

int RunStructureCheck(const std::string& path, std::ostream& out, std::ostream& err)
{
    TChecker checker(out);
    return checker.Run(path, err);
}
