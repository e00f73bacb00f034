// Saved fuzzer crash inputs and the seed corpus replay through the same
// driver as the fuzz target.
#include <gtest/gtest.h>

#include "../../fuzz/html/HtmlExercise.h"
#include "FuzzReplay.h"

TEST(HtmlFuzzReplay, SavedInputsRunCleanly)
{
    const int replayed =
        ReplayFuzzInputs("html", [](const std::filesystem::path&, const std::string& bytes) {
            ExerciseHtml(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        });
    EXPECT_GT(replayed, 0);
}
