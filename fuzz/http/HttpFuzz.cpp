#include "HttpExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ExerciseHttpClient(data, size);
    return 0;
}
