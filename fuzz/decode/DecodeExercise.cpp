#include "DecodeExercise.h"

#include <algorithm>
#include <span>

#include "decode/GeoDecode.h"
#include "decode/IccDecode.h"
#include "decode/IptcDecode.h"
#include "decode/TagDecoders.h"
#include "tiff/GeoKeyDirectory.h"

namespace {

constexpr std::uint16_t Tags[] = {TagImageDescription, TagXmp,        TagModelPixelScale,
                                  TagModelTiepoint,    TagIptc,       TagModelTransformation,
                                  TagImageResources,   TagIccProfile, TagGeoKeyDirectory};

std::uint16_t ExpectedType(std::uint16_t tag)
{
    if (tag == TagGeoKeyDirectory)
        return 3;
    if (tag == TagModelPixelScale || tag == TagModelTiepoint || tag == TagModelTransformation)
        return 12;
    return 7;
}

}  // namespace

void ExerciseDecoders(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return;
    std::span<const std::uint8_t> rest(data + 1, size - 1);
    TDecodeInput input;
    input.Tag = Tags[data[0] % std::size(Tags)];
    input.Type = data[0] >= 128 ? 4 : ExpectedType(input.Tag);
    input.PageCount = 3;
    if (input.Tag == TagGeoKeyDirectory && rest.size() >= 2) {
        const std::size_t doubles = std::min<std::size_t>(rest[0] * 8u, rest.size() - 2);
        const std::size_t ascii = std::min<std::size_t>(rest[1], rest.size() - 2 - doubles);
        input.GeoDoubles = rest.subspan(2, doubles);
        input.GeoAscii = rest.subspan(2 + doubles, ascii);
        rest = rest.subspan(2 + doubles + ascii);
    }
    input.Bytes = rest;
    if (const auto view = DecodeTagValue(input))
        (void)ViewText(*view).size();
}
