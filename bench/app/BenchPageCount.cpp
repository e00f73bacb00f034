// The viewer's page count of a million pages with its real thread, event and
// lock, beside orvane-dump --page 1 and a memory-map walk of the same file.
// Prints figures; not a test.
//   bench-pagecount [folder [--keep]] [--runs N]
// (default: the system's temporary folder; nine runs, fewer to measure a
// slow build at all)
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "CompactFile.h"
#include "DumpTool.h"
#include "ProgramRuns.h"
#include "RealWindow.h"
#include "ReferenceWalks.h"
#include "ViewerRig.h"

namespace {

int Runs = 9;
constexpr double Target = 2.0;
// How often the window's loop takes the lock between messages.
constexpr std::chrono::microseconds LockProbe{5000};

using TClock = std::chrono::steady_clock;

// The median of the seconds the runs give; a run that gives a negative
// figure ends the benchmark.
double MedianSeconds(const char* what, const std::function<double()>& run)
{
    std::vector<double> times;
    for (int i = 0; i < Runs; ++i) {
        times.push_back(run());
        if (times.back() < 0) {
            std::fprintf(stderr, "%s: a run failed\n", what);
            std::exit(1);
        }
    }
    const auto middle = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), middle, times.end());
    return *middle;
}

// The median time of the runs; a run that returns false ends the benchmark.
double MedianTime(const char* what, const std::function<bool()>& run)
{
    return MedianSeconds(what, [&] {
        const auto start = TClock::now();
        return run() ? std::chrono::duration<double>(TClock::now() - start).count() : -1;
    });
}

bool DumpFirstPage(const std::string& path)
{
    std::ostringstream out, err;
    const int code = RunOrvaneDump({"--page", "1", path}, out, err);
    return code == 0 && out.str().find("Number of pages: 1000000\n") != std::string::npos;
}

void PrintRatio(const char* what, double ratio)
{
    std::printf("  %s: %.2f (target at most %.1f: %s)\n", what, ratio, Target,
                ratio <= Target ? "met" : "NOT met");
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[args.size() - 2] == "--runs") {
        Runs = std::max(1, std::atoi(args.back().c_str()));
        args.resize(args.size() - 2);
    }
    const std::filesystem::path folder =
        args.empty() ? std::filesystem::temp_directory_path() : std::filesystem::path(args[0]);
    const bool keep = args.size() > 1 && args[1] == "--keep";
    const std::string path = (folder / "orvane-bench-pagecount.tif").string();
    WriteCompact(path);

    double lockWait = 0;
    const double viewer = MedianTime("viewer count", [&] {
        const TViewerCount count = CountInViewer(path, LockProbe);
        lockWait = std::max(lockWait, count.LongestLockWait);
        return count.Pages == CompactPages;
    });
    // The window's own start (controls, About page, live-update thread) on a
    // file of one page, to tell it from the count.
    const std::string onePage = (folder / "orvane-bench-onepage.tif").string();
    tiffw::TTiff single;
    single.Ifds.emplace_back().Entries = PageEntries(0);
    tiffw::WriteFile(onePage, single);
    double window = -1, windowStart = -1;
    if (CountInRealWindow(path, CompactPages) >= 0) {
        windowStart =
            MedianTime("real window, one page", [&] { return CountInRealWindow(onePage, 1) >= 0; });
        window =
            MedianTime("real window", [&] { return CountInRealWindow(path, CompactPages) >= 0; });
    }
    // Both as programs of their own, from their start.
    double viewerProgram = -1, dumpProgram = -1;
    if (ViewerProgramCount(path, CompactPages) >= 0) {
        viewerProgram =
            MedianSeconds("viewer program", [&] { return ViewerProgramCount(path, CompactPages); });
        dumpProgram = MedianSeconds("orvane-dump program", [&] { return DumpProgramRun(path); });
    }
    const double dump = MedianTime("orvane-dump", [&] { return DumpFirstPage(path); });
    const double walk =
        MedianTime("memory-map walk", [&] { return CountPagesMapped(path) == CompactPages; });

    std::printf("1,000,000 pages, median of %d runs each:\n", Runs);
    std::printf("  viewer count (thread, event, lock): %.4f s\n", viewer);
    if (window >= 0)
        std::printf("  viewer count in its real window:    %.4f s (%.4f s of it the window's "
                    "start on a one-page file)\n",
                    window, windowStart);
    if (viewerProgram >= 0)
        std::printf("  viewer program, start to final count: %.4f s\n"
                    "  orvane-dump program, start to exit:   %.4f s\n",
                    viewerProgram, dumpProgram);
    std::printf("  orvane-dump --page 1:               %.4f s\n", dump);
    std::printf("  memory-map walk:                    %.4f s\n", walk);
    PrintRatio("viewer / orvane-dump", viewer / dump);
    if (window >= 0)
        PrintRatio("real window / orvane-dump", window / dump);
    if (viewerProgram >= 0)
        PrintRatio("viewer program / orvane-dump program", viewerProgram / dumpProgram);
    PrintRatio("orvane-dump / memory-map walk", dump / walk);
    std::printf("  longest wait of the window for the lock: %.3f ms\n", lockWait * 1000);
    std::filesystem::remove(onePage);
    if (!keep)
        std::filesystem::remove(path);
    return 0;
}
