// What walking a page chain costs the random reader in system reads: the
// two small reads of a directory (its entry count, then the next offset
// behind its entries) must share one small read when directories lie far
// apart, and adjacent directories must share few large ones.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "StoreHelpers.h"
#include "TempFile.h"
#include "TiffWriter.h"
#include "io/SysFile.h"

namespace {

// A little-endian file whose chain runs through the given directories; the
// i-th has 1 + i % 25 entries unless every directory has one. The file runs
// on past the last directory by the room of a full one.
std::string ChainFile(const std::vector<std::uint32_t>& offsets, bool singleEntries)
{
    tiffw::TTiff tiff;
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        tiffw::TIfd ifd;
        ifd.Offset = offsets[i];
        const std::size_t entries = singleEntries ? 1 : 1 + i % 25;
        for (std::size_t k = 0; k < entries; ++k)
            ifd.Entries.push_back(tiffw::Short(static_cast<std::uint16_t>(256 + k), {1}));
        tiff.Ifds.push_back(std::move(ifd));
    }
    tiff.Length = offsets.back() + tiffw::DirectorySize(25);
    const std::vector<std::uint8_t> bytes = tiffw::Bytes(tiff);
    return std::string(bytes.begin(), bytes.end());
}

std::uint32_t ReadLittle(TIOReader& reader, std::uint32_t at, std::uint32_t width)
{
    TErrCode code = ErrOk;
    std::string text;
    std::uint8_t bytes[4] = {};
    reader.Seek(at, code, text);
    reader.Read(width, bytes, code, text);
    EXPECT_EQ(code, ErrOk) << text;
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

struct TWalkCost {
    std::uint32_t Directories = 0;
    std::uint64_t Reads = 0;  // after the header's
    std::uint64_t Bytes = 0;  // asked for, not delivered
};

// Walks the chain as the page counter does, counting the system reads.
TWalkCost CostOfWalk(const std::vector<std::uint32_t>& offsets, bool singleEntries)
{
    TTempFile file(ChainFile(offsets, singleEntries));
    auto store = NewStore(file.Path());
    TResult opened;
    auto reader = NewReader(*store, opened);
    std::uint32_t offset = ReadLittle(*reader, 4, 4);
    const std::uint64_t reads = TSysFile::ReadCallCount(), bytes = TSysFile::ReadBytesAsked();
    std::vector<std::uint32_t> visited;
    while (offset != 0 && visited.size() < 100000) {
        visited.push_back(offset);
        const std::uint32_t entries = ReadLittle(*reader, offset, 2);
        offset = ReadLittle(*reader, offset + 2 + 12 * entries, 4);
    }
    EXPECT_EQ(visited, offsets);
    return {static_cast<std::uint32_t>(visited.size()), TSysFile::ReadCallCount() - reads,
            TSysFile::ReadBytesAsked() - bytes};
}

}  // namespace

TEST(ReadAheadCost, ScatteredDirectoriesCostOneSmallReadEach)
{
    // Distances just past a small fill, odd ones, and a whole window, which
    // a fresh reader's first fill ends exactly at.
    for (std::uint32_t distance : {9000u, 20000u, 65536u, 100003u}) {
        std::vector<std::uint32_t> offsets;
        for (std::uint32_t i = 1; i <= 40; ++i)
            offsets.push_back(i * distance);
        const TWalkCost cost = CostOfWalk(offsets, false);
        EXPECT_LE(cost.Reads, cost.Directories) << "distance " << distance;
        EXPECT_LE(cost.Bytes, std::uint64_t(cost.Directories) * 2 * 4096)
            << "distance " << distance;
    }
}

TEST(ReadAheadCost, AdjacentDirectoriesShareFewReads)
{
    // Far from the header, so the fills start small and must grow.
    const std::uint32_t count = 20000, size = 2 + 12 + 4;
    std::vector<std::uint32_t> offsets;
    for (std::uint32_t i = 0; i < count; ++i)
        offsets.push_back(3000000 + i * size);
    const TWalkCost cost = CostOfWalk(offsets, true);
    const std::uint32_t wholeWindows = count * size / TIOReaderFileRandom::WindowSize;
    EXPECT_LE(cost.Reads, wholeWindows + 6);
    EXPECT_LE(cost.Bytes, std::uint64_t(count) * size + 2 * TIOReaderFileRandom::WindowSize);

    // Adjacent directories with long entry lists read the same way.
    offsets.clear();
    for (std::uint32_t i = 0, at = 5000; i < 2000; at += 2 + 12 * (1 + i % 25) + 4, ++i)
        offsets.push_back(at);
    const TWalkCost mixed = CostOfWalk(offsets, false);
    EXPECT_LE(mixed.Reads,
              (offsets.back() - offsets.front()) / TIOReaderFileRandom::WindowSize + 6);
}
