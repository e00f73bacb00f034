// Files with directories below their pages, for the tests of orvane-dump's
// tree, JSON and check outputs and for the comparison with outside tools.
#pragma once

#include <string>
#include <vector>

#include "TiffWriter.h"

// Two pages: the first with EXIF (with an Interoperability directory), GPS
// and two SubIFDs (the first a chain of two), every data type, strips and
// resolutions; the second a plain tiled page. Clean for --check.
tiffw::TTiff ExifFile(tiffw::TOrder order);

// The same file broken: the second SubIFD points back at page 1, the EXIF
// pointer of page 2 beyond the end of the file, the Interoperability
// directory at the EXIF directory itself, strips overlapping each other and
// a value, tags out of order and twice, a strip count that disagrees.
tiffw::TTiff BrokenExifFile(tiffw::TOrder order);

struct TNamedFile {
    std::string Name;
    tiffw::TTiff Tiff;
};
// Every file above in both byte orders.
std::vector<TNamedFile> DumpTestFiles();
