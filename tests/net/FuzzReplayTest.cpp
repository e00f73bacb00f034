// Saved fuzz inputs (the seed corpus and every input that once failed) run
// through the same exercise as the fuzz target on every test run.
#include <gtest/gtest.h>

#include "FuzzReplay.h"
#include "HttpExercise.h"

TEST(HttpFuzzInputs, ReplayWithoutFault)
{
    const int replayed =
        ReplayFuzzInputs("http", [](const std::filesystem::path&, const std::string& bytes) {
            ExerciseHttpClient(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        });
    EXPECT_GT(replayed, 0);
}
