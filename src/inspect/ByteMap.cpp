#include "inspect/ByteMap.h"

#include <algorithm>

void TByteMap::AddApart(std::uint64_t start, std::uint64_t size, std::uint32_t owner,
                        std::uint64_t directory, std::uint32_t item, TSpanKind kind)
{
    if (size == 0)
        return;
    if (Collecting)
        Collect({start, start + size, directory, owner, item, kind});
    else
        Runs.push_back({start, start + size});
}

bool TByteMap::StartCollecting()
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
    Collecting = !Clashes.empty();
    return Collecting;
}

bool TByteMap::InClash(std::uint64_t offset) const
{
    auto after = std::upper_bound(Clashes.begin(), Clashes.end(), offset,
                                  [](std::uint64_t at, const TRun& run) { return at < run.Start; });
    return after != Clashes.begin() && offset < std::prev(after)->End;
}

// A span lies inside one stretch: its start decides.
void TByteMap::Collect(const TSpan& span)
{
    if (InClash(span.Start))
        Spans.push_back(span);
}

// Every span that overlaps another lies in a clash, and so does the span it
// is reported against: the spans outside change nothing.
void TByteMap::ForEachOverlap(
    const std::function<void(const TSpan& span, const TSpan& earlier)>& report)
{
    const auto byStart = [](const TSpan& a, const TSpan& b) { return a.Start < b.Start; };
    if (!std::is_sorted(Spans.begin(), Spans.end(), byStart))
        std::stable_sort(Spans.begin(), Spans.end(), byStart);
    Collecting = false;
    std::size_t widest = 0;
    for (std::size_t i = 1; i < Spans.size(); ++i) {
        if (Spans[i].Start < Spans[widest].End)
            report(Spans[i], Spans[widest]);
        if (Spans[i].End > Spans[widest].End)
            widest = i;
    }
}
