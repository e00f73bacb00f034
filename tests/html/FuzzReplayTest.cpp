// Saved fuzzer crash inputs and the seed corpus replay through the same
// driver as the fuzz target.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "../../fuzz/html/HtmlExercise.h"

namespace {

int ReplayFolder(const std::filesystem::path& folder)
{
    int count = 0;
    if (!std::filesystem::is_directory(folder))
        return 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().string());
        ExerciseHtml(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
        ++count;
    }
    return count;
}

} // namespace

TEST(HtmlFuzzReplay, SavedInputsRunCleanly)
{
    const std::filesystem::path root = std::filesystem::path(ORVANE_SOURCE_DIR) / "fuzz" / "html";
    EXPECT_GT(ReplayFolder(root / "corpus"), 0);
    ReplayFolder(root / "regressions");
}
