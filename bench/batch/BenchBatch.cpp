// orvane-dump's batch check of an archive of 20,000 files it writes itself,
// beside exiftool, tiffinfo and checkit_tiff on the same files, and the
// batch verdict of every file against the single-file check's. Prints
// figures; not a test. Run it with nice: the peers keep both cores busy.
//   bench-batch [folder] [--files N] [--peer-files N | --all-peers] [--keep]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "BatchTree.h"
#include "ChildRun.h"
#include "VerdictCompare.h"

namespace fs = std::filesystem;

namespace {

struct TOptions {
    fs::path Folder = fs::temp_directory_path();
    std::uint64_t Files = 20000;
    std::uint64_t PeerFiles = 2000;  // exiftool and checkit_tiff: a subset of leaf folders
    bool Keep = false;
};

TOptions ParseOptions(int argc, char** argv)
{
    TOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep")
            options.Keep = true;
        else if (arg == "--all-peers")
            options.PeerFiles = ~std::uint64_t(0);
        else if ((arg == "--files" || arg == "--peer-files") && i + 1 < argc)
            (arg == "--files" ? options.Files : options.PeerFiles) = std::stoull(argv[++i]);
        else if (arg[0] != '-')
            options.Folder = arg;
        else {
            std::fprintf(stderr, "usage: bench-batch [folder] [--files N] "
                                 "[--peer-files N | --all-peers] [--keep]\n");
            std::exit(2);
        }
    }
    return options;
}

// The baseline profile checkit_tiff's Debian package installs.
fs::path CheckitBaselineProfile()
{
    for (const char* folder : {"/usr/share/checkit_tiff/example_configs",
                               "/usr/share/doc/checkit-tiff/examples/example_configs"}) {
        const fs::path profile = fs::path(folder) / "cit_tiff6_baseline_SLUB.cfg";
        if (fs::exists(profile))
            return profile;
    }
    return {};
}

struct TFigure {
    std::string Name;
    double FilesPerSecond = 0;
};

std::string Quote(const fs::path& path)
{
    return "'" + path.string() + "'";
}

bool Installed(const std::string& program)
{
    return RunShell("command -v " + program).ExitCode == 0;
}

// The leaf folders that hold at least `files` files, from the first on.
std::vector<fs::path> LeavesFor(const TBatchTree& tree, std::uint64_t files, std::uint64_t& covered)
{
    const std::uint64_t perLeaf = tree.Files / tree.Leaves.size();
    const std::size_t count =
        std::min<std::uint64_t>(tree.Leaves.size(), (files + perLeaf - 1) / perLeaf);
    covered = count == tree.Leaves.size() ? tree.Files : count * perLeaf;
    return {tree.Leaves.begin(), tree.Leaves.begin() + std::ptrdiff_t(count)};
}

void PrintPeer(const char* what, const TChildRun& run, std::uint64_t files, std::uint64_t allFiles,
               std::vector<TFigure>& figures)
{
    const double rate = double(files) / run.Seconds;
    std::printf("%s: %.2f s for %llu files, %.0f files/s%s\n", what, run.Seconds,
                static_cast<unsigned long long>(files), rate,
                files < allFiles ? " (a subset of the leaf folders)" : "");
    figures.push_back({what, rate});
}

void RunPeers(const TBatchTree& tree, const fs::path& root, const TOptions& options,
              std::vector<TFigure>& figures)
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    if (Installed("tiffinfo")) {
        const TChildRun run =
            RunShell("find " + Quote(root) + " -type f -print0 | xargs -0 -n 20 -P " +
                     std::to_string(cores) + " tiffinfo -D >/dev/null 2>&1");
        PrintPeer("tiffinfo -D, 20 files a process, xargs -P", run, tree.Files, tree.Files,
                  figures);
    }
    if (options.PeerFiles == 0)
        return;
    std::uint64_t covered = 0;
    const std::vector<fs::path> leaves = LeavesFor(tree, options.PeerFiles, covered);
    std::string folders;
    for (const fs::path& leaf : leaves)
        folders += " " + Quote(leaf);
    if (Installed("exiftool")) {
        const TChildRun run =
            RunShell("exiftool -validate -warning -a -r -q" + folders + " >/dev/null 2>&1");
        PrintPeer("exiftool -validate -warning -a -r -q, one process", run, covered, tree.Files,
                  figures);
    }
    const fs::path profile = CheckitBaselineProfile();
    if (Installed("checkit_tiff") && !profile.empty()) {
        const TChildRun run = RunShell("for d in" + folders + "; do checkit_tiff -q -d " +
                                       Quote(profile) + " \"$d\"; done >/dev/null 2>&1");
        PrintPeer("checkit_tiff -q -d, baseline profile, per leaf folder", run, covered, tree.Files,
                  figures);
    }
}

// The best of three runs; the rows and summary of the last.
TChildRun RunBatch(const fs::path& root, const fs::path& rows, const fs::path& summary)
{
    TChildRun best;
    for (int i = 0; i < 3; ++i) {
        const TChildRun run = RunChild({ORVANE_DUMP, "--check", "--format", "jsonl", root.string()},
                                       "", rows.string(), summary.string());
        if (!run.Started) {
            std::fprintf(stderr, "cannot run %s\n", ORVANE_DUMP);
            std::exit(1);
        }
        if (i == 0 || run.Seconds < best.Seconds)
            best = run;
    }
    return best;
}

std::string ReadLineWith(const fs::path& file, const std::string& text)
{
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.find(text) != std::string::npos)
            return line;
    return "(no line with \"" + text + "\")";
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IOLBF,
                 0);  // each figure as soon as it is known, also into a file
    const TOptions options = ParseOptions(argc, argv);
    const fs::path work = options.Folder / "orvane-bench-batch";
    const fs::path root = work / "archive";
    fs::remove_all(work);
    const TBatchTree tree = WriteBatchTree(root, options.Files);
    std::printf("archive: %llu files (%llu sidecars) in %zu leaf folders, %.1f MB\n",
                static_cast<unsigned long long>(tree.Files),
                static_cast<unsigned long long>(tree.Sidecars), tree.Leaves.size(),
                double(tree.Bytes) / 1e6);

    const fs::path rows = work / "rows.jsonl", summary = work / "summary.txt";
    const TChildRun batch = RunBatch(root, rows, summary);
    const double ours = double(tree.Files) / batch.Seconds;
    std::printf("orvane-dump --check --format jsonl (best of 3): %.3f s, %.0f files/s, "
                "exit code %d, peak memory %.1f MiB (goal under 64 MiB: %s)\n",
                batch.Seconds, ours, batch.ExitCode, batch.PeakMiB,
                batch.PeakMiB < 64 ? "met" : "NOT met");
    for (const char* line : {"files: ", "MB read of"})
        std::printf("  its summary: %s\n", ReadLineWith(summary, line).c_str());

    std::vector<TFigure> peers;
    RunPeers(tree, root, options, peers);
    if (!peers.empty()) {
        const TFigure& fastest =
            *std::max_element(peers.begin(), peers.end(), [](const TFigure& a, const TFigure& b) {
                return a.FilesPerSecond < b.FilesPerSecond;
            });
        const double ratio = ours / fastest.FilesPerSecond;
        std::printf("ratio to the fastest peer (%s): %.1fx (goal at least 10x: %s)\n",
                    fastest.Name.c_str(), ratio, ratio >= 10 ? "met" : "NOT met");
    }

    const TVerdictComparison verdicts = CompareVerdicts(rows);
    std::printf("verdicts: %llu rows for %llu files; batch and single-file --check differ on "
                "%llu (goal 0: %s)\n",
                static_cast<unsigned long long>(verdicts.Rows),
                static_cast<unsigned long long>(tree.Files),
                static_cast<unsigned long long>(verdicts.Differing),
                verdicts.Differing == 0 && verdicts.Rows == tree.Files ? "met" : "NOT met");
    for (const std::string& example : verdicts.Examples)
        std::printf("  %s\n", example.c_str());
    if (!options.Keep)
        fs::remove_all(work);
    return 0;
}
