#include "DumpDecode.h"

#include <charconv>
#include <vector>

#include "decode/EntryValue.h"
#include "decode/TagDecoders.h"
#include "inspect/PageLoading.h"
#include "io/SysFile.h"
#include "tiff/KvCodecTiff.h"
#include "tiff/TiffNames.h"

std::int32_t FindTagEntry(const TKvCodecTrnTiff& reader, const std::string& tag)
{
    std::uint32_t code = 0;
    const char* end = tag.data() + tag.size();
    const auto parsed = std::from_chars(tag.data(), end, code);
    if (!tag.empty() && parsed.ec == std::errc() && parsed.ptr == end)
        return reader.FindTag(code);
    for (std::uint32_t i = 0; i < reader.EntryCount(); ++i)
        if (reader.TagName(i) == tag)
            return static_cast<std::int32_t>(i);
    const std::uint16_t decoded = DecoderTagByName(tag);
    return decoded ? reader.FindTag(decoded) : -1;
}

namespace {

using TBytes = TValueBytes;

int Decode(TKvCodecTrnTiff& reader, std::uint32_t index, std::uint32_t pageCount, TBytes& value,
           std::ostream& out, std::ostream& err)
{
    const std::optional<TDecodedView> view = DecodeEntryValue(reader, index, pageCount, value);
    if (!view) {
        err << "Tag " << reader.TagName(index) << " has no decoded view\n";
        return 1;
    }
    if (!view->Failure.empty()) {
        err << "Tag " << reader.TagName(index) << " cannot be decoded: " << view->Failure << '\n';
        return 1;
    }
    out << ViewText(*view);
    return 0;
}

int Extract(TKvCodecTrnTiff& reader, std::uint32_t index, TBytes& value, const std::string& path,
            std::ostream& err)
{
    ToFileOrder(reader, index, value);
    std::string failure;
    if (!WriteWholeFile(path, value, failure)) {
        err << failure << '\n';
        return 1;
    }
    return 0;
}

}  // namespace

int RunDecodeOrExtract(const TDumpOptions& options, std::ostream& out, std::ostream& err)
{
    TKvCodecTrnTiff reader;
    TTiffFileFacts facts;
    std::string text;
    if (!OpenAndCountPages(reader, options.Path, facts, text)) {
        err << text << '\n';
        return 1;
    }
    const std::uint32_t page = options.Page.value_or(1);
    if (page > facts.PageCount) {
        err << "Page " << page << " does not exist; the file has " << facts.PageCount << " pages\n";
        return 1;
    }
    if (!LoadPage(reader, page - 1, text)) {
        err << text << '\n';
        return 1;
    }
    const std::string& tag = options.DecodeTag ? *options.DecodeTag : *options.ExtractTag;
    const std::int32_t entry = FindTagEntry(reader, tag);
    if (entry < 0) {
        err << "Tag " << tag << " is not on page " << page << '\n';
        return 1;
    }
    const auto index = static_cast<std::uint32_t>(entry);
    TBytes value;
    if (!ReadEntryValue(reader, index, value, text)) {
        err << text << '\n';
        return 1;
    }
    return options.DecodeTag ? Decode(reader, index, facts.PageCount, value, out, err)
                             : Extract(reader, index, value, options.ExtractPath, err);
}
