#include "decode/TagDecoders.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string_view>
#include <utility>
#include <vector>

#include "decode/DescriptionDecode.h"
#include "decode/GeoDecode.h"
#include "decode/IccDecode.h"
#include "decode/IptcDecode.h"
#include "decode/XmlIndent.h"
#include "tiff/GeoKeyDirectory.h"

namespace {

constexpr std::uint16_t TypeShort = 3, TypeDouble = 12;

template <typename T>
std::vector<T> Numbers(std::span<const std::uint8_t> bytes)
{
    std::vector<T> values(bytes.size() / sizeof(T));
    if (!values.empty())
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(T));
    return values;
}

void RequireType(const TDecodeInput& input, std::uint16_t type, const char* name)
{
    if (input.Type != type)
        throw EDecodeFault("the value has type " + std::to_string(input.Type) +
                           "; the decoder reads " + name);
}

std::string_view AsChars(std::span<const std::uint8_t> bytes)
{
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

void DecodeInto(const TDecodeInput& input, TLineSink& out)
{
    switch (input.Tag) {
    case TagGeoKeyDirectory: {
        RequireType(input, TypeShort, "SHORT");
        const auto doubles = Numbers<double>(input.GeoDoubles);
        DecodeGeoKeys(Numbers<std::uint16_t>(input.Bytes), {doubles, AsChars(input.GeoAscii)}, out);
        return;
    }
    case TagModelTiepoint:
    case TagModelPixelScale:
    case TagModelTransformation:
        RequireType(input, TypeDouble, "DOUBLE");
        DecodeModelTag(input.Tag, Numbers<double>(input.Bytes), out);
        return;
    case TagIccProfile: DecodeIccProfile(input.Bytes, out); return;
    case TagIptc: DecodeIptc(input.Bytes, out); return;
    case TagImageResources: DecodeImageResources(input.Bytes, out); return;
    case TagXmp: {
        const TXmlText xml = XmlToUtf8(input.Bytes);
        out.Add("Encoding", xml.Encoding);
        IndentXml(xml.Utf8, out);
        return;
    }
    case TagImageDescription:
        DecodeImageDescription(AsChars(input.Bytes), input.PageCount, out);
        return;
    default: return;
    }
}

}  // namespace

bool HasDecoder(std::uint16_t tag)
{
    static constexpr std::uint16_t tags[] = {
        TagImageDescription, TagXmp,        TagModelPixelScale,
        TagModelTiepoint,    TagIptc,       TagModelTransformation,
        TagImageResources,   TagIccProfile, TagGeoKeyDirectory};
    return std::find(std::begin(tags), std::end(tags), tag) != std::end(tags);
}

bool DecoderReadsNumbers(std::uint16_t tag)
{
    return tag == TagGeoKeyDirectory || tag == TagModelPixelScale || tag == TagModelTiepoint ||
           tag == TagModelTransformation;
}

std::uint16_t DecoderTagByName(const std::string& name)
{
    static constexpr std::pair<const char*, std::uint16_t> names[] = {
        {"ImageDescription", TagImageDescription},
        {"XMP", TagXmp},
        {"ModelPixelScale", TagModelPixelScale},
        {"ModelTiepoint", TagModelTiepoint},
        {"ModelTransformation", TagModelTransformation},
        {"IPTC", TagIptc},
        {"Photoshop", TagImageResources},
        {"ICCProfile", TagIccProfile},
        {"GeoKeyDirectory", TagGeoKeyDirectory},
        {"GeoDoubleParams", TagGeoDoubleParams},
        {"GeoAsciiParams", TagGeoAsciiParams},
    };
    for (const auto& [text, tag] : names)
        if (name == text)
            return tag;
    return 0;
}

std::optional<TDecodedView> DecodeTagValue(const TDecodeInput& input)
{
    if (!HasDecoder(input.Tag))
        return std::nullopt;
    if (input.Tag == TagImageDescription && !IsStructuredDescription(AsChars(input.Bytes)))
        return std::nullopt;
    TDecodedView view;
    TLineSink out(view);
    try {
        DecodeInto(input, out);
    } catch (const EDecodeFault& fault) {
        view.Lines.clear();
        view.Failure = fault.what();
    }
    return view;
}

void RestoreFileOrder(std::span<std::uint8_t> bytes, std::uint32_t typeSize, bool fileBigEndian)
{
    const bool hostBigEndian = std::endian::native == std::endian::big;
    if (typeSize < 2 || fileBigEndian == hostBigEndian)
        return;
    for (std::size_t at = 0; at + typeSize <= bytes.size(); at += typeSize) {
        const auto group = bytes.subspan(at, typeSize);
        std::reverse(group.begin(), group.end());
    }
}
