// Saved fuzzer crash inputs and the seed corpus replay through the same
// driver as the fuzz target.
#include <gtest/gtest.h>

#include "../../fuzz/html/HtmlExercise.h"
#include "FuzzReplay.h"

namespace {

void Exercise(const std::filesystem::path&, const std::string& bytes)
{
    ExerciseHtml(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

TEST(HtmlFuzzReplay, SavedInputsRunCleanly)
{
    const std::filesystem::path root = std::filesystem::path(ORVANE_SOURCE_DIR) / "fuzz" / "html";
    EXPECT_GT(ReplayFuzzFolder(root / "corpus", Exercise), 0);
    ReplayFuzzFolder(root / "regressions", Exercise);
}
