// libFuzzer entry point: every input is a TIFF file for the reader.
#include "TiffFuzzDriver.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    DriveTiffReaderOnBytes(data, size);
    return 0;
}
