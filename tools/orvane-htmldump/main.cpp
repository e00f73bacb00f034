// orvane-htmldump --width W FILE: lays an HTML file out with the
// deterministic canvas and prints its widths, height and element tree.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"
#include "html/KvHtmlDump.h"

namespace {

int Usage()
{
    std::cerr << "usage: orvane-htmldump --width W FILE\n";
    return 2;
}

bool ParseWidth(const char* text, std::int32_t& width)
{
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > 1000000)
        return false;
    width = static_cast<std::int32_t>(value);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4 || std::string(argv[1]) != "--width")
        return Usage();
    std::int32_t width = 0;
    if (!ParseWidth(argv[2], width))
        return Usage();
    std::ifstream file(argv[3], std::ios::binary);
    if (!file) {
        std::cerr << "cannot open " << argv[3] << "\n";
        return 2;
    }
    std::stringstream text;
    text << file.rdbuf();

    TKvHtml document;
    TKvHtmlCanvasLog dc;
    TErrCode code = ErrOk;
    std::string error;
    document.LoadFromString(text.str(), code, error);
    try {
        if (code == ErrOk) {
            std::cout << KvHtmlDumpLayout(document, dc, width);
            return 0;
        }
    } catch (const EKvInternal& e) {
        error = e.what();
    }
    std::cout << error << "\n";
    return 1;
}
