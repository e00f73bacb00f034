#include "DumpTool.h"

#include <charconv>
#include <cstdio>

#include "DumpDecode.h"
#include "DumpMap.h"
#include "DumpOptions.h"
#include "inspect/JsonDocument.h"
#include "inspect/PageLoading.h"
#include "inspect/StructureCheck.h"
#include "inspect/TreeText.h"
#include "tiff/KvCodecTiff.h"
#include "tiff/TagDump.h"

const char* const OrvaneDumpUsage =
    "Usage: orvane-dump [--page N] [--limit N] [--hex TAG] [--tree] [--values all] FILE\n"
    "       orvane-dump --json [--page N] FILE\n"
    "       orvane-dump --check [--json] [--strict] [--ignore ID,...] FILE\n"
    "       orvane-dump --decode TAG [--page N] FILE\n"
    "       orvane-dump --extract TAG [--page N] FILE OUT\n"
    "       orvane-dump --map FILE\n"
    "       orvane-dump --rules\n"
    "Prints the size, byte order and page count of a TIFF file and, for every page\n"
    "(or page N, counted from 1), its directory offset, raster data size and tags.\n"
    "  --page N      only page N\n"
    "  --limit N     cut value texts at N characters (default 45)\n"
    "  --hex TAG     hex dump of the value of TAG (code or name) on page N (default 1)\n"
    "  --tree        EXIF, GPS, Interoperability and SubIFD directories, indented\n"
    "                under the entry that points to them\n"
    "  --values all  every value of every type in full (--limit still cuts)\n"
    "  --decode TAG  the nested data in the value of TAG on page N (default 1) as\n"
    "                text: GeoTIFF keys and model tags, ICC profile, XMP, IPTC,\n"
    "                image resources, ImageJ or OME-XML ImageDescription\n"
    "  --extract TAG the value of TAG on page N (default 1) written to OUT as the\n"
    "                file holds it\n"
    "  --json        the whole structure as one JSON document\n"
    "  --check       a conformance report, one line per finding with its severity\n"
    "                and rule id (with --json: one document of findings)\n"
    "  --strict      with --check: warnings count like errors for the exit code\n"
    "  --ignore IDS  with --check: leave out the rules of that comma-separated list\n"
    "  --map         what every byte is (header, directory, tag value, image\n"
    "                data, unaccounted, overlap), the bytes of each class and\n"
    "                every region with its owner\n"
    "  --rules       every rule of --check with its severity and what it rests on\n"
    "  --help        this text\n"
    "A page that cannot be read shows its error in place of its tags.\n"
    "Exit code: 0 all read, 1 the file or a page could not be read, 2 wrong usage;\n"
    "with --check: 0 no errors (with --strict no warnings either), 1 else,\n"
    "2 the file cannot be read.\n";

namespace {

bool ParseNumber(const std::string& text, std::uint32_t& value)
{
    const char* end = text.data() + text.size();
    auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc() && result.ptr == end;
}

bool TakesValue(const std::string& arg)
{
    return arg == "--page" || arg == "--limit" || arg == "--hex" || arg == "--values" ||
           arg == "--ignore" || arg == "--decode" || arg == "--extract";
}

bool SetValueOption(const std::string& arg, const std::string& value, TDumpOptions& options)
{
    std::uint32_t number = 0;
    if (arg == "--hex") {
        options.HexTag = value;
        return true;
    }
    if (arg == "--decode" || arg == "--extract") {
        (arg == "--decode" ? options.DecodeTag : options.ExtractTag) = value;
        return true;
    }
    if (arg == "--ignore") {
        options.IgnoreGiven = true;
        std::string unknown;
        return ParseIgnoredRules(value, options.CheckOptions, unknown);
    }
    if (arg == "--values") {
        options.ValuesAll = true;
        return value == "all";
    }
    if (!ParseNumber(value, number) || (arg == "--page" && number == 0))
        return false;
    if (arg == "--page") {
        options.Page = number;
    } else {
        options.Limit = number;
        options.LimitGiven = true;
    }
    return true;
}

bool SetFlag(const std::string& arg, TDumpOptions& options)
{
    bool* flag = arg == "--help"     ? &options.Help
                 : arg == "--tree"   ? &options.Tree
                 : arg == "--json"   ? &options.Json
                 : arg == "--check"  ? &options.Check
                 : arg == "--strict" ? &options.CheckOptions.Strict
                 : arg == "--rules"  ? &options.Rules
                 : arg == "--map"    ? &options.Map
                                     : nullptr;
    if (flag)
        *flag = true;
    return flag != nullptr;
}

// --json and --check make documents of their own: they take no options
// that shape the text output.
bool CompatibleModes(const TDumpOptions& options, std::string& error)
{
    const bool decodes = options.DecodeTag || options.ExtractTag;
    if (decodes &&
        (options.Check || options.Json || options.HexTag || options.Tree || options.ValuesAll ||
         options.LimitGiven || (options.DecodeTag && options.ExtractTag))) {
        error = "--decode and --extract take only --page";
        return false;
    }
    if (!MapOptionsCompatible(options, error))
        return false;
    if (options.ExtractTag && options.ExtractPath.empty()) {
        error = "--extract needs a file to write";
        return false;
    }
    if (options.Check && (options.Page || options.HexTag || options.Tree || options.ValuesAll ||
                          options.LimitGiven)) {
        error = "--check takes only --json, --strict and --ignore";
        return false;
    }
    if (!options.Check && (options.CheckOptions.Strict || options.IgnoreGiven)) {
        error = "--strict and --ignore go with --check";
        return false;
    }
    if (options.Json &&
        (options.HexTag || options.Tree || options.ValuesAll || options.LimitGiven)) {
        error = "--json takes only --page";
        return false;
    }
    return true;
}

}  // namespace

bool ParseDumpArgs(const std::vector<std::string>& args, TDumpOptions& options, std::string& error)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (SetFlag(arg, options))
            continue;
        if (TakesValue(arg)) {
            if (i + 1 >= args.size()) {
                error = arg + " needs a value";
                return false;
            }
            const std::string& value = args[++i];
            if (!SetValueOption(arg, value, options)) {
                error = "invalid value for " + arg + ": " + value;
                return false;
            }
            continue;
        }
        const bool option = arg.size() > 1 && arg[0] == '-' && arg[1] == '-';
        if (!option && !options.Path.empty() && options.ExtractPath.empty() && options.ExtractTag) {
            options.ExtractPath = arg;
            continue;
        }
        if (!options.Path.empty() || option) {
            error = "unexpected argument: " + arg;
            return false;
        }
        options.Path = arg;
    }
    if (options.Path.empty() && !options.Help && !options.Rules) {
        error = "no file given";
        return false;
    }
    return CompatibleModes(options, error);
}

namespace {

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
    TDumper(const TDumpOptions& options, std::ostream& out, std::ostream& err)
        : Options(options), Out(out), Err(err), Tree(Raw, Out)
    {
    }

    int Run();

private:
    bool OpenFile();
    void DumpPage(std::uint32_t index);
    void DumpPageBody();
    void DumpFullPageBody();
    bool DumpHex(std::uint32_t index);
    std::int32_t FindHexTag() const;

    const TDumpOptions& Options;
    std::ostream& Out;
    std::ostream& Err;
    TKvCodecTrnTiff Reader;
    TKvTiffDirReader Raw;
    TTreeTextWriter Tree;
    std::uint32_t PageCount = 0;
    bool PageFailed = false;
};

bool TDumper::OpenFile()
{
    TTiffFileFacts facts;
    std::string text;
    if (!OpenAndCountPages(Reader, Options.Path, facts, text)) {
        Err << text << '\n';
        return false;
    }
    PageCount = facts.PageCount;
    Out << "File: " << Options.Path << '\n'
        << "File size: " << SizeToText(facts.Size) << '\n'
        << "Byte order: " << facts.ByteOrder << '\n';
    // Only BigTIFF files get the line, so classic dumps read as they always did.
    if (facts.BigTiff)
        Out << "Format: BigTIFF\n";
    Out << "Number of pages: " << PageCount << '\n';
    if (Options.Tree || Options.ValuesAll) {
        TErrCode code = ErrOk;
        Raw.Open(Options.Path, Options.Path, code, text);
        Tree.Start(Reader, PageCount, Options);
    }
    return true;
}

void TDumper::DumpPageBody()
{
    Out << "Page offset: " << Reader.IfdOffset() << '\n';
    TErrCode code = ErrOk;
    std::string sizeText, errText;
    Reader.GetRasterSizeText(sizeText, code, errText);
    Out << "Page raster data size: " << (code == ErrOk ? sizeText : "(" + errText + ")") << '\n';
    std::string dump;
    BuildTagDump(Reader, dump, Options.Limit);
    Out << WithoutCarriageReturns(dump);
    PageFailed = PageFailed || Reader.DirectoryCut();
}

// --tree and --values all: a value or raster size that cannot be read shows
// its text in place, and the page goes on.
void TDumper::DumpFullPageBody()
{
    Out << "Page offset: " << Reader.IfdOffset() << '\n';
    std::uint32_t size = 0;
    std::string text;
    const bool sized = ReadRasterSizeText(Reader, size, text);
    Out << "Page raster data size: " << (sized ? text : "(" + text + ")") << '\n';
    if (!Tree.WritePage(Reader))
        PageFailed = true;
}

void TDumper::DumpPage(std::uint32_t index)
{
    Out << "\nPage " << index + 1 << " of " << PageCount << '\n';
    std::string failure;
    if (!LoadPage(Reader, index, failure)) {
        Out << failure << '\n';
        PageFailed = true;
        return;
    }
    if (Options.Tree || Options.ValuesAll) {
        DumpFullPageBody();
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
    return FindTagEntry(Reader, *Options.HexTag);
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
        Reader.GetValuePtr(i, bytes, code, text);
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
    if (Options.Check) {
        TCheckOptions check = Options.CheckOptions;
        check.Json = Options.Json;
        return RunStructureCheck(Options.Path, check, Out, Err);
    }
    if (Options.Json)
        return WriteJsonDocument(Options.Path, Options.Page, Out, Err);
    if (!OpenFile())
        return 1;
    const bool onePage = Options.Page || Options.HexTag;
    const std::uint32_t first = Options.Page ? *Options.Page - 1 : 0;
    if (onePage && first >= PageCount) {
        Err << "Page " << first + 1 << " does not exist; the file has " << PageCount << " pages\n";
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
    TDumpOptions options;
    std::string error;
    if (!ParseDumpArgs(args, options, error)) {
        err << "orvane-dump: " << error << '\n' << OrvaneDumpUsage;
        return 2;
    }
    if (options.Help) {
        out << OrvaneDumpUsage;
        return 0;
    }
    if (options.Rules) {
        WriteRuleList(out);
        return 0;
    }
    if (options.DecodeTag || options.ExtractTag)
        return RunDecodeOrExtract(options, out, err);
    if (options.Map)
        return RunByteMap(options, out, err);
    TDumper dumper(options, out, err);
    return dumper.Run();
}
