// Replays the fuzzer's seed files and every saved crash input through the
// same driver the fuzzer uses.
#include <gtest/gtest.h>

#include <filesystem>

#include "TiffFuzzDriver.h"

TEST(FuzzRegressionTest, SavedInputsAndSeedsRunCleanly)
{
    const std::filesystem::path root = std::filesystem::path(ORVANE_SOURCE_DIR) / "fuzz" / "tiff";
    int files = 0;
    for (const char* folder : {"regressions", "corpus"}) {
        if (!std::filesystem::exists(root / folder))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.')
                continue;
            SCOPED_TRACE(entry.path().string());
            DriveTiffReader(entry.path().string());
            ++files;
        }
    }
    EXPECT_GT(files, 0);
}
