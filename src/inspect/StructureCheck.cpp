#include "inspect/StructureCheck.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <initializer_list>
#include <iterator>

#include "inspect/ByteMap.h"
#include "inspect/CheckReport.h"
#include "inspect/EntryRules.h"
#include "inspect/GeoKeyRules.h"
#include "inspect/ImageRules.h"
#include "inspect/TreeText.h"
#include "tiff/GeoKeyDirectory.h"
#include "tiff/KvTiffChildDirs.h"
#include "tiff/TiffNames.h"

namespace {

// The tags the image checks look at, each with a place of its own.
constexpr std::uint32_t TagBitsPerSample = 258, TagColorMap = 320, TagExtraSamples = 338,
                        TagSampleFormat = 339, TagJpegOffset = 513, TagJpegLength = 514,
                        TagSubsampling = 530, TagExifVersion = 36864;
constexpr std::uint32_t ImageTagList[] = {
    TagImageWidth,   TagImageLength,     TagPhotometric, TagStripOffsets,   TagSamplesPerPixel,
    TagRowsPerStrip, TagStripByteCounts, TagXResolution, TagYResolution,    TagPlanarConfig,
    TagTileWidth,    TagTileLength,      TagTileOffsets, TagTileByteCounts, TagBitsPerSample,
    TagCompression,  TagResolutionUnit,  TagColorMap,    TagExtraSamples,   TagSampleFormat,
    TagJpegOffset,   TagJpegLength,      TagSubsampling,
};
constexpr std::size_t ImageTagCount = std::size(ImageTagList);
constexpr std::uint32_t LowestImageTag = TagImageWidth;

// Places by tag code from the lowest image tag on: every entry of every page
// is looked up, and a table is quicker than a search.
constexpr auto ImageTagSlots = [] {
    std::array<std::uint8_t, TagSubsampling - LowestImageTag + 1> slots{};
    slots.fill(ImageTagCount);
    for (std::size_t i = 0; i < ImageTagCount; ++i)
        slots[ImageTagList[i] - LowestImageTag] = static_cast<std::uint8_t>(i);
    return slots;
}();

// The place of a tag the image checks look at, ImageTagCount for others.
constexpr std::size_t ImageTagSlot(std::uint32_t tag)
{
    const std::uint32_t index = tag - LowestImageTag;  // wraps for lower tags
    return index < ImageTagSlots.size() ? ImageTagSlots[index] : ImageTagCount;
}

// Sets of image tags as bits by their places.
constexpr std::uint32_t TagBits(std::initializer_list<std::uint32_t> tags)
{
    std::uint32_t bits = 0;
    for (std::uint32_t tag : tags)
        bits |= 1u << ImageTagSlot(tag);
    return bits;
}

// Owners of spans: a page number, or the index of a child's name with this bit.
constexpr std::uint32_t ChildOwner = 0x80000000u;

// Where a directory lies. Findings are rare, so its text ("page 7", or the
// path of a child directory) is made only when one names it.
struct TWhere {
    std::uint32_t Page = 0;
    const std::string* Path = nullptr;  // a child's path; none for the page itself
    std::uint64_t Offset = 0;           // of the directory
};

// The integer values of an entry, in the file's bytes.
struct TNumbers {
    const std::uint8_t* Bytes = nullptr;
    std::uint16_t Type = 0;
    std::uint64_t Count = 0;
};

bool IsUnsigned(std::uint16_t type)
{
    constexpr std::uint32_t unsignedTypes = 1u << ttByte | 1u << ttShort | 1u << ttLong |
                                            1u << ttIfd | 1u << TiffTypeLong8 | 1u << TiffTypeIfd8;
    return type < 32 && (unsignedTypes >> type & 1) != 0;
}

class TChecker : TRuleSink {
public:
    TChecker() : Walker(Raw), Entries(Raw, *this), GeoKeys(Raw, *this)
    {
        Walker.ShareKnownOffsets(AllDirs);
        Walker.FollowEveryChain(true);
        Raw.StartSmall();
    }
    void Run(const std::string& path, IFindingSink& findings, ICheckWalkWatch* watch,
             TCheckedFile& file);

private:
    std::string Text(const TWhere& where) const;
    void Finding(TRuleId rule, std::uint64_t offset, const std::string& where,
                 std::uint64_t directory, const std::string& reason,
                 std::optional<std::uint16_t> tag = {});
    void Finding(TRuleId rule, std::uint64_t offset, const TWhere& where, const std::string& reason,
                 std::optional<std::uint16_t> tag = {});
    void Report(TRuleId rule, std::uint64_t offset, std::uint16_t tag,
                const std::string& message) override
    {
        Finding(rule, offset, *Current, message, tag);
    }
    void Forget();
    // Bytes a structure of the directory owner claims; only those inside the
    // file take part in the search for overlaps.
    void Claim(std::uint64_t start, std::uint64_t size, bool inFile, std::uint32_t owner,
               std::uint64_t directory, std::uint32_t item, TSpanKind kind)
    {
        if (Watch && !Map.IsCollecting())
            Watch->Claim(start, size, item, kind);
        if (inFile)
            Map.Add(start, size, owner, directory, item, kind);
    }
    void Walk();
    void WalkPages();
    bool CheckPlace(std::uint64_t offset, const std::string& failure, const TWhere& where,
                    TRuleId failureRule);
    void CheckDirectory(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                        std::uint32_t owner);
    void CheckEntries(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                      std::uint32_t owner);
    void CheckImage(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                    std::uint32_t owner);
    void ReportMissingTags(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                           bool tiles);
    void CheckImageTags(const TTiffRawDirectory& dir, const TWhere& where);
    std::uint64_t CountOf(std::uint32_t tag) const
    {
        const TTiffRawEntry* entry = Find(tag);
        return entry ? entry->Count : 0;
    }
    void CheckLayout(const TTiffRawDirectory& dir, const TWhere& where, std::uint32_t owner,
                     bool tiles);
    void CheckChildren(const TTiffWalkEntry& entry, const TWhere& where);
    void CheckChild(const TTiffChildDir& child, const TWhere& where, std::uint32_t owner);
    void GatherImageTag(const TTiffRawEntry& entry);
    const TTiffRawEntry* Find(std::uint32_t tag) const { return Gathered(ImageTagSlot(tag)); }
    // Slots whose bit is clear hold what an earlier directory left there.
    const TTiffRawEntry* Gathered(std::size_t slot) const
    {
        return (ImageTagsPresent >> slot & 1) != 0 ? ImageTags[slot] : nullptr;
    }
    bool Has(std::uint32_t tags) const { return (ImageTagsPresent & tags) == tags; }
    // The integer values of an entry, read into buffer unless they sit in
    // the entry itself; false when they cannot be read or are no integers.
    bool Numbers(const TTiffRawEntry& entry, std::vector<std::uint8_t>& buffer, TNumbers& numbers)
    {
        if (!IsUnsigned(entry.Type))
            return false;
        numbers.Type = entry.Type;
        numbers.Count = entry.Count;
        numbers.Bytes = entry.Field;
        return entry.Inline || ReadNumbers(entry, buffer, numbers);
    }
    bool ReadNumbers(const TTiffRawEntry& entry, std::vector<std::uint8_t>& buffer,
                     TNumbers& numbers);
    // The first value of a gathered tag.
    template <std::uint32_t Tag>
    std::uint64_t First(std::uint64_t fallback)
    {
        constexpr std::size_t slot = ImageTagSlot(Tag);
        static_assert(slot < ImageTagCount);
        const TTiffRawEntry* entry = Gathered(slot);
        if (!entry || entry->Count == 0)
            return fallback;
        // SHORT and LONG, the types of nearly every such value, decode with
        // their widths known here.
        if (entry->Inline && entry->Type == ttShort)
            return Raw.GetUnsigned(entry->Field, 2);
        if (entry->Inline && entry->Type == ttLong)
            return Raw.GetUnsigned(entry->Field, 4);
        if (!IsUnsigned(entry->Type))
            return fallback;
        return entry->Inline ? Raw.Element(entry->Field, entry->Type, 0)
                             : ReadFirst(*entry, fallback);
    }
    std::uint64_t ReadFirst(const TTiffRawEntry& entry, std::uint64_t fallback);
    std::string SpanText(const TSpan& span) const;
    void ReportOverlaps();

    IFindingSink* Findings = nullptr;
    ICheckWalkWatch* Watch = nullptr;
    bool Stopped = false;
    TKvTiffDirReader Raw;
    TKvTiffChildWalker Walker;
    TEntryRules Entries;
    TGeoKeyRules GeoKeys;
    const TWhere* Current = nullptr;  // the directory the rule units look at
    bool Ascending = true;            // the entries of the directory last checked
    const std::vector<TTiffRawEntry> NoEntries;
    TByteMap Map;
    TKvTiffOffsetSet Pages;
    TKvTiffOffsetSet AllDirs;
    TKvTiffOffsetSet ChildDirs;
    std::vector<std::string> ChildNames;
    std::uint32_t PagesRead = 0;
    TTiffRawDirectory Page;   // reused from page to page
    std::string PageFailure;  // likewise
    TTiffWalkEntry Pointer;   // a page's pointer entry with the directories below it
    std::vector<std::uint8_t> Value, OffsetBytes, CountBytes;
    std::vector<std::uint16_t> Tags;
    std::array<const TTiffRawEntry*, ImageTagCount> ImageTags{};
    std::uint32_t ImageTagsPresent = 0;  // bits by place
};

std::string TagText(TTiffDirKind kind, std::uint32_t tag)
{
    return CheckTagText(kind, tag);
}

std::string TChecker::Text(const TWhere& where) const
{
    if (where.Path)
        return *where.Path;
    char digits[16];
    return "page " +
           std::string(digits, std::to_chars(digits, digits + sizeof digits, where.Page).ptr);
}

void TChecker::Finding(TRuleId rule, std::uint64_t offset, const std::string& where,
                       std::uint64_t directory, const std::string& reason,
                       std::optional<std::uint16_t> tag)
{
    if (Map.IsCollecting())
        return;
    Findings->Add({rule, offset, where, tag, reason, directory});
}

void TChecker::Finding(TRuleId rule, std::uint64_t offset, const TWhere& where,
                       const std::string& reason, std::optional<std::uint16_t> tag)
{
    if (!Map.IsCollecting() && Findings->Wants(rule))
        Finding(rule, offset, Text(where), where.Offset, reason, tag);
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

// The image checks look up a couple of dozen tags: the pass over the
// entries finds them all (the first of repeated tags, as a search would).
void TChecker::GatherImageTag(const TTiffRawEntry& entry)
{
    const std::size_t slot = ImageTagSlot(entry.Tag);
    if (slot < ImageTagCount && (ImageTagsPresent >> slot & 1) == 0) {
        ImageTags[slot] = &entry;
        ImageTagsPresent |= 1u << slot;
    }
}

bool TChecker::ReadNumbers(const TTiffRawEntry& entry, std::vector<std::uint8_t>& buffer,
                           TNumbers& numbers)
{
    TErrCode code = ErrOk;
    std::string text;
    Raw.ReadValue(entry, buffer, code, text);
    numbers.Bytes = buffer.data();
    return code == ErrOk;
}

// Only the first element is read, but a value that does not lie inside the
// file still gives the fallback.
std::uint64_t TChecker::ReadFirst(const TTiffRawEntry& entry, std::uint64_t fallback)
{
    TErrCode code = ErrOk;
    std::string text;
    Raw.ReadValueStart(entry, TiffRawTypeSize(entry.Type), Value, code, text);
    return code == ErrOk ? Raw.Element(Value.data(), entry.Type, 0) : fallback;
}

bool TChecker::CheckPlace(std::uint64_t offset, const std::string& failure, const TWhere& where,
                          TRuleId failureRule)
{
    if (offset % 2 != 0)
        Finding(TRuleId::DirectoryOddOffset, offset, where, "directory at an odd offset");
    if (failure.empty())
        return true;
    Finding(failureRule, offset, where, failure);
    return false;
}

void TChecker::CheckEntries(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                            std::uint32_t owner)
{
    bool ascending = true;
    const bool image = kind == TTiffDirKind::Page || kind == TTiffDirKind::SubIfd;
    const TTiffRawEntry* entries = dir.Entries.data();
    const std::size_t count = dir.Entries.size();
    ImageTagsPresent = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const TTiffRawEntry& entry = entries[i];
        if (image)
            GatherImageTag(entry);
        // Where the entry lies; only findings need it.
        const auto at = [&] {
            return dir.Offset + (Raw.IsBigTiff() ? 8 : 2) + i * Raw.EntrySize();
        };
        if (i > 0 && entry.Tag <= entries[i - 1].Tag) {
            ascending = false;
            if (entry.Tag < entries[i - 1].Tag)
                Finding(TRuleId::TagOrder, at(), where,
                        TagText(kind, entry.Tag) + " out of ascending order (after " +
                            std::to_string(entries[i - 1].Tag) + ")",
                        entry.Tag);
        }
        // An entry that passes at a glance has a known type too.
        if (!image || !Entries.PassesAtAGlance(entry)) {
            if (!TiffIsKnownType(entry.Type))
                Finding(TRuleId::TypeUnknown, at(), where,
                        TagText(kind, entry.Tag) + " has the unknown data type " +
                            std::to_string(entry.Type),
                        entry.Tag);
            Entries.Check(entry, kind, at());
        }
        if (entry.Inline)
            continue;
        const bool inFile = Raw.InFile(entry.ValueOffset, entry.Size);
        if (!inFile)
            Finding(TRuleId::ValueOutside, entry.ValueOffset, where,
                    "value of " + TagText(kind, entry.Tag) + " (" + std::to_string(entry.Size) +
                        " bytes) lies beyond the end of the file",
                    entry.Tag);
        Claim(entry.ValueOffset, entry.Size, inFile, owner, where.Offset, entry.Tag,
              TSpanKind::Value);
        if (entry.ValueOffset % 2 != 0)
            Finding(TRuleId::ValueOddOffset, entry.ValueOffset, where,
                    "value of " + TagText(kind, entry.Tag) + " at an odd offset", entry.Tag);
    }
    Ascending = ascending;
    // Tags in strictly ascending order cannot repeat.
    if (ascending)
        return;
    Tags.clear();
    for (const TTiffRawEntry& entry : dir.Entries)
        Tags.push_back(entry.Tag);
    std::sort(Tags.begin(), Tags.end());
    for (std::size_t i = 1; i < Tags.size(); ++i)
        if (Tags[i] == Tags[i - 1] && (i + 1 == Tags.size() || Tags[i + 1] != Tags[i]))
            Finding(TRuleId::TagRepeated, dir.Offset, where,
                    TagText(kind, Tags[i]) + " appears more than once", Tags[i]);
}

void TChecker::CheckLayout(const TTiffRawDirectory& dir, const TWhere& where, std::uint32_t owner,
                           bool tiles)
{
    const std::uint32_t offsetsTag = tiles ? TagTileOffsets : TagStripOffsets;
    const std::uint32_t countsTag = tiles ? TagTileByteCounts : TagStripByteCounts;
    const char* name = tiles ? "Tile" : "Strip";
    const TTiffRawEntry* offsetsEntry = Find(offsetsTag);
    const TTiffRawEntry* countsEntry = Find(countsTag);
    if (!offsetsEntry || !countsEntry)
        return;
    TNumbers offsets, counts;
    if (!Numbers(*offsetsEntry, OffsetBytes, offsets) ||
        !Numbers(*countsEntry, CountBytes, counts)) {
        Finding(TRuleId::LayoutUnreadable, dir.Offset, where,
                std::string(name) + "Offsets or " + name +
                    "ByteCounts cannot be read as unsigned integers");
        return;
    }
    if (offsets.Count != counts.Count)
        Finding(TRuleId::LayoutCounts, dir.Offset, where,
                std::string(name) + "Offsets has " + std::to_string(offsets.Count) + " values, " +
                    name + "ByteCounts " + std::to_string(counts.Count));
    const std::uint64_t width = First<TagImageWidth>(0);
    const std::uint64_t length = First<TagImageLength>(0);
    const std::uint64_t planes = First<TagPlanarConfig>(1) == 2 ? First<TagSamplesPerPixel>(1) : 1;
    std::uint64_t expected = 0;
    if (tiles) {
        const std::uint64_t tw = First<TagTileWidth>(0), tl = First<TagTileLength>(0);
        if (tw && tl)
            expected = (width + tw - 1) / tw * ((length + tl - 1) / tl) * planes;
    } else {
        const std::uint64_t rows = First<TagRowsPerStrip>(0xFFFFFFFF);
        if (rows)
            expected = (length + rows - 1) / rows * planes;
    }
    if (width && length && expected && offsets.Count != expected)
        Finding(TRuleId::LayoutGeometry, dir.Offset, where,
                std::string(name) + "Offsets has " + std::to_string(offsets.Count) +
                    " values; the image geometry needs " + std::to_string(expected),
                static_cast<std::uint16_t>(offsetsTag));
    const std::uint64_t n = std::min(offsets.Count, counts.Count);
    for (std::uint64_t k = 0; k < n; ++k) {
        const std::uint64_t at = Raw.Element(offsets.Bytes, offsets.Type, k);
        const std::uint64_t size = Raw.Element(counts.Bytes, counts.Type, k);
        const bool inFile = Raw.InFile(at, size);
        if (!inFile)
            Finding(TRuleId::DataOutside, at, where,
                    std::string(tiles ? "tile " : "strip ") + std::to_string(k + 1) + " (" +
                        std::to_string(size) + " bytes) lies beyond the end of the file");
        Claim(at, size, inFile, owner, where.Offset, static_cast<std::uint32_t>(k),
              tiles ? TSpanKind::Tile : TSpanKind::Strip);
    }
}

// The tags every image needs, in the order findings name them.
void TChecker::ReportMissingTags(const TTiffRawDirectory& dir, TTiffDirKind kind,
                                 const TWhere& where, bool tiles)
{
    const std::uint32_t required[] = {
        TagImageWidth,
        TagImageLength,
        TagPhotometric,
        tiles ? TagTileOffsets : TagStripOffsets,
        tiles ? TagTileByteCounts : TagStripByteCounts,
        TagXResolution,
        TagYResolution,
        TagResolutionUnit,
    };
    for (std::uint32_t tag : required)
        if (!Find(tag))
            Finding(tag >= TagXResolution ? TRuleId::ResolutionMissing : TRuleId::TagMissing,
                    dir.Offset, where, "required " + TagText(kind, tag) + " is missing",
                    static_cast<std::uint16_t>(tag));
}

void TChecker::CheckImage(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                          std::uint32_t owner)
{
    const bool tiles = !Has(TagBits({TagStripOffsets})) && Has(TagBits({TagTileOffsets}));
    constexpr std::uint32_t always = TagBits({TagImageWidth, TagImageLength, TagPhotometric,
                                              TagXResolution, TagYResolution, TagResolutionUnit});
    const std::uint32_t layout = tiles ? TagBits({TagTileOffsets, TagTileByteCounts})
                                       : TagBits({TagStripOffsets, TagStripByteCounts});
    if (!Has(always | layout))
        ReportMissingTags(dir, kind, where, tiles);
    if (tiles && !Has(TagBits({TagTileWidth, TagTileLength})))
        Finding(TRuleId::TileSizeMissing, dir.Offset, where,
                "a tiled image without TileWidth and TileLength");
    CheckLayout(dir, where, owner, tiles);
    CheckImageTags(dir, where);
}

void TChecker::CheckImageTags(const TTiffRawDirectory& dir, const TWhere& where)
{
    // A bilevel or grey image without the tags that tie samples, colours and
    // compression together breaks none of their rules.
    constexpr std::uint32_t tying =
        TagBits({TagColorMap, TagExtraSamples, TagSampleFormat, TagSubsampling, TagJpegOffset,
                 TagJpegLength, TagSamplesPerPixel, TagCompression});
    if ((ImageTagsPresent & tying) == 0 && First<TagPhotometric>(0) <= 1 &&
        CountOf(TagBitsPerSample) <= 1)
        return;
    TImageFacts facts;
    if (Find(TagPhotometric))
        facts.Photometric = First<TagPhotometric>(0);
    facts.Compression = First<TagCompression>(1);
    facts.SamplesPerPixel = First<TagSamplesPerPixel>(1);
    facts.BitsPerSample = First<TagBitsPerSample>(1);
    facts.BitsPerSampleCount = CountOf(TagBitsPerSample);
    facts.SampleFormatCount = CountOf(TagSampleFormat);
    facts.ExtraSamplesCount = CountOf(TagExtraSamples);
    if (Find(TagColorMap))
        facts.ColorMapCount = CountOf(TagColorMap);
    if (const TTiffRawEntry* sub = Find(TagSubsampling); sub && sub->Count == 2) {
        TNumbers numbers;
        if (Numbers(*sub, Value, numbers)) {
            facts.SubsamplingAcross = Raw.Element(numbers.Bytes, numbers.Type, 0);
            facts.SubsamplingDown = Raw.Element(numbers.Bytes, numbers.Type, 1);
        }
    }
    if (Find(TagJpegOffset))
        facts.JpegOffset = First<TagJpegOffset>(0);
    if (Find(TagJpegLength))
        facts.JpegLength = First<TagJpegLength>(0);
    facts.FileSize = Raw.FileSize();
    Current = &where;
    CheckImageFacts(facts, dir.Offset, *this);
}

// What every directory that could be read is checked for. Image rules hold
// for pages and SubIFDs only: EXIF, GPS and Interoperability directories
// describe no image.
void TChecker::CheckDirectory(const TTiffRawDirectory& dir, TTiffDirKind kind, const TWhere& where,
                              std::uint32_t owner)
{
    if (Watch && !Map.IsCollecting())
        Watch->Directory(dir.Offset, where.Page, where.Path);
    Claim(dir.Offset, dir.ByteSize, true, owner, dir.Offset, 0, TSpanKind::Directory);
    Current = &where;
    CheckEntries(dir, kind, where, owner);
    if (kind == TTiffDirKind::Page || kind == TTiffDirKind::SubIfd) {
        CheckImage(dir, kind, where, owner);
        // Most directories end below the GeoTIFF tags.
        if (!Ascending || (!dir.Entries.empty() && dir.Entries.back().Tag >= TagGeoKeyDirectory))
            GeoKeys.Check(dir);
    }
    if (kind == TTiffDirKind::Exif && !Map.IsCollecting() &&
        std::none_of(dir.Entries.begin(), dir.Entries.end(),
                     [](const TTiffRawEntry& e) { return e.Tag == TagExifVersion; }))
        Finding(TRuleId::VersionMissing, dir.Offset, where,
                "an EXIF directory without ExifVersion");
}

void TChecker::CheckChildren(const TTiffWalkEntry& entry, const TWhere& where)
{
    if (!entry.ChildFailure.empty())
        Finding(TRuleId::ChildUnreadable, entry.Raw.ValueOffset, where, entry.ChildFailure,
                entry.Raw.Tag);
    if (entry.Children.empty())
        return;
    const std::string parent = Text(where);
    for (const TTiffChildDir& child : entry.Children) {
        const std::string childWhere = parent + " > " + ChildDirLabel(child, entry.Raw.Count);
        ChildDirs.Insert(child.Offset);
        ChildNames.push_back(childWhere);
        const auto owner = static_cast<std::uint32_t>(ChildNames.size() - 1) | ChildOwner;
        CheckChild(child, {where.Page, &childWhere, child.Offset}, owner);
    }
}

void TChecker::CheckChild(const TTiffChildDir& child, const TWhere& where, std::uint32_t owner)
{
    if (!CheckPlace(child.Offset, child.Failure, where, TRuleId::ChildUnreadable))
        return;
    // Children are few: a copy of their entries lets them share the pages' checks.
    TTiffRawDirectory dir;
    dir.Offset = child.Offset;
    dir.ByteSize = child.ByteSize;
    dir.Entries.reserve(child.Entries.size());
    for (const TTiffWalkEntry& entry : child.Entries)
        dir.Entries.push_back(entry.Raw);
    CheckDirectory(dir, child.Kind, where, owner);
    for (const TTiffWalkEntry& entry : child.Entries)
        if (!entry.Children.empty() || !entry.ChildFailure.empty())
            CheckChildren(entry, where);
}

void TChecker::WalkPages()
{
    std::uint64_t at = Raw.FirstOffset();
    std::uint64_t linkAt = 4;  // where the offset of the directory at 'at' was found
    if (at == 0)
        Finding(TRuleId::HeaderNoPage, 4, "header", 0, "the file has no page");
    std::uint64_t linkOwner = 0;  // the directory holding that offset; 0 for the header
    for (std::uint32_t number = 1; at != 0; ++number) {
        const TWhere where{number, nullptr, at};
        // A broken link is the fault of the directory that holds it.
        const TWhere link{number, nullptr, linkOwner};
        if (!Pages.Insert(at)) {
            Finding(TRuleId::ChainLoop, linkAt, link,
                    "the page chain loops back to the directory at offset " + std::to_string(at));
            return;
        }
        if (!Raw.InFile(at, 1)) {
            Finding(TRuleId::ChainOutside, linkAt, link,
                    "the page chain leads to offset " + std::to_string(at) +
                        ", beyond the end of the file");
            return;
        }
        if (!AllDirs.Insert(at) && ChildDirs.Contains(at))
            Finding(TRuleId::DirectoryShared, at, where, "the directory is also a child directory");
        TErrCode code = ErrOk;
        PageFailure.clear();
        Raw.ReadDirectory(at, Page, code, PageFailure);
        if (!CheckPlace(at, PageFailure, where, TRuleId::DirectoryUnreadable))
            return;
        ++PagesRead;
        CheckDirectory(Page, TTiffDirKind::Page, where, number);
        // Every pointer tag is 330 or above: most entries, and most pages
        // whose tags ascend below it, are passed at once.
        const bool pointers =
            !Ascending || (!Page.Entries.empty() && Page.Entries.back().Tag >= TagSubIfds);
        for (const TTiffRawEntry& entry : pointers ? Page.Entries : NoEntries)
            if (entry.Tag >= TagSubIfds &&
                Walker.ReadEntryChildren(TTiffDirKind::Page, entry, Pointer))
                CheckChildren(Pointer, where);
        linkAt = at + Page.ByteSize - Raw.OffsetSize();
        linkOwner = at;
        at = Page.NextOffset;
        if (Watch && !Watch->PageDone(number)) {
            Stopped = true;
            return;
        }
    }
}

void TChecker::ReportOverlaps()
{
    Map.ForEachOverlap([this](const TSpan& span, const TSpan& earlier) {
        Finding(TRuleId::Overlap, span.Start, SpanText(span), span.Directory,
                "overlaps " + SpanText(earlier));
    });
}

void TChecker::Walk()
{
    Claim(0, Raw.HeaderSize(), true, 0, 0, 0, TSpanKind::Header);
    WalkPages();
}

// What one walk learnt; the next walk, of this file or another, starts bare.
void TChecker::Forget()
{
    Pages.Clear();
    AllDirs.Clear();
    ChildDirs.Clear();
    ChildNames.clear();
    PagesRead = 0;
}

void TChecker::Run(const std::string& path, IFindingSink& findings, ICheckWalkWatch* watch,
                   TCheckedFile& file)
{
    Stopped = false;
    Raw.Close();
    Map.Reset();
    Forget();
    file = {};
    TErrCode code = ErrOk;
    Raw.Open(path, path, code, file.Reason);
    file.Size = Raw.FileSize();
    if (code != ErrOk) {
        file.State = Raw.NotTiff() ? TFileState::NotTiff : TFileState::Unreadable;
        file.Code = 2;
        return;
    }
    file.BigEndian = Raw.IsBigEndian();
    file.BigTiff = Raw.IsBigTiff();
    Findings = &findings;
    Watch = watch;
    Findings->Begin(path);
    if (Watch)
        Watch->Begin(Raw.FileSize());
    Walk();
    file.Pages = PagesRead;
    if (!Stopped && Map.StartCollecting()) {
        Forget();
        Walk();
        ReportOverlaps();
    }
    file.Code = Findings->Finish();
    Raw.Close();
}

}  // namespace

int RunStructureCheck(const std::string& path, const TCheckOptions& options, std::ostream& out,
                      std::ostream& err)
{
    TFindingReport report(options, out);
    return RunStructureCheck(path, report, err);
}

struct TStructureChecker::TImpl {
    TChecker Checker;
};

// The checker keeps its buffers from file to file.
TStructureChecker::TStructureChecker() : Impl(std::make_unique<TImpl>()) {}

TStructureChecker::~TStructureChecker() = default;

void TStructureChecker::Check(const std::string& path, IFindingSink& findings, TCheckedFile& file,
                              ICheckWalkWatch* watch)
{
    Impl->Checker.Run(path, findings, watch, file);
}

int RunStructureCheck(const std::string& path, IFindingSink& findings, std::ostream& err)
{
    TStructureChecker checker;
    TCheckedFile file;
    checker.Check(path, findings, file);
    if (file.State != TFileState::Checked)
        err << file.Reason << '\n';
    return file.Code;
}

int RunStructureCheck(const std::string& path, IFindingSink& findings, ICheckWalkWatch& watch,
                      std::ostream& err)
{
    TStructureChecker checker;
    TCheckedFile file;
    checker.Check(path, findings, file, &watch);
    if (file.State != TFileState::Checked)
        err << file.Reason << '\n';
    return file.Code;
}
