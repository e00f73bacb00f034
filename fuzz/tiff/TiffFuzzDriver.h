// Drives every operation of the TIFF reader over one file, the way the
// window and orvane-dump use it. Internal failures are expected outcomes;
// anything else (a crash, a sanitizer report, a page count that never ends)
// is a fault. Shared by the fuzzer and the regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

void DriveTiffReader(const std::string& path);

// Writes data to a file private to this process and drives the reader on it.
void DriveTiffReaderOnBytes(const std::uint8_t* data, std::size_t size);
