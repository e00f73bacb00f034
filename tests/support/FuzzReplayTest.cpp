// Every fuzz target's saved inputs (its seed corpus and each input that once
// failed) run through the target's own exercise code on every test run.
#include <gtest/gtest.h>

#include "DecodeExercise.h"
#include "FuzzReplay.h"
#include "HtmlExercise.h"
#include "HttpExercise.h"
#include "TiffFuzzDriver.h"

namespace {

const std::uint8_t* Data(const std::string& bytes)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.data());
}

}  // namespace

TEST(FuzzReplay, TiffInputsRunCleanly)
{
    EXPECT_GT(ReplayFuzzInputs("tiff", [](const std::filesystem::path& path,
                                          const std::string&) { DriveTiffReader(path.string()); }),
              0);
}

TEST(FuzzReplay, HttpInputsRunCleanly)
{
    EXPECT_GT(ReplayFuzzInputs("http",
                               [](const std::filesystem::path&, const std::string& bytes) {
                                   ExerciseHttpClient(Data(bytes), bytes.size());
                               }),
              0);
}

TEST(FuzzReplay, HtmlInputsRunCleanly)
{
    EXPECT_GT(ReplayFuzzInputs("html",
                               [](const std::filesystem::path&, const std::string& bytes) {
                                   ExerciseHtml(Data(bytes), bytes.size());
                               }),
              0);
}

TEST(FuzzReplay, DecodeInputsRunCleanly)
{
    EXPECT_GT(ReplayFuzzInputs("decode",
                               [](const std::filesystem::path&, const std::string& bytes) {
                                   ExerciseDecoders(Data(bytes), bytes.size());
                               }),
              0);
}
