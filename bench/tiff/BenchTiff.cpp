// Page counting and first-page figures of the TIFF reader on generated files,
// beside reference walks of the same chains. Prints figures; not a test.
//   bench-tiff [folder [--keep]]   (default: the system's temporary folder)
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>

#include "BenchSteps.h"
#include "CompactFile.h"
#include "DumpTool.h"
#include "ReferenceWalks.h"
#include "TiffWriter.h"
#include "io/SysIO.h"
#include "tiff/KvCodecTiff.h"
#include "tiff/ValueLimits.h"

using namespace tiffw;

namespace {

// 64 KiB apart, as many pages as 32-bit offsets can reach.
constexpr std::uint32_t SpreadDistance = 64 * 1024;
constexpr std::uint32_t SpreadPages = 65535;
constexpr std::uint64_t LargeFileSize = 1ull << 30;
constexpr std::uint64_t BigFileSize = 5ull << 30;

// The best time of counting the pages one way, which must find them all.
double BestCount(const std::function<std::uint32_t()>& count, std::uint32_t expected)
{
    return BestTime([&] {
        const std::uint32_t pages = count();
        if (pages != expected)
            std::fprintf(stderr, "counted %u pages, expected %u\n", pages, expected);
        return pages == expected;
    });
}

std::uint32_t TypeBytes(std::uint16_t type)
{
    return type == tShort ? 2 : type == tLong ? 4 : 1;
}

void WriteSpread(const std::string& path)
{
    TLayout layout;
    layout.Pieces.push_back({0, EncodeHeader(TOrder::Little, SpreadDistance)});
    for (std::uint32_t i = 1; i <= SpreadPages; ++i) {
        TPiece piece{std::uint64_t(i) * SpreadDistance, {}};
        AppendDirectory(TOrder::Little, PageEntries(i),
                        i < SpreadPages ? (i + 1) * SpreadDistance : 0, piece.Bytes);
        layout.Pieces.push_back(std::move(piece));
    }
    layout.Length = std::uint64_t(SpreadPages) * SpreadDistance + 4096;
    WriteFile(path, layout);
}

// The same pages as WriteCompact in a BigTIFF: 16-byte header, directories
// of an 8-byte count, one 20-byte entry and an 8-byte next offset.
void WriteCompactBig(const std::string& path)
{
    const std::uint64_t size = DirectorySize(1, true);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(16 + std::size_t(size) * CompactPages);
    const auto put = [&](std::uint64_t v, unsigned n) {
        for (unsigned i = 0; i < n; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put('I' | 'I' << 8, 2);
    put(43, 2);
    put(8, 2);
    put(0, 2);
    put(16, 8);
    for (std::uint32_t i = 0; i < CompactPages; ++i) {
        put(1, 8);
        put(297, 2);
        put(tShort, 2);
        put(2, 8);
        put(i & 0xFFFF, 8);
        put(i + 1 < CompactPages ? 16 + (i + 1) * size : 0, 8);
    }
    TLayout layout;
    layout.Length = bytes.size();
    layout.Pieces.push_back({0, std::move(bytes)});
    WriteFile(path, layout);
}

// A page with strips, texts and rationals in the last 64 KiB of a 1 GiB file
// (or of a 5 GiB BigTIFF).
void WriteLarge(const std::string& path, bool big = false)
{
    const std::uint64_t length = big ? BigFileSize : LargeFileSize;
    TTiff tiff;
    tiff.Big = big;
    TIfd page;
    page.Offset = length - 65536;
    page.Entries = {
        Long(256, {4000}),
        Long(257, {3000}),
        Short(258, {8, 8, 8}),
        Short(259, {5}),
        Short(262, {2}),
        Ascii(270, std::string(200, 'd')),
        Long(273, std::vector<std::uint32_t>(100, 8)),
        Short(277, {3}),
        Long(278, {30}),
        Long(279, std::vector<std::uint32_t>(100, 10000000)),
        Rational(282, {{300, 1}}),
        Rational(283, {{300, 1}}),
        Short(296, {2}),
        Short(320, std::vector<std::uint16_t>(768, 7)),
    };
    tiff.Ifds.push_back(page);
    tiff.Length = length;
    WriteFile(path, tiff);
}

// Hostile files for memory: every entry's value spans the whole file, in
// texts, lists and byte counts, so that a reader that loads values whole
// needs the file size once per entry.
void WriteHostile(const std::string& path, std::uint64_t length, std::uint16_t entryCount)
{
    const auto span = static_cast<std::uint32_t>(std::min<std::uint64_t>(length, 0xFFFFFFFF));
    TTiff tiff;
    for (int page = 0; page < 2; ++page) {
        TIfd ifd;
        ifd.Entries.push_back(Bare(279, tLong, span / 4).WithField(0));
        for (std::uint16_t i = 1; i < entryCount; ++i) {
            const std::uint16_t type = i % 3 == 0 ? tAscii : i % 3 == 1 ? tLong : tShort;
            ifd.Entries.push_back(
                Bare(static_cast<std::uint16_t>(40000 + i), type, span / TypeBytes(type))
                    .WithField(0));
        }
        tiff.Ifds.push_back(ifd);
    }
    tiff.Length = length;
    WriteFile(path, tiff);
}

// The reader's two reads per directory straight through the storage layer's
// random reader, with or without its read-ahead window: shows how much of a
// step is the reader and how much the storage layer.
std::uint32_t CountWithStorageReader(const std::string& path, bool readAhead)
{
    TErrCode code = ErrOk;
    std::string text;
    auto* store = new TIOStoreFile(path, path);
    TIOReader* reader = nullptr;
    store->CreateReader(iorRandom, reader, code, text);
    store->Release();
    if (code != ErrOk)
        return 0;
    static_cast<TIOReaderFileRandom*>(reader)->SetReadAhead(readAhead);
    std::uint8_t bytes[8];
    reader->Seek(0, code, text);
    reader->Read(8, bytes, code, text);
    std::uint32_t offset = std::uint32_t(bytes[4]) | std::uint32_t(bytes[5]) << 8 |
                           std::uint32_t(bytes[6]) << 16 | std::uint32_t(bytes[7]) << 24;
    std::uint32_t pages = 0;
    while (code == ErrOk && offset != 0) {
        reader->Seek(offset, code, text);
        reader->Read(2, bytes, code, text);
        reader->Seek(offset + 2 + 12 * static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8), code,
                     text);
        reader->Read(4, bytes, code, text);
        offset = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                 std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
        pages += code == ErrOk;
    }
    delete reader;
    return pages;
}

std::uint32_t FirstPage(const std::string& path)
{
    TKvCodecTrnTiff reader;
    TErrCode code = ErrOk;
    std::string text;
    OpenWithReader(reader, path, code, text);
    reader.SelectPage(0, code, text);
    if (code == ErrOk)
        reader.ReadPage(code, text);
    if (code != ErrOk)
        return 0;
    for (std::uint32_t i = 0; i < reader.EntryCount(); ++i)
        reader.ValueText(i, ListValueLimit, text);
    reader.RasterSizeText(text);
    return 1;
}

}  // namespace

// Child mode: dumps every page of one file as orvane-dump does and prints
// the growth of the peak resident size in bytes.
int DumpMemoryChild(const std::string& path)
{
    const std::uint64_t before = CurrentMemory();
    std::ostringstream out, err;
    RunOrvaneDump({path}, out, err);
    const std::uint64_t peak = PeakMemory();
    std::printf("%llu\n", static_cast<unsigned long long>(peak > before ? peak - before : 0));
    return 0;
}

// Child mode: counts one file in a fresh process and prints the growth of
// the peak resident size per page, so that no earlier allocation hides it.
int CountMemoryChild(const std::string& path)
{
    const std::uint64_t before = CurrentMemory();
    const std::uint32_t pages = CountWithReader(path);
    const std::uint64_t peak = PeakMemory();
    std::printf("%.2f\n", pages ? double(peak > before ? peak - before : 0) / pages : 0.0);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--count-memory")
        return CountMemoryChild(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--dump-memory")
        return DumpMemoryChild(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--count")
        return CountWithReader(argv[2]) ? 0 : 1;
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const bool keep = argc > 2 && std::string(argv[2]) == "--keep";
    const std::string compact = (folder / "orvane-bench-compact.tif").string();
    const std::string spread = (folder / "orvane-bench-spread.tif").string();
    const std::string large = (folder / "orvane-bench-large.tif").string();
    WriteCompact(compact);
    WriteSpread(spread);
    WriteLarge(large);

    const double compactReader = BestCount([&] { return CountWithReader(compact); }, CompactPages);
    const double compactMapped = BestCount([&] { return CountPagesMapped(compact); }, CompactPages);
    PrintRatio("1,000,000 adjacent pages", compactReader, "memory-map walk", compactMapped, 4.0);

    const double spreadReader = BestCount([&] { return CountWithReader(spread); }, SpreadPages);
    const double spreadPread = BestCount([&] { return CountPagesPread(spread); }, SpreadPages);
    PrintRatio("65,535 pages 64 KiB apart", spreadReader, "one-pread walk", spreadPread, 1.3);
    std::printf("  per 100,000 pages: reader %.4f s, one-pread walk %.4f s\n",
                spreadReader * 100000 / SpreadPages, spreadPread * 100000 / SpreadPages);
    for (bool readAhead : {true, false}) {
        const char* mode = readAhead ? "with" : "without";
        std::printf(
            "  storage reader alone, %s read-ahead: adjacent %.4f s, spread %.4f s\n", mode,
            BestCount([&] { return CountWithStorageReader(compact, readAhead); }, CompactPages),
            BestCount([&] { return CountWithStorageReader(spread, readAhead); }, SpreadPages));
    }

    const std::string compactBig = (folder / "orvane-bench-compact-big.tif").string();
    WriteCompactBig(compactBig);
    const double compactBigReader =
        BestCount([&] { return CountWithReader(compactBig); }, CompactPages);
    PrintRatio("1,000,000 adjacent BigTIFF pages", compactBigReader, "the same pages classic",
               compactReader, 1.2);
    if (!keep)
        std::filesystem::remove(compactBig);

    const std::string big = (folder / "orvane-bench-large-big.tif").string();
    WriteLarge(big, true);
    for (const auto& [file, what] :
         {std::pair{large, "a 1 GiB file"}, std::pair{big, "a 5 GiB sparse BigTIFF"}}) {
        double first = 1e9;
        for (int i = 0; i < 20; ++i) {
            const auto start = TClock::now();
            if (!FirstPage(file)) {
                std::fprintf(stderr, "first page of %s failed\n", what);
                return 1;
            }
            first = std::min(first, Seconds(TClock::now() - start));
        }
        std::printf("first page of %s, directory at its end: %.3f ms (target under 5 ms: %s)\n",
                    what, first * 1000, first < 0.005 ? "met" : "NOT met");
    }
    if (!keep)
        std::filesystem::remove(big);

    const double perPage = ChildFigure(std::string(argv[0]) + " --count-memory " + compact);
    std::printf("peak memory while counting 1,000,000 pages: %.2f bytes per page (target at "
                "most 16: %s)\n",
                perPage, perPage >= 0 && perPage <= 16 ? "met" : "NOT met");

    const std::string hostileSmall = (folder / "orvane-bench-hostile-1m.tif").string();
    const std::string hostileLarge = (folder / "orvane-bench-hostile-4g.tif").string();
    WriteHostile(hostileSmall, 1 << 20, 1024);
    WriteHostile(hostileLarge, 4ull << 30, 1024);
    for (const std::string& path : {hostileSmall, hostileLarge}) {
        const double bytes = ChildFigure(std::string(argv[0]) + " --dump-memory " + path);
        std::printf("peak memory dumping %s (2 pages of 1024 entries spanning the file): %.1f MiB "
                    "(target under 64 MiB: %s)\n",
                    std::filesystem::path(path).filename().c_str(), bytes / (1 << 20),
                    bytes >= 0 && bytes < 64.0 * (1 << 20) ? "met" : "NOT met");
    }

    if (!keep)
        for (const std::string& path : {compact, spread, large, hostileSmall, hostileLarge})
            std::filesystem::remove(path);
    return 0;
}
