#include "TiffFuzzDriver.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "DumpTool.h"
#include "tiff/KvCodecTiff.h"

namespace {

// Pages looked at in full; counting still walks the whole chain.
constexpr std::uint32_t MaxPagesLoaded = 64;

volatile std::uint32_t Sink;

void TouchValues(TKvCodecTrnTiff& reader)
{
    std::string text;
    for (std::uint32_t i = 0; i < reader.EntryCount(); ++i) {
        reader.TagName(i, text);
        reader.DataTypeName(i, text);
        reader.ValueCount(i);
        try {
            reader.ValueText(i, 25, text);
            reader.ValueText(i, 45, text);
            TErrCode code = ErrOk;
            const std::uint8_t* bytes = nullptr;
            reader.GetValuePtr(i, bytes, code, text);
            if (code == ErrOk) {
                std::uint32_t sum = 0;
                for (std::int64_t k = 0; k < reader.ValueSize(i); ++k)
                    sum += bytes[k];
                Sink = sum;
            }
        } catch (const EKvInternal&) {
        }
    }
    try {
        TErrCode code = ErrOk;
        std::string errText;
        reader.GetRasterSizeText(text, code, errText);
        reader.RasterSizeText(text);
        BuildTagDump(reader, text);
    } catch (const EKvInternal&) {
    }
}

void LoadPage(TKvCodecTrnTiff& reader, std::uint32_t page)
{
    TErrCode code = ErrOk;
    std::string text;
    try {
        reader.SelectPage(page, code, text);
        if (code == ErrOk)
            reader.ReadPage(code, text);
    } catch (const EKvInternal&) {
        return;
    }
    if (code == ErrOk)
        TouchValues(reader);
}

// orvane-dump's structure walk: child directories of every kind, every
// value in full, the JSON writer and the structure check. Exit codes do
// not matter; crashes, sanitizer reports and endless walks do.
void DriveStructureWalk(const std::string& path)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--tree", "--values", "all", path},
          std::vector<std::string>{"--json", path}, std::vector<std::string>{"--check", path}}) {
        std::ostringstream out, err;
        RunOrvaneDump(args, out, err);
    }
}

}  // namespace

void DriveTiffReader(const std::string& path)
{
    DriveStructureWalk(path);

    TKvCodecTrnTiff reader;
    TErrCode code = ErrOk;
    std::string text;
    reader.EnablePageList(true, code, text);
    reader.Open(path, "fuzz.tif", 0, 0, code, text);
    reader.ByteOrderText();
    std::uint64_t size = 0;
    reader.GetFileSize(size, code, text);

    // Every distinct directory lies inside the file, so a chain cannot be
    // longer than the file has bytes; more steps mean a loop went unnoticed.
    bool final = false;
    std::uint64_t steps = 0;
    for (code = ErrOk; code == ErrOk && !final; ++steps) {
        reader.ScanStep(final, code, text);
        if (steps > size + 2)
            std::abort();
    }
    std::uint32_t count = 0;
    reader.GetPageCount(final, count);
    for (std::uint32_t page = 0; page < count && page < MaxPagesLoaded; ++page)
        LoadPage(reader, page);
    if (count > 0)
        LoadPage(reader, count - 1);

    // The cursor walk of repeated ReadPage calls, as after "next page".
    code = ErrOk;
    reader.SelectPage(0, code, text);
    for (std::uint32_t page = 0; code == ErrOk && page < MaxPagesLoaded; ++page) {
        try {
            reader.ReadPage(code, text);
        } catch (const EKvInternal&) {
            break;
        }
    }
}

void DriveTiffReaderOnBytes(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = [] {
        std::random_device random;
        return (std::filesystem::temp_directory_path() /
                ("orvane-fuzz-" + std::to_string(random()) + ".tif"))
            .string();
    }();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    DriveTiffReader(path);
}
