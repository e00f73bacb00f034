#include "DecodeExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ExerciseDecoders(data, size);
    return 0;
}
