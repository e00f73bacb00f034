// Texts of the loaded page's entries and the page's raster size.
#include "tiff/KvCodecTiff.h"

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cstring>
#include <vector>

#include "io/SysIO.h"
#include "tiff/TiffNames.h"

namespace {

// Element k of a value in host order; 8-byte elements only for the BigTIFF
// types.
std::uint64_t ElementAt(const std::uint8_t* bytes, std::uint32_t dataType, std::uint32_t k)
{
    switch (TiffTypeSize(dataType, true)) {
    case 1: return bytes[k];
    case 2: {
        std::uint16_t v;
        std::memcpy(&v, bytes + 2 * std::size_t(k), 2);
        return v;
    }
    case 8:
        if (TiffIsBigTiffType(dataType)) {
            std::uint64_t v;
            std::memcpy(&v, bytes + 8 * std::size_t(k), 8);
            return v;
        }
        [[fallthrough]];
    default: {
        std::uint32_t v;
        std::memcpy(&v, bytes + 4 * std::size_t(k), 4);
        return v;
    }
    }
}

// The decimal separator is the one of the C library's current numeric
// locale (std::localeconv), so a program that selects the user's locale with
// setlocale(LC_NUMERIC, "") shows the user's separator, and one that does not
// shows a point.
std::string GeneralFormat15(long double value)
{
    char digits[64];
    auto result =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 15);
    std::string text(digits, result.ptr);
    const char* separator = std::localeconv()->decimal_point;
    const std::size_t point = text.find('.');
    if (point != std::string::npos && separator && std::strcmp(separator, ".") != 0)
        text.replace(point, 1, separator);
    return text;
}

}  // namespace

void TKvCodecTrnTiff::TagName(std::uint32_t index, std::string& text) const
{
    const std::uint32_t tag = EntryAt(index).FTag;
    const char* name = TiffTagName(tag);
    text = name ? name : std::to_string(tag);
}

std::string TKvCodecTrnTiff::TagName(std::uint32_t index) const
{
    std::string text;
    TagName(index, text);
    return text;
}

void TKvCodecTrnTiff::DataTypeName(std::uint32_t index, std::string& text) const
{
    TiffDataTypeName(EntryAt(index).FDataType, text, FBigTiff);
}

std::string TKvCodecTrnTiff::DataTypeName(std::uint32_t index) const
{
    std::string text;
    DataTypeName(index, text);
    return text;
}

void TKvCodecTrnTiff::DataTypeNameLower(std::uint32_t dataType, std::string& text)
{
    TiffDataTypeNameLower(dataType, text);
}

void TKvCodecTrnTiff::NamedValueText(const TTiffEntry& entry, std::string& text) const
{
    if (entry.FCount != 1) {
        text = "Unexpected count";
        return;
    }
    if (entry.FDataType != ttByte && entry.FDataType != ttShort && entry.FDataType != ttLong &&
        !(FBigTiff && entry.FDataType == ttLong8)) {
        text = "Unexpected datatype";
        return;
    }
    const std::uint64_t v = ElementAt(entry.FInline, entry.FDataType, 0);
    TiffNamedValue(entry.FTag, static_cast<std::uint32_t>(std::min<std::uint64_t>(v, UINT32_MAX)),
                   text);
}

// Values a list text of the limit can show: every value takes at least 3
// characters ("0, "), and the first one is always shown.
static std::uint64_t ListValuesShown(std::uint32_t limit)
{
    return std::uint64_t(limit) / 3 + 1;
}

// "1, 2, 3": values are added while the text stays within the limit; the
// first one always, ",..." when some are left out. bytes holds available
// values, at least as many as the limit can show.
void TKvCodecTrnTiff::ListText(const TTiffEntry& entry, const std::uint8_t* bytes,
                               std::uint32_t available, std::uint32_t limit,
                               std::string& text) const
{
    text.clear();
    std::uint32_t k = 0;
    for (; k < std::min<std::uint64_t>(entry.FCount, available); ++k) {
        std::string piece = std::to_string(ElementAt(bytes, entry.FDataType, k)) + ", ";
        if (k > 0 && text.size() + piece.size() > limit)
            break;
        text += piece;
    }
    if (text.size() >= 2)
        text.resize(text.size() - 2);
    if (k < entry.FCount)
        text += ",...";
}

void TKvCodecTrnTiff::RationalText(TTiffEntry& entry, std::string& text)
{
    text.clear();
    if (entry.FCount != 1)
        return;
    EnsureValueQuiet(entry, 8);
    // Inline only in BigTIFF, whose value field holds the 8 bytes.
    const std::uint8_t* bytes = ValueBytes(entry);
    if (!bytes)
        return;
    const std::uint64_t numerator = ElementAt(bytes, ttLong, 0);
    const std::uint64_t denominator = ElementAt(bytes, ttLong, 1);
    if (denominator == 0) {
        text = "Unexpected numeric";
        return;
    }
    text = GeneralFormat15(static_cast<long double>(numerator) / denominator);
}

void TKvCodecTrnTiff::AsciiText(TTiffEntry& entry, std::uint32_t limit, std::string& text)
{
    text.clear();
    if (entry.FCount == 0)
        return;
    if (entry.FCount <= InlineSize()) {
        text.assign(reinterpret_cast<const char*>(entry.FInline),
                    static_cast<std::size_t>(entry.FCount));
    } else {
        const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(limit, entry.FCount));
        EnsureValueQuiet(entry, n);
        const std::uint8_t* bytes = ValueBytes(entry);
        if (entry.FState == tvsInline || !bytes)
            return;
        text.assign(reinterpret_cast<const char*>(bytes), n);
        if (n < entry.FCount)
            text += "...";
    }
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 32)
            c = ' ';
}

void TKvCodecTrnTiff::ValueText(std::uint32_t index, std::uint32_t limit, std::string& text)
{
    TTiffEntry& entry = EntryAt(index);
    text.clear();
    if (TiffIsNamedValueTag(entry.FTag)) {
        NamedValueText(entry, text);
        return;
    }
    // Up to this many values sit inline for the list types.
    std::uint32_t inlineMax = 0;
    switch (entry.FDataType) {
    case ttByte:
    case ttShort:
    case ttLong:
    case ttIfd: inlineMax = InlineSize() / TypeSize(entry.FDataType); break;
    case ttLong8:
    case ttIfd8:
        if (!FBigTiff)
            return;
        inlineMax = 1;
        break;
    case ttRational: RationalText(entry, text); return;
    case ttAscii: AsciiText(entry, limit, text); return;
    default: return;
    }
    if (entry.FCount == 1) {
        text = std::to_string(ElementAt(entry.FInline, entry.FDataType, 0));
        return;
    }
    if (entry.FCount >= 2 && entry.FCount <= inlineMax) {
        ListText(entry, entry.FInline, inlineMax, limit, text);
        return;
    }
    const std::uint32_t typeSize = TypeSize(entry.FDataType);
    EnsureValueQuiet(entry, ListValuesShown(limit) * typeSize);
    if (entry.FState == tvsLittle || entry.FState == tvsConverted)
        ListText(entry, entry.FData, entry.FLoaded / typeSize, limit, text);
}

std::string TKvCodecTrnTiff::ValueText(std::uint32_t index, std::uint32_t limit)
{
    std::string text;
    ValueText(index, limit, text);
    return text;
}

// --- raster size ---------------------------------------------------------

void TKvCodecTrnTiff::GetRasterSize(std::uint32_t& size, TErrCode& errCode, std::string& errText)
{
    if (!FRasterDone) {
        TErrCode code = ErrOk;
        std::string text;
        std::uint32_t result = 0;
        ComputeRasterSize(result, code, text);
        FRasterDone = true;
        FRasterFailed = code != ErrOk;
        FRasterErrText = FRasterFailed ? text : std::string();
        FRasterSize = FRasterFailed ? 0 : result;
    }
    if (FRasterFailed) {
        errCode = ErrFailed;
        errText = FRasterErrText;
    } else {
        size = FRasterSize;
    }
}

void TKvCodecTrnTiff::ComputeRasterSize(std::uint32_t& size, TErrCode& errCode,
                                        std::string& errText)
{
    const std::int32_t so = FindTag(TagStripOffsets), sb = FindTag(TagStripByteCounts),
                       to = FindTag(TagTileOffsets), tb = FindTag(TagTileByteCounts);
    const bool strips = so >= 0 || sb >= 0;
    const bool tiles = to >= 0 || tb >= 0;
    bool useStrips;
    if (so >= 0 && sb >= 0)
        useStrips = true;  // both strip tags win over any tile tags
    else if (to >= 0 && tb >= 0)
        useStrips = false;
    else if (strips && !tiles)
        useStrips = true;
    else if (tiles && !strips)
        useStrips = false;
    else {
        errCode = ErrFailed;
        errText = !strips && !tiles ? "Missing Strip/Tile tags; Unable to deduct raster size"
                                    : "Conflicting combination of Strip and Tile oriented tags; "
                                      "Unable to deduct raster size";
        return;
    }
    const std::string layout = useStrips ? "Strip" : "Tile";
    const std::int32_t offsets = useStrips ? so : to;
    const std::int32_t counts = useStrips ? sb : tb;
    if (counts < 0) {
        errCode = ErrFailed;
        errText = layout + "ByteCounts Tag is missing; unable to deduct raster size";
        return;
    }
    const TTiffEntry& countEntry = FEntries[static_cast<std::uint32_t>(counts)];
    if (offsets >= 0 && FEntries[static_cast<std::uint32_t>(offsets)].FCount != countEntry.FCount) {
        errCode = ErrFailed;
        errText = layout + "ByteCounts and " + layout +
                  "ByteOffsets Tag Count differs; Unable to deduct raster size";
        return;
    }
    std::string text;
    if (countEntry.FSize > InlineSize() && !ValueInFile(countEntry)) {
        errCode = ErrFailed;
        errText = "Reading " + layout + "ByteCounts Tag Value: Premature end of data" +
                  "; Unable to deduct raster size";
        return;
    }
    const std::uint32_t type = countEntry.FDataType;
    if (type != ttByte && type != ttShort && type != ttLong && !(FBigTiff && type == ttLong8)) {
        errCode = ErrFailed;
        TiffDataTypeNameLower(type, text, FBigTiff);
        errText = "Invalid " + layout + "ByteCounts DataType (" + text +
                  "); Unable to deduct raster size";
        return;
    }
    std::uint32_t sum = 0;
    SumValue(countEntry, sum, errCode, text);
    if (errCode != ErrOk) {
        errText = "Reading " + layout + "ByteCounts Tag Value: " + text +
                  "; Unable to deduct raster size";
        return;
    }
    size = sum;
}

// Sums the byte counts, 32-bit and wrapping. A list held whole is summed
// where it is; any other is read in chunks, so a hostile count costs time
// in proportion to the file but no memory beyond one chunk.
void TKvCodecTrnTiff::SumValue(const TTiffEntry& entry, std::uint32_t& sum, TErrCode& errCode,
                               std::string& errText)
{
    const std::uint32_t type = entry.FDataType;
    const std::uint8_t* held = ValueBytes(entry);
    if (held && (entry.FState == tvsInline || entry.FLoaded == entry.FSize)) {
        for (std::uint32_t k = 0; k < entry.FCount; ++k)
            sum += static_cast<std::uint32_t>(ElementAt(held, type, k));
        return;
    }
    const std::uint32_t width = TypeSize(type);
    const auto total = std::uint64_t(entry.FSize);
    std::vector<std::uint8_t> chunk(
        static_cast<std::size_t>(std::min<std::uint64_t>(total, RasterChunkSize)));
    for (std::uint64_t done = 0; done < total;) {
        const auto n =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(total - done, RasterChunkSize));
        FReader->SeekFull(entry.FOffset + done, errCode, errText);
        if (errCode == ErrOk)
            FReader->Read(n, chunk.data(), errCode, errText);
        if (errCode != ErrOk)
            return;
        for (std::uint32_t at = 0; at < n; at += width)
            sum += width == 1   ? chunk[at]
                   : width == 2 ? Get16(&chunk[at])
                   : width == 4 ? Get32(&chunk[at])
                                : static_cast<std::uint32_t>(Get64(&chunk[at]));
        done += n;
    }
}

void TKvCodecTrnTiff::GetRasterSizeText(std::string& text, TErrCode& errCode, std::string& errText)
{
    std::uint32_t size = 0;
    GetRasterSize(size, errCode, errText);
    if (errCode == ErrOk)
        text = SizeToText(size);
}

void TKvCodecTrnTiff::RasterSizeText(std::string& text)
{
    TErrCode code = ErrOk;
    std::string errText;
    text.clear();
    GetRasterSizeText(text, code, errText);
    if (code != ErrOk)
        text.clear();
}

std::string TKvCodecTrnTiff::RasterSizeText()
{
    std::string text;
    RasterSizeText(text);
    return text;
}
