#include "decode/EntryValue.h"

#include "decode/TagDecoders.h"
#include "io/SysErr.h"
#include "tiff/GeoKeyDirectory.h"
#include "tiff/KvCodecTiff.h"
#include "tiff/TiffNames.h"

namespace {

// The page's value of tag, or empty when the page has none (or it fails).
TValueBytes OptionalValue(TKvCodecTrnTiff& reader, std::uint16_t tag)
{
    TValueBytes bytes;
    std::string failure;
    const std::int32_t entry = reader.FindTag(tag);
    if (entry >= 0)
        ReadEntryValue(reader, static_cast<std::uint32_t>(entry), bytes, failure);
    return bytes;
}

}  // namespace

bool ReadEntryValue(TKvCodecTrnTiff& reader, std::uint32_t index, TValueBytes& bytes,
                    std::string& failure)
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

// RATIONALs swap as two LONGs.
void ToFileOrder(const TKvCodecTrnTiff& reader, std::uint32_t index, TValueBytes& bytes)
{
    const std::uint32_t type = reader.GetEntry(index).FDataType;
    const std::uint32_t size = type == 5 || type == 10 ? 4 : TiffTypeSize(type, reader.IsBigTiff());
    RestoreFileOrder(bytes, size, reader.IsBigEndian());
}

std::optional<TDecodedView> DecodeEntryValue(TKvCodecTrnTiff& reader, std::uint32_t index,
                                             std::uint32_t pageCount, TValueBytes& value)
{
    const TTiffEntry& entry = reader.GetEntry(index);
    TDecodeInput input;
    input.Tag = static_cast<std::uint16_t>(entry.FTag);
    input.Type = static_cast<std::uint16_t>(entry.FDataType);
    if (!HasDecoder(input.Tag))
        return std::nullopt;
    if (!DecoderReadsNumbers(input.Tag))
        ToFileOrder(reader, index, value);
    input.Bytes = value;
    input.PageCount = pageCount;
    TValueBytes doubles, ascii;
    if (input.Tag == TagGeoKeyDirectory) {
        doubles = OptionalValue(reader, TagGeoDoubleParams);
        ascii = OptionalValue(reader, TagGeoAsciiParams);
        input.GeoDoubles = doubles;
        input.GeoAscii = ascii;
    }
    return DecodeTagValue(input);
}

std::string DecodedViewText(const TDecodedView& view)
{
    if (!view.Failure.empty())
        return "The value cannot be decoded: " + view.Failure + "\n";
    return ViewText(view);
}
