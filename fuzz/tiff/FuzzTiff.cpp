// libFuzzer entry point: every input is a TIFF file for one path of the
// TIFF code, chosen when the target is built (ORVANE_TIFF_FUZZ_PATH).
#include "TiffFuzzDriver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DriveTiffPathOnBytes(TTiffFuzzPath::ORVANE_TIFF_FUZZ_PATH, data, size);
    return 0;
}
