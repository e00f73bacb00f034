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

// Pages looked at in full; counting still walks the whole chain. Fuzz
// inputs are small enough that every page of them is read.
constexpr std::uint32_t MaxPagesLoaded = 4096;

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

// orvane-dump in one mode. Exit codes do not matter; crashes, sanitizer
// reports and endless walks do.
void RunDump(std::vector<std::string> args, const std::string& path)
{
    args.push_back(path);
    std::ostringstream out, err;
    RunOrvaneDump(args, out, err);
}

void DrivePageReader(const std::string& path)
{
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

    // Every page through the cursor, as "next page" reads them, then jumps
    // through the page list back into the chain.
    code = ErrOk;
    reader.SelectPage(0, code, text);
    for (std::uint32_t page = 0; code == ErrOk && page < count && page < MaxPagesLoaded; ++page) {
        try {
            reader.ReadPage(code, text);
        } catch (const EKvInternal&) {
            break;
        }
        if (code == ErrOk)
            TouchValues(reader);
    }
    if (count > 1) {
        LoadPage(reader, count - 1);
        LoadPage(reader, count / 2);
    }
}

}  // namespace

void DriveTiffPath(TTiffFuzzPath which, const std::string& path)
{
    switch (which) {
    case TTiffFuzzPath::Reader: DrivePageReader(path); break;
    case TTiffFuzzPath::Dump:
        RunDump({}, path);
        RunDump({"--tree", "--values", "all"}, path);
        break;
    case TTiffFuzzPath::Check:
        RunDump({"--check"}, path);
        RunDump({"--map"}, path);
        break;
    case TTiffFuzzPath::Json: RunDump({"--json"}, path); break;
    }
}

void DriveTiffReader(const std::string& path)
{
    for (TTiffFuzzPath which :
         {TTiffFuzzPath::Reader, TTiffFuzzPath::Dump, TTiffFuzzPath::Check, TTiffFuzzPath::Json})
        DriveTiffPath(which, path);
}

namespace {

// The file each input is written to, private to this process and removed
// when it ends. A memory file system where there is one: a disk file costs
// a truncate and a write-back per input, more than the reader itself.
struct TInputFile {
    std::string Path;
    TInputFile()
    {
        std::random_device random;
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::is_directory("/dev/shm", error)
                                                 ? std::filesystem::path("/dev/shm")
                                                 : std::filesystem::temp_directory_path();
        Path = (folder / ("orvane-fuzz-" + std::to_string(random()) + ".tif")).string();
    }
    ~TInputFile() { std::remove(Path.c_str()); }
};

}  // namespace

void DriveTiffPathOnBytes(TTiffFuzzPath which, const std::uint8_t* data, std::size_t size)
{
    static const TInputFile input;
    {
        std::ofstream file(input.Path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    DriveTiffPath(which, input.Path);
}
