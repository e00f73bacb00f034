#include "HttpExercise.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    ExerciseHttpClient(Data, Size);
    return 0;
}
