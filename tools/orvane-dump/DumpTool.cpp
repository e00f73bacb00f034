#include "DumpTool.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "tiff/KvCodecTiff.h"
#include "tiff/ValueLimits.h"

const char* const OrvaneDumpUsage =
    "Usage: orvane-dump [--page N] [--limit N] [--hex TAG] FILE\n"
    "Prints the size, byte order and page count of a TIFF file and, for every page\n"
    "(or page N, counted from 1), its directory offset, raster data size and tags.\n"
    "  --page N    only page N\n"
    "  --limit N   cut value texts at N characters (default 45)\n"
    "  --hex TAG   hex dump of the value of TAG (code or name) on page N (default 1)\n"
    "  --help      this text\n"
    "A page that cannot be read shows its error in place of its tags.\n"
    "Exit code: 0 all read, 1 the file or a page could not be read, 2 wrong usage.\n";

namespace {

struct TOptions {
    std::string Path;
    std::optional<std::uint32_t> Page;  // 1-based
    std::uint32_t Limit = DumpValueLimit;
    std::optional<std::string> HexTag;
    bool Help = false;
};

bool ParseNumber(const std::string& text, std::uint32_t& value)
{
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

// Returns false with a message in error on wrong usage.
bool ParseArgs(const std::vector<std::string>& args, TOptions& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help") {
            options.Help = true;
            continue;
        }
        if (arg == "--page" || arg == "--limit" || arg == "--hex") {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            std::uint32_t number = 0;
            if (arg == "--hex") {
                options.HexTag = value;
            } else if (!ParseNumber(value, number) || (arg == "--page" && number == 0)) {
                error = "invalid value for " + arg + ": " + value;
                return false;
            } else if (arg == "--page") {
                options.Page = number;
            } else {
                options.Limit = number;
            }
            continue;
        }
        if (!options.Path.empty() || (arg.size() > 1 && arg[0] == '-' && arg[1] == '-')) {
            error = "unexpected argument: " + arg;
            return false;
        }
        options.Path = arg;
    }
    if (options.Path.empty() && !options.Help) {
        error = "no file given";
        return false;
    }
    return true;
}

std::string HexRows(const std::uint8_t* bytes, std::size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t row = 0; row < size; row += 16) {
        char offset[16];
        std::snprintf(offset, sizeof offset, "%08X", static_cast<unsigned>(row));
        text += offset;
        text += "  ";
        std::string chars;
        for (std::size_t i = row; i < row + 16; ++i) {
            if (i < size) {
                text += digits[bytes[i] >> 4];
                text += digits[bytes[i] & 15];
                text += ' ';
                chars += bytes[i] < 32 || bytes[i] > 128 ? '.' : static_cast<char>(bytes[i]);
            } else {
                text += "   ";
            }
        }
        text += ' ';
        text += chars;
        text += '\n';
    }
    return text;
}

std::string WithoutCarriageReturns(const std::string& text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            result += c;
    return result;
}

class TDumper {
public:
    TDumper(const TOptions& options, std::ostream& out, std::ostream& err)
        : Options(options), Out(out), Err(err) {}

    int Run();

private:
    bool OpenFile();
    void DumpPage(std::uint32_t index);
    bool LoadPage(std::uint32_t index, std::string& failure);
    void DumpPageBody();
    bool DumpHex(std::uint32_t index);
    std::int32_t FindHexTag() const;

    const TOptions& Options;
    std::ostream& Out;
    std::ostream& Err;
    TKvCodecTrnTiff Reader;
    std::uint32_t PageCount = 0;
    bool PageFailed = false;
};

bool TDumper::OpenFile()
{
    TErrCode code = ErrOk;
    std::string text, order;
    std::uint64_t size = 0;
    Reader.EnablePageList(true, code, text);
    Reader.Open(Options.Path, Options.Path, 0, 0, code, text);
    if (code == ErrOk)
        Reader.GetFileSize(code, size, text);
    if (code == ErrOk)
        Reader.GetByteOrder(code, order, text);
    // Pages are counted the way the window's page-count thread does.
    for (bool final = false; code == ErrOk && !final;)
        Reader.ScanStep(code, final, text);
    if (code != ErrOk) {
        Err << text << '\n';
        return false;
    }
    bool final = false;
    Reader.GetPageCount(final, PageCount);
    Out << "File: " << Options.Path << '\n'
        << "File size: " << SizeToText(size) << '\n'
        << "Byte order: " << order << '\n'
        << "Number of pages: " << PageCount << '\n';
    return true;
}

bool TDumper::LoadPage(std::uint32_t index, std::string& failure)
{
    TErrCode code = ErrOk;
    std::string text;
    try {
        Reader.SelectPage(index, code, text);
        if (code == ErrOk)
            Reader.ReadPage(code, text);
    } catch (const EKvInternal& e) {
        // The sanity check on the entry count leaves its own text.
        failure = code != ErrOk ? text : UnexpectedText(e.what());
        return false;
    }
    failure = text;
    return code == ErrOk;
}

void TDumper::DumpPageBody()
{
    Out << "Page offset: " << Reader.IfdOffset() << '\n';
    TErrCode code = ErrOk;
    std::string sizeText, errText;
    Reader.GetRasterSizeText(code, sizeText, errText);
    Out << "Page raster data size: " << (code == ErrOk ? sizeText : "(" + errText + ")") << '\n';
    std::string dump;
    BuildTagDump(Reader, dump, Options.Limit);
    Out << WithoutCarriageReturns(dump);
}

void TDumper::DumpPage(std::uint32_t index)
{
    Out << "\nPage " << index + 1 << " of " << PageCount << '\n';
    std::string failure;
    if (!LoadPage(index, failure)) {
        Out << failure << '\n';
        PageFailed = true;
        return;
    }
    // A value that lies outside the file stops the page where it is met.
    try {
        DumpPageBody();
    } catch (const EKvInternal& e) {
        Out << UnexpectedText(e.what()) << '\n';
        PageFailed = true;
    }
}

std::int32_t TDumper::FindHexTag() const
{
    std::uint32_t code = 0;
    if (ParseNumber(*Options.HexTag, code))
        return Reader.FindTag(code);
    for (std::uint32_t i = 0; i < Reader.EntryCount(); ++i)
        if (Reader.TagName(i) == *Options.HexTag)
            return static_cast<std::int32_t>(i);
    return -1;
}

bool TDumper::DumpHex(std::uint32_t index)
{
    const std::int32_t entry = FindHexTag();
    if (entry < 0) {
        Err << "Tag " << *Options.HexTag << " is not on page " << index + 1 << '\n';
        return false;
    }
    const auto i = static_cast<std::uint32_t>(entry);
    TErrCode code = ErrOk;
    std::string text;
    const std::uint8_t* bytes = nullptr;
    try {
        Reader.GetValuePtr(i, code, text, bytes);
    } catch (const EKvInternal& e) {
        code = ErrFailed;
        text = UnexpectedText(e.what());
    }
    if (code != ErrOk) {
        Err << text << '\n';
        return false;
    }
    const auto size = static_cast<std::size_t>(Reader.ValueSize(i));
    Out << "\nValue of " << Reader.TagName(i) << " (" << size << " bytes)\n"
        << HexRows(bytes, size);
    return true;
}

int TDumper::Run()
{
    if (!OpenFile())
        return 1;
    const bool onePage = Options.Page || Options.HexTag;
    const std::uint32_t first = Options.Page ? *Options.Page - 1 : 0;
    if (onePage && first >= PageCount) {
        Err << "Page " << first + 1 << " does not exist; the file has " << PageCount
            << " pages\n";
        return 1;
    }
    const std::uint32_t end = onePage ? first + 1 : PageCount;
    for (std::uint32_t index = first; index < end; ++index)
        DumpPage(index);
    if (Options.HexTag && !PageFailed && !DumpHex(first))
        return 1;
    return PageFailed ? 1 : 0;
}

}  // namespace

int RunOrvaneDump(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    TOptions options;
    std::string error;
    if (!ParseArgs(args, options, error)) {
        err << "orvane-dump: " << error << '\n' << OrvaneDumpUsage;
        return 2;
    }
    if (options.Help) {
        out << OrvaneDumpUsage;
        return 0;
    }
    TDumper dumper(options, out, err);
    return dumper.Run();
}
