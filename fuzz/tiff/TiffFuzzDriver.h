// Drives the TIFF code over one file, the way the window and orvane-dump use
// it, one path at a time so that each fuzz target spends its time on one
// path. Internal failures are expected outcomes; anything else (a crash, a
// sanitizer report, a page count that never ends) is a fault. Shared by the
// fuzz targets and the regression test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

enum class TTiffFuzzPath {
    Reader,  // the page reader: every page, entry and value, as the window reads them
    Dump,    // orvane-dump's plain dump and its tree with every value
    Check,   // orvane-dump --check and --map
    Json,    // orvane-dump --json
};

void DriveTiffPath(TTiffFuzzPath which, const std::string& path);

// Every path in turn (the regression test).
void DriveTiffReader(const std::string& path);

// Writes data to a file private to this process and drives one path on it.
void DriveTiffPathOnBytes(TTiffFuzzPath which, const std::uint8_t* data, std::size_t size);
