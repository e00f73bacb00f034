// Writes the files of the orvane-dump tests into a folder, for the test
// that compares the JSON output with outside tools.
//   make-dump-files <folder>
#include <cstdio>

#include "DumpFiles.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Usage: make-dump-files <folder>\n");
        return 2;
    }
    for (const TNamedFile& file : DumpTestFiles())
        tiffw::WriteFile(std::string(argv[1]) + "/" + file.Name, file.Tiff);
    return 0;
}
