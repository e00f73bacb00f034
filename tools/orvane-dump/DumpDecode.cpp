#include "DumpDecode.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "decode/TagDecoders.h"
#include "inspect/PageLoading.h"
#include "io/SysErr.h"
#include "io/SysFile.h"
#include "tiff/GeoKeyDirectory.h"
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

using TBytes = std::vector<std::uint8_t>;

// The value of an entry in host order; copied, since the reader keeps one
// large value at a time.
bool ReadValue(TKvCodecTrnTiff& reader, std::uint32_t index, TBytes& bytes, std::string& failure)
{
    TErrCode code = ErrOk;
    const std::uint8_t* pointer = nullptr;
    try {
        reader.GetValuePtr(index, pointer, code, failure);
    } catch (const EKvInternal& e) {
        code = ErrFailed;
        failure = UnexpectedText(e.what());
    }
    if (code != ErrOk)
        return false;
    bytes.assign(pointer, pointer + reader.ValueSize(index));
    return true;
}

// Host order back to the file's: RATIONALs swap as two LONGs.
void ToFileOrder(TKvCodecTrnTiff& reader, std::uint32_t index, TBytes& bytes)
{
    const std::uint32_t type = reader.GetEntry(index).FDataType;
    const std::uint32_t size = type == 5 || type == 10 ? 4 : TiffTypeSize(type, reader.IsBigTiff());
    RestoreFileOrder(bytes, size, reader.IsBigEndian());
}

// The page's value of tag, or empty when the page has none (or it fails).
TBytes OptionalValue(TKvCodecTrnTiff& reader, std::uint16_t tag)
{
    TBytes bytes;
    std::string failure;
    const std::int32_t entry = reader.FindTag(tag);
    if (entry >= 0)
        ReadValue(reader, static_cast<std::uint32_t>(entry), bytes, failure);
    return bytes;
}

int Decode(TKvCodecTrnTiff& reader, std::uint32_t index, std::uint32_t pageCount, TBytes& value,
           std::ostream& out, std::ostream& err)
{
    const TTiffEntry& entry = reader.GetEntry(index);
    TDecodeInput input;
    input.Tag = static_cast<std::uint16_t>(entry.FTag);
    input.Type = static_cast<std::uint16_t>(entry.FDataType);
    if (!DecoderReadsNumbers(input.Tag))
        ToFileOrder(reader, index, value);
    input.Bytes = value;
    input.PageCount = pageCount;
    TBytes doubles, ascii;
    if (input.Tag == TagGeoKeyDirectory) {
        doubles = OptionalValue(reader, TagGeoDoubleParams);
        ascii = OptionalValue(reader, TagGeoAsciiParams);
        input.GeoDoubles = doubles;
        input.GeoAscii = ascii;
    }
    const std::optional<TDecodedView> view = DecodeTagValue(input);
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
    // The program's own opener: UTF-8 names and long paths on Windows too.
    std::FILE* file = CreateFileStream(path);
    bool written = file && std::fwrite(value.data(), 1, value.size(), file) == value.size();
    if (file && std::fclose(file) != 0)
        written = false;
    if (!written) {
        err << "Cannot write " << path << '\n';
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
    if (!ReadValue(reader, index, value, text)) {
        err << text << '\n';
        return 1;
    }
    return options.DecodeTag ? Decode(reader, index, facts.PageCount, value, out, err)
                             : Extract(reader, index, value, options.ExtractPath, err);
}
