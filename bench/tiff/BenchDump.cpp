// orvane-dump's JSON output, structure check and byte map on generated files, beside
// the plain dump and the page count of the same files, and beside tifffile
// and exiftool where they are installed. Prints figures; not a test.
//   bench-dump [folder [--keep | --write | --small [N]]]   (default: the system's
//   temporary folder; --write only writes the files, for profiling the tool on them;
//   --small only checks one small file N times, for profiling what each file costs)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <streambuf>
#include <string>

#include "BenchSteps.h"
#include "DumpTool.h"
#include "inspect/StructureCheck.h"
#include "ReferenceWalks.h"
#include "TiffWriter.h"

using namespace tiffw;

namespace {

constexpr std::uint32_t JsonPages = 100000;
constexpr std::uint32_t CheckPages = 1000000;

// Discards what is written, as a pipe to a fast reader would take it.
class TNullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return c; }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// A page of a baseline image: nine entries, two rationals after the
// directory and a 4-byte strip after them; nothing shared, nothing overlaps.
void AppendPage(std::uint32_t at, std::uint32_t next, std::vector<std::uint8_t>& out)
{
    const std::uint32_t values = at + DirectorySize(9);
    const std::uint32_t strip = values + 16;
    std::vector<TEntry> entries = {
        Long(256, {2}),
        Long(257, {2}),
        Short(262, {1}),
        Long(273, {strip}),
        Long(278, {2}),
        Long(279, {4}),
        Bare(282, tRational, 1).WithField(values),
        Bare(283, tRational, 1).WithField(values + 8),
        Short(296, {2}),
    };
    AppendDirectory(TOrder::Little, entries, next, out);
    for (std::uint32_t v : {72u, 1u, 72u, 1u, 0u})
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t PageSize()
{
    return DirectorySize(9) + 20;
}

void WritePages(const std::string& path, std::uint32_t pages)
{
    TPiece piece{0, EncodeHeader(TOrder::Little, 8)};
    piece.Bytes.reserve(8 + std::size_t(PageSize()) * pages);
    for (std::uint32_t i = 0; i < pages; ++i) {
        const std::uint32_t at = 8 + i * PageSize();
        AppendPage(at, i + 1 < pages ? at + PageSize() : 0, piece.Bytes);
    }
    TLayout layout;
    layout.Length = piece.Bytes.size();
    layout.Pieces.push_back(std::move(piece));
    WriteFile(path, layout);
}

bool Dump(std::vector<std::string> args, int expected)
{
    TNullBuffer discard;
    std::ostream out(&discard), err(&discard);
    return RunOrvaneDump(args, out, err) == expected;
}

// Wall time of a shell command, or a negative number when it failed.
double CommandTime(const std::string& command)
{
    const auto start = TClock::now();
    const int status = std::system((command + " > /dev/null 2>&1").c_str());
    return status == 0 ? Seconds(TClock::now() - start) : -1;
}

bool Installed(const std::string& probe)
{
    return std::system((probe + " > /dev/null 2>&1").c_str()) == 0;
}

void PrintPeers(const std::string& what, const std::string& path)
{
    if (Installed("/usr/bin/python3 -c 'import tifffile'")) {
        const double t =
            CommandTime("/usr/bin/python3 -c 'import sys, tifffile\n"
                        "with tifffile.TiffFile(sys.argv[1]) as f:\n"
                        " [[(t.code, t.dtype, t.count, t.value) for t in p.tags.values()]"
                        " for p in f.pages]' " +
                        path);
        std::printf("  tifffile, every tag of every page of the %s: %.3f s\n", what.c_str(), t);
    } else {
        std::printf("  tifffile: not installed\n");
    }
    // exiftool takes minutes for 100,000 pages: it reads a 1,000-page file,
    // and its time is scaled up.
    if (Installed("exiftool -ver")) {
        const std::string small = path + ".1000.tif";
        WritePages(small, 1000);
        const double t = CommandTime("timeout 300 exiftool -a -G1 -j " + small);
        std::filesystem::remove(small);
        std::printf("  exiftool -a -G1 -j on 1,000 of those pages: %.3f s%s (x100: %.1f s)\n", t,
                    t < 0 ? " (failed or timed out)" : "", t * 100);
    } else {
        std::printf("  exiftool: not installed\n");
    }
}

// Child mode: one run of the tool in a fresh process; prints the growth of
// the peak resident size per page.
int MemoryChild(const std::string& mode, const std::string& path)
{
    const std::uint64_t before = CurrentMemory();
    std::vector<std::string> args = {path};
    if (mode != "plain")
        args.insert(args.begin(), mode);
    Dump(args, 0);
    const std::uint64_t peak = PeakMemory();
    const std::uint32_t pages = mode == "--check" || mode == "--map" ? CheckPages : JsonPages;
    std::printf("%.2f\n", double(peak > before ? peak - before : 0) / pages);
    return 0;
}

double MemoryPerPage(const char* self, const std::string& mode, const std::string& path)
{
    return ChildFigure(std::string(self) + " --memory " + mode + " " + path);
}

// Takes the findings as a batch would, and keeps none.
class TNullSink final : public IFindingSink {
public:
    bool Wants(TRuleId) const override { return true; }
    void Begin(const std::string&) override {}
    void Add(const TFinding&) override {}
    int Finish() override { return 0; }
};

// What each file of a batch of small files costs the check: a one-page file
// checked many times in one process, the first check (which prepares what
// every check shares) apart.
void PrintSmallFileCheck(const std::string& path, int checks = 20000)
{
    WritePages(path, 1);
    TNullSink sink;
    TNullBuffer discard;
    std::ostream err(&discard);
    const auto start = TClock::now();
    const int firstCode = RunStructureCheck(path, sink, err);
    const double first = Seconds(TClock::now() - start);
    const double many = BestTime([&] {
        for (int i = 0; i < checks; ++i)
            if (RunStructureCheck(path, sink, err) != firstCode || firstCode != 0)
                return false;
        return true;
    });
    std::printf("--check of a one-page file: the first %.1f us, then %.2f us a file\n", first * 1e6,
                many / checks * 1e6);
    std::filesystem::remove(path);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--memory")
        return MemoryChild(argv[2], argv[3]);
    const std::filesystem::path folder =
        argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
    const bool keep = argc > 2 && std::string(argv[2]) == "--keep";
    const std::string smallFile = (folder / "orvane-bench-dump-1.tif").string();
    if (argc > 2 && std::string(argv[2]) == "--small") {
        PrintSmallFileCheck(smallFile, argc > 3 ? std::atoi(argv[3]) : 20000);
        return 0;
    }
    const std::string jsonFile = (folder / "orvane-bench-dump-100k.tif").string();
    const std::string checkFile = (folder / "orvane-bench-dump-1m.tif").string();
    WritePages(jsonFile, JsonPages);
    WritePages(checkFile, CheckPages);
    if (argc > 2 && std::string(argv[2]) == "--write")
        return 0;

    const double plain = BestTime([&] { return Dump({jsonFile}, 0); });
    const double json = BestTime([&] { return Dump({"--json", jsonFile}, 0); });
    PrintRatio("--json of 100,000 pages", json, "plain dump", plain, 2.0);
    std::printf("  memory per page: plain dump %.2f bytes, --json %.2f bytes\n",
                MemoryPerPage(argv[0], "plain", jsonFile),
                MemoryPerPage(argv[0], "--json", jsonFile));
    PrintPeers("100,000-page file", jsonFile);

    const double count = BestTime([&] { return CountWithReader(checkFile) == CheckPages; });
    const double check = BestTime([&] { return Dump({"--check", checkFile}, 0); });
    PrintRatio("--check of 1,000,000 pages", check, "page count", count, 3.0);
    std::printf("  memory per page: --check %.2f bytes\n",
                MemoryPerPage(argv[0], "--check", checkFile));
    // The byte map keeps three regions a page here (directory, values, strip)
    // and writes a line for each.
    const double map = BestTime([&] { return Dump({"--map", checkFile}, 0); });
    PrintRatio("--map of 1,000,000 pages", map, "--check", check, 8.0);
    std::printf("  memory per page: --map %.2f bytes\n",
                MemoryPerPage(argv[0], "--map", checkFile));
    PrintSmallFileCheck(smallFile);

    if (!keep)
        for (const std::string& path : {jsonFile, checkFile})
            std::filesystem::remove(path);
    return 0;
}
