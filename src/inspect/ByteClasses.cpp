#include "inspect/ByteClasses.h"

#include <algorithm>
#include <limits>

namespace {

TByteClass ClassOfKind(TSpanKind kind)
{
    switch (kind) {
    case TSpanKind::Header: return TByteClass::Header;
    case TSpanKind::Directory: return TByteClass::Directory;
    case TSpanKind::Value: return TByteClass::TagValue;
    case TSpanKind::Strip:
    case TSpanKind::Tile: break;
    }
    return TByteClass::ImageData;
}

// How much a class tells when a pixel holds several: a fault outweighs
// structure, and small structures outweigh the bulk of image data.
int Rank(TByteClass byteClass)
{
    constexpr int ranks[ByteClassCount] = {0, 3, 2, 1, 4, 6, 5};
    return ranks[static_cast<std::size_t>(byteClass)];
}

bool SameOwner(const TByteRegion& a, const TByteRegion& b)
{
    return a.Class == b.Class && a.Directory == b.Directory && a.Kind == b.Kind &&
           a.FirstItem == b.FirstItem && a.LastItem == b.LastItem;
}

// Cuts claims sorted by their starts into regions that do not overlap. A
// byte is claimed twice exactly when it lies below the second largest end
// of the claims started so far, so the two widest claims are all the state.
class TOverlapSweep {
public:
    TOverlapSweep(TByteRegions& regions, TByteRegions& others) : Regions(regions), Others(others) {}
    void Run(const TByteRegions& claims)
    {
        for (const TByteRegion& claim : claims) {
            EmitUpTo(claim.Start);
            if (claim.End > Widest.End) {
                Second = Widest;
                Widest = claim;
            } else if (claim.End > Second.End) {
                Second = claim;
            }
        }
        EmitUpTo(Widest.End);
    }

private:
    void EmitUpTo(std::uint64_t to)
    {
        if (Second.End > At)
            Emit(Second, std::min(to, Second.End), TByteClass::Overlap);
        if (Widest.End > At)
            Emit(Widest, std::min(to, Widest.End), ClassOfKind(Widest.Kind));
        At = std::max(At, to);
    }
    void Emit(const TByteRegion& owner, std::uint64_t end, TByteClass byteClass)
    {
        if (end <= At)
            return;
        TByteRegion region = owner;
        region.Start = At;
        region.End = end;
        region.Class = byteClass;
        At = end;
        if (!Regions.empty() && Regions.back().End == region.Start &&
            SameOwner(Regions.back(), region)) {
            Regions.back().End = end;
            return;
        }
        Regions.push_back(region);
        if (byteClass == TByteClass::Overlap) {
            Others.push_back(Widest);
            Others.back().Start = region.Start;
        }
    }

    TByteRegions& Regions;
    TByteRegions& Others;
    TByteRegion Widest, Second;
    std::uint64_t At = 0;
};

std::uint64_t UnionLength(const TByteRegions& sorted)
{
    std::uint64_t total = 0, at = 0;
    for (const TByteRegion& region : sorted) {
        const std::uint64_t start = std::max(at, region.Start);
        if (region.End > start)
            total += region.End - start;
        at = std::max(at, region.End);
    }
    return total;
}

bool StartsBefore(const TByteRegion& a, const TByteRegion& b)
{
    return a.Start < b.Start;
}

}  // namespace

const char* ByteClassId(TByteClass byteClass)
{
    constexpr const char* ids[ByteClassCount] = {
        "header", "directory", "tag-value", "image-data", "unaccounted", "overlap", "beyond-end",
    };
    return ids[static_cast<std::size_t>(byteClass)];
}

void TByteClassifier::Begin(std::uint64_t fileSize)
{
    Map = TByteClassMap();
    Map.Size = fileSize;
    Current = NoDirectory;
}

void TByteClassifier::Directory(std::uint64_t offset, std::uint32_t page,
                                const std::string* childPath)
{
    TByteMapDirectory dir{offset, page, 0};
    if (childPath) {
        Map.ChildPaths.push_back(*childPath);
        dir.Child = static_cast<std::uint32_t>(Map.ChildPaths.size());
    }
    Map.Dirs.push_back(dir);
    Current = static_cast<std::uint32_t>(Map.Dirs.size() - 1);
}

void TByteClassifier::Claim(std::uint64_t start, std::uint64_t size, std::uint32_t item,
                            TSpanKind kind)
{
    if (size == 0)
        return;
    const std::uint64_t end =
        size > std::numeric_limits<std::uint64_t>::max() - start ? ~std::uint64_t(0) : start + size;
    if (start < Map.Size)
        Keep(Map.Claimed, start, std::min(end, Map.Size), item, kind);
    if (end > Map.Size)
        Keep(Map.Beyond, std::max(start, Map.Size), end, item, kind);
}

void TByteClassifier::Keep(TByteRegions& into, std::uint64_t start, std::uint64_t end,
                           std::uint32_t item, TSpanKind kind)
{
    if (!into.empty()) {
        TByteRegion& last = into.back();
        if (last.End == start && last.Directory == Current && last.Kind == kind) {
            last.End = end;
            last.LastItem = item;
            return;
        }
    }
    const TByteClass byteClass = &into == &Map.Beyond ? TByteClass::BeyondEnd : ClassOfKind(kind);
    into.push_back({start, end, Current, item, item, kind, byteClass});
}

TByteClassMap TByteClassifier::Finish()
{
    TByteRegions& claims = Map.Claimed;
    if (!std::is_sorted(claims.begin(), claims.end(), StartsBefore))
        std::stable_sort(claims.begin(), claims.end(), StartsBefore);
    std::uint64_t reach = 0;
    bool overlapping = false;
    for (const TByteRegion& claim : claims) {
        overlapping = overlapping || claim.Start < reach;
        reach = std::max(reach, claim.End);
    }
    if (overlapping) {
        TByteRegions regions;
        TOverlapSweep(regions, Map.Others).Run(claims);
        claims.swap(regions);
    }
    std::uint64_t claimed = 0;
    for (const TByteRegion& region : claims) {
        Map.Counts[static_cast<std::size_t>(region.Class)] += region.End - region.Start;
        claimed += region.End - region.Start;
    }
    Map.Counts[static_cast<std::size_t>(TByteClass::Unaccounted)] = Map.Size - claimed;
    std::stable_sort(Map.Beyond.begin(), Map.Beyond.end(), StartsBefore);
    Map.Counts[static_cast<std::size_t>(TByteClass::BeyondEnd)] = UnionLength(Map.Beyond);
    TByteClassMap done = std::move(Map);
    Map = TByteClassMap();
    Current = NoDirectory;
    return done;
}

TByteRegion TByteClassMap::RegionAt(std::uint64_t offset) const
{
    if (offset >= Size)
        return Gap(Size, Size);
    const auto after = std::upper_bound(
        Claimed.begin(), Claimed.end(), offset,
        [](std::uint64_t at, const TByteRegion& region) { return at < region.Start; });
    if (after != Claimed.begin() && offset < std::prev(after)->End)
        return *std::prev(after);
    return Gap(after == Claimed.begin() ? 0 : std::prev(after)->End,
               after == Claimed.end() ? Size : after->Start);
}

std::optional<TByteRegion> TByteClassMap::OtherClaimant(const TByteRegion& overlap) const
{
    const auto at = std::lower_bound(Others.begin(), Others.end(), overlap, StartsBefore);
    if (overlap.Class != TByteClass::Overlap || at == Others.end() || at->Start != overlap.Start)
        return std::nullopt;
    return *at;
}

std::uint64_t TByteClassMap::DirectoryOffset(std::uint32_t directory) const
{
    return directory < Dirs.size() ? Dirs[directory].Offset : 0;
}

std::string TByteClassMap::DirectoryPath(std::uint32_t directory) const
{
    if (directory >= Dirs.size())
        return {};
    const TByteMapDirectory& dir = Dirs[directory];
    return dir.Child ? ChildPaths[dir.Child - 1] : "page " + std::to_string(dir.Page);
}

namespace {

std::string Items(const char* one, const char* many, std::uint32_t first, std::uint32_t last)
{
    if (first == last)
        return std::string(one) + " " + std::to_string(first);
    return std::string(many) + " " + std::to_string(first) + " to " + std::to_string(last);
}

}  // namespace

std::string TByteClassMap::OwnerText(const TByteRegion& region) const
{
    if (region.Class == TByteClass::Unaccounted)
        return {};
    const std::string path = DirectoryPath(region.Directory);
    std::string text;
    switch (region.Kind) {
    case TSpanKind::Header: text = "the header"; break;
    case TSpanKind::Directory: text = path; break;
    case TSpanKind::Value:
        text = path + ", " +
               Items("value of tag", "values of tags", region.FirstItem, region.LastItem);
        break;
    case TSpanKind::Strip:
    case TSpanKind::Tile: {
        const bool strip = region.Kind == TSpanKind::Strip;
        text = path + ", " +
               Items(strip ? "strip" : "tile", strip ? "strips" : "tiles", region.FirstItem + 1,
                     region.LastItem + 1);
        break;
    }
    }
    if (const std::optional<TByteRegion> other = OtherClaimant(region)) {
        TByteRegion claim = *other;
        claim.Class = ClassOfKind(claim.Kind);
        text += " and " + OwnerText(claim);
    }
    return text;
}

// Pixel p starts at floor(p * size / pixels), computed without a product
// that could overflow.
std::uint64_t TByteClassMap::PixelStart(std::uint64_t pixel, std::uint32_t pixels) const
{
    return Size / pixels * pixel + Size % pixels * pixel / pixels;
}

// The most telling class in [start, end), scanning regions from 'from' on
// ('from' is left at the first region that may reach later pixels).
TByteClass TByteClassMap::PixelClass(std::uint64_t start, std::uint64_t end, std::size_t& from,
                                     std::uint64_t* firstOfClass) const
{
    while (from < Claimed.size() && Claimed[from].End <= start)
        ++from;
    TByteClass best = TByteClass::Header;
    std::uint64_t bestAt = start;
    bool found = false;
    const auto consider = [&](TByteClass byteClass, std::uint64_t at) {
        if (!found || Rank(byteClass) > Rank(best)) {
            best = byteClass;
            bestAt = at;
            found = true;
        }
    };
    std::uint64_t covered = start;
    for (std::size_t i = from; i < Claimed.size() && Claimed[i].Start < end; ++i) {
        if (Claimed[i].Start > covered)
            consider(TByteClass::Unaccounted, covered);
        consider(Claimed[i].Class, std::max(start, Claimed[i].Start));
        covered = std::max(covered, Claimed[i].End);
    }
    if (covered < end)
        consider(TByteClass::Unaccounted, covered);
    if (firstOfClass)
        *firstOfClass = bestAt;
    return best;
}

std::vector<TByteClass> TByteClassMap::PixelClasses(std::uint32_t pixels) const
{
    std::vector<TByteClass> classes(pixels, TByteClass::Unaccounted);
    if (Size == 0)
        return classes;
    std::size_t from = 0;
    for (std::uint32_t p = 0; p < pixels; ++p) {
        const std::uint64_t start = PixelStart(p, pixels);
        const std::uint64_t end = std::max(PixelStart(p + 1ull, pixels), start + 1);
        classes[p] = PixelClass(start, end, from);
    }
    return classes;
}

std::uint64_t TByteClassMap::PixelOffset(std::uint32_t pixel, std::uint32_t pixels) const
{
    if (Size == 0 || pixel >= pixels)
        return 0;
    const std::uint64_t start = PixelStart(pixel, pixels);
    const std::uint64_t end = std::max(PixelStart(pixel + 1ull, pixels), start + 1);
    std::size_t from = static_cast<std::size_t>(
        std::partition_point(Claimed.begin(), Claimed.end(),
                             [start](const TByteRegion& region) { return region.End <= start; }) -
        Claimed.begin());
    std::uint64_t offset = start;
    PixelClass(start, end, from, &offset);
    return offset;
}

int ClassifyFileBytes(const std::string& path, IFindingSink& findings, TByteClassMap& map,
                      std::ostream& err)
{
    TByteClassifier classifier;
    const int code = RunStructureCheck(path, findings, classifier, err);
    if (code != 2)
        map = classifier.Finish();
    return code;
}
