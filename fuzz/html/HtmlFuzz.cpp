#include "HtmlExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ExerciseHtml(data, size);
    return 0;
}
