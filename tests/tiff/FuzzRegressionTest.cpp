// Replays the fuzzer's seed files and every saved crash input through the
// same driver the fuzzer uses.
#include <gtest/gtest.h>

#include "FuzzReplay.h"
#include "TiffFuzzDriver.h"

TEST(FuzzRegressionTest, SavedInputsAndSeedsRunCleanly)
{
    const int files =
        ReplayFuzzInputs("tiff", [](const std::filesystem::path& path, const std::string&) {
            DriveTiffReader(path.string());
        });
    EXPECT_GT(files, 0);
}
