// The byte map of the structure check: every structure the file declares
// (header, directories, values, strips, tiles) as a span of bytes, and the
// spans that overlap another.
//
// A well-formed file of a million pages should cost next to nothing, so the
// first walk keeps only stretches of structures that follow each other
// without a gap. Where stretches overlap, a second walk collects the spans
// inside them, and only those are compared.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

enum class TSpanKind : std::uint8_t { Header, Directory, Value, Strip, Tile };

struct TSpan {
    std::uint64_t Start;
    std::uint64_t End;
    std::uint64_t Directory;  // the offset of the directory it belongs to; 0 for the header
    std::uint32_t Owner;      // whose structure it is, as the caller numbers them
    std::uint32_t Item;       // tag of a value, index of a strip or tile
    TSpanKind Kind;
};

class TByteMap {
public:
    // Adds [start, start + size); empty spans are left out.
    void Add(std::uint64_t start, std::uint64_t size, std::uint32_t owner, std::uint64_t directory,
             std::uint32_t item, TSpanKind kind)
    {
        // A structure that follows the last one, as nearly all do in the
        // first walk, only lengthens its stretch: inline, since every page
        // adds a few.
        if (!Collecting && size != 0 && !Runs.empty() && Runs.back().End == start)
            Runs.back().End = start + size;
        else
            AddApart(start, size, owner, directory, item, kind);
    }

    // Ends the first walk: true when stretches overlap, and the spans of a
    // second walk of the same structures are then collected.
    bool StartCollecting();
    bool IsCollecting() const { return Collecting; }
    // Empty again for the next file, keeping the memory.
    void Reset()
    {
        Collecting = false;
        Runs.clear();
        Clashes.clear();
        Spans.clear();
    }
    // Every collected span that starts inside an earlier one, with the widest
    // of those, in the order of their offsets.
    void ForEachOverlap(const std::function<void(const TSpan& span, const TSpan& earlier)>& report);

private:
    // A stretch of the file covered by adjacent structures.
    struct TRun {
        std::uint64_t Start;
        std::uint64_t End;
    };

    void AddApart(std::uint64_t start, std::uint64_t size, std::uint32_t owner,
                  std::uint64_t directory, std::uint32_t item, TSpanKind kind);
    void Collect(const TSpan& span);
    bool InClash(std::uint64_t offset) const;

    bool Collecting = false;
    std::vector<TRun> Runs;
    std::vector<TRun> Clashes;  // sorted, disjoint: where stretches overlap
    std::vector<TSpan> Spans;
};
