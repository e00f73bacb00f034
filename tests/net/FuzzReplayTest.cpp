// Saved fuzz inputs (the seed corpus and every input that once failed) run
// through the same exercise as the fuzz target on every test run.
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "HttpExercise.h"

TEST(HttpFuzzInputs, ReplayWithoutFault)
{
    int replayed = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        std::filesystem::path dir = std::filesystem::path(ORVANE_SOURCE_DIR) / "fuzz" / "http" / folder;
        if (!std::filesystem::exists(dir))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            std::ifstream in(entry.path(), std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            SCOPED_TRACE(entry.path().string());
            ExerciseHttpClient(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}
