#include "app/KvTiffCodecPages.h"

#include <algorithm>
#include <stdexcept>

#include "decode/EntryValue.h"
#include "decode/TagDecoders.h"
#include "tiff/SizeText.h"
#include "tiff/TagDump.h"

void TKvTiffCodecPages::EnablePageList(bool on, TErrCode& errCode, std::string& errText)
{
    FCodec.EnablePageList(on, errCode, errText);
}

void TKvTiffCodecPages::Open(const std::string& path, const std::string& displayName,
                             std::uint32_t pageIndex, std::uint32_t ifdOffset, TErrCode& errCode,
                             std::string& errText)
{
    FCodec.Open(path, displayName, pageIndex, ifdOffset, errCode, errText);
}

void TKvTiffCodecPages::SelectPage(std::uint32_t index, TErrCode& errCode, std::string& errText)
{
    FCodec.SelectPage(index, errCode, errText);
}

void TKvTiffCodecPages::ReadPage(TErrCode& errCode, std::string& errText)
{
    FCodec.ReadPage(errCode, errText);
}

void TKvTiffCodecPages::ScanStep(bool& final, TErrCode& errCode, std::string& errText)
{
    FCodec.ScanStep(final, errCode, errText);
}

void TKvTiffCodecPages::ScanSteps(std::uint32_t steps, bool& final, TErrCode& errCode,
                                  std::string& errText)
{
    FCodec.ScanSteps(steps, final, errCode, errText);
}

void TKvTiffCodecPages::GetPageCount(bool& final, std::uint32_t& count)
{
    FCodec.GetPageCount(final, count);
}

void TKvTiffCodecPages::PageOffsets(std::uint32_t first, std::uint32_t count,
                                    std::vector<std::uint64_t>& offsets)
{
    offsets.resize(count);
    for (std::uint32_t i = 0; i < count; ++i)
        offsets[i] = FCodec.PageSlot(first + i);
}

std::uint32_t TKvTiffCodecPages::EntryCount()
{
    return FCodec.EntryCount();
}
bool TKvTiffCodecPages::DirectoryCut()
{
    return FCodec.DirectoryCut();
}
std::string TKvTiffCodecPages::TagName(std::uint32_t i)
{
    return FCodec.TagName(i);
}
std::string TKvTiffCodecPages::DataTypeName(std::uint32_t i)
{
    return FCodec.DataTypeName(i);
}
std::uint64_t TKvTiffCodecPages::ValueCount(std::uint32_t i)
{
    return FCodec.ValueCount(i);
}

std::string TKvTiffCodecPages::ValueText(std::uint32_t i, std::uint32_t limit)
{
    return FCodec.ValueText(i, limit);
}

// A value cannot be larger than the file, which is below 4 GB.
std::uint32_t TKvTiffCodecPages::ValueSize(std::uint32_t i)
{
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(FCodec.ValueSize(i), 0, 0xFFFFFFFF));
}

const void* TKvTiffCodecPages::ValuePointer(std::uint32_t i)
{
    return FCodec.ValuePointer(i);
}
namespace {

// Read again and copied: the reader keeps one large value at a time, and a
// GeoTIFF directory reads its parameter tags too.
TValueBytes CopyOfValue(TKvCodecTrnTiff& codec, std::uint32_t i)
{
    TValueBytes bytes;
    std::string failure;
    if (!ReadEntryValue(codec, i, bytes, failure))
        throw std::runtime_error(failure);
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> TKvTiffCodecPages::FileOrderValue(std::uint32_t i)
{
    TValueBytes bytes = CopyOfValue(FCodec, i);
    ToFileOrder(FCodec, i, bytes);
    return bytes;
}

// A tag without a decoder costs no copy of its value, however large.
std::optional<std::string> TKvTiffCodecPages::DecodedText(std::uint32_t i, std::uint32_t pageCount)
{
    if (!HasDecoder(static_cast<std::uint16_t>(FCodec.GetEntry(i).FTag)))
        return std::nullopt;
    TValueBytes bytes = CopyOfValue(FCodec, i);
    const std::optional<TDecodedView> view = DecodeEntryValue(FCodec, i, pageCount, bytes);
    return view ? std::optional<std::string>(DecodedViewText(*view)) : std::nullopt;
}

std::uint64_t TKvTiffCodecPages::FileSize()
{
    return FCodec.FileSize();
}
std::string TKvTiffCodecPages::ByteOrderText()
{
    return FCodec.ByteOrderText();
}
std::uint64_t TKvTiffCodecPages::IfdOffset()
{
    return FCodec.IfdOffset();
}
std::string TKvTiffCodecPages::RasterSizeText()
{
    return FCodec.RasterSizeText();
}
std::string TKvTiffCodecPages::SizeText(std::uint64_t size)
{
    return SizeToText(size);
}
std::string TKvTiffCodecPages::TagDump()
{
    return BuildTagDump(FCodec);
}

std::unique_ptr<IKvTiffPages> CreateTiffCodecPages()
{
    return std::make_unique<TKvTiffCodecPages>();
}
