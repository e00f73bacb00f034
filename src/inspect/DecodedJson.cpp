#include "inspect/DecodedJson.h"

#include "decode/TagDecoders.h"
#include "inspect/JsonWriter.h"
#include "tiff/GeoKeyDirectory.h"

namespace {

using TBytes = std::vector<std::uint8_t>;

// The decoders read SHORTs and DOUBLEs in host order.
TBytes HostOrder(const TKvTiffDirReader& raw, const TTiffRawEntry& entry, TBytes bytes)
{
    RestoreFileOrder(bytes, TiffRawTypeSize(entry.Type), raw.IsBigEndian());
    return bytes;
}

TBytes ParameterValue(TKvTiffDirReader& raw, const TTiffWalkDir& dir, std::uint16_t tag)
{
    TBytes bytes;
    for (const TTiffWalkEntry& entry : dir.Entries) {
        if (entry.Raw.Tag != tag)
            continue;
        TErrCode code = ErrOk;
        std::string text;
        raw.ReadValue(entry.Raw, bytes, code, text);
        return code == ErrOk ? HostOrder(raw, entry.Raw, bytes) : TBytes();
    }
    return bytes;
}

}  // namespace

void WriteDecodedMember(TKvTiffDirReader& raw, const TTiffWalkDir& dir, const TTiffRawEntry& entry,
                        const TBytes& value, std::uint32_t pageCount, TKvJsonWriter& json)
{
    if (dir.Kind != TTiffDirKind::Page || !HasDecoder(entry.Tag))
        return;
    TDecodeInput input;
    input.Tag = static_cast<std::uint16_t>(entry.Tag);
    input.Type = static_cast<std::uint16_t>(entry.Type);
    input.PageCount = pageCount;
    const TBytes numbers = DecoderReadsNumbers(input.Tag) ? HostOrder(raw, entry, value) : TBytes();
    input.Bytes = DecoderReadsNumbers(input.Tag) ? numbers : value;
    TBytes doubles, ascii;
    if (input.Tag == TagGeoKeyDirectory) {
        doubles = ParameterValue(raw, dir, TagGeoDoubleParams);
        ascii = ParameterValue(raw, dir, TagGeoAsciiParams);
        input.GeoDoubles = doubles;
        input.GeoAscii = ascii;
    }
    const std::optional<TDecodedView> view = DecodeTagValue(input);
    if (!view)
        return;
    json.Key("decoded");
    json.BeginObject();
    json.Key("lines");
    json.BeginArray();
    for (const TDecodedLine& line : view->Lines) {
        json.BeginObject();
        json.Member("depth", std::uint64_t(line.Depth));
        json.Member("text", line.Text);
        json.EndObject();
    }
    json.EndArray();
    json.NullOrString("failure", view->Failure);
    json.EndObject();
}
