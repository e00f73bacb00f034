#include "FuzzReplay.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include <gtest/gtest.h>

namespace {

int ReplayFuzzFolder(const std::filesystem::path& folder, const TFuzzInputRun& run)
{
    if (!std::filesystem::is_directory(folder))
        return 0;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
            inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.string());
        run(path, bytes);
    }
    return static_cast<int>(inputs.size());
}

}  // namespace

int ReplayFuzzInputs(const std::string& target, const TFuzzInputRun& run)
{
    const std::filesystem::path root = std::filesystem::path(ORVANE_SOURCE_DIR) / "fuzz" / target;
    return ReplayFuzzFolder(root / "corpus", run) + ReplayFuzzFolder(root / "regressions", run);
}
