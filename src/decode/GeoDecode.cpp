#include "decode/GeoDecode.h"

#include <charconv>
#include <cmath>

#include "decode/GeoNames.h"
#include "tiff/GeoKeyDirectory.h"

// Plain digits in the range map coordinates live in (500000, not 5e+05),
// the shortest text that reads back the same value either way.
std::string NumberText(double value)
{
    char text[400];
    const double size = std::fabs(value);
    const bool plain = size == 0 || (size >= 1e-6 && size < 1e17);
    const auto result =
        plain ? std::to_chars(text, text + sizeof text, value, std::chars_format::fixed)
              : std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

namespace {

std::string DoublesText(std::span<const double> values)
{
    std::string text;
    for (double value : values)
        text += (text.empty() ? "" : ", ") + NumberText(value);
    return text;
}

// An ASCII key's text ends at the '|' that closes it in GeoAsciiParams.
std::string AsciiKeyText(std::string_view text)
{
    if (!text.empty() && text.back() == '|')
        text.remove_suffix(1);
    return "\"" + PrintableUtf8(text.data(), text.size()) + "\"";
}

struct TKeyValue {
    const char* Type;
    std::string Text;
};

TKeyValue KeyValue(const TGeoKey& key, std::span<const std::uint16_t> directory,
                   const TGeoParams& params)
{
    const std::size_t first = key.ValueOrIndex, end = first + key.Count;
    switch (key.Location) {
    case 0: return {"SHORT", GeoKeyCodeText(key.Id, key.ValueOrIndex)};
    case TagGeoDoubleParams:
        if (end > params.Doubles.size())
            return {"DOUBLE", "(beyond the " + std::to_string(params.Doubles.size()) +
                                  " values of GeoDoubleParams)"};
        return {"DOUBLE", DoublesText(params.Doubles.subspan(first, key.Count))};
    case TagGeoAsciiParams:
        if (end > params.Ascii.size())
            return {"ASCII", "(beyond the " + std::to_string(params.Ascii.size()) +
                                 " characters of GeoAsciiParams)"};
        return {"ASCII", AsciiKeyText(params.Ascii.substr(first, key.Count))};
    case TagGeoKeyDirectory: {
        if (end > directory.size())
            return {"SHORT", "(beyond the key directory)"};
        std::string text;
        for (std::size_t i = first; i < end; ++i)
            text += (text.empty() ? "" : ", ") + GeoKeyCodeText(key.Id, directory[i]);
        return {"SHORT", text};
    }
    default: return {"?", "(in tag " + std::to_string(key.Location) + ", which holds no keys)"};
    }
}

}  // namespace

void DecodeGeoKeys(std::span<const std::uint16_t> directory, const TGeoParams& params,
                   TLineSink& out)
{
    TGeoKeyDirectory keys;
    ParseGeoKeyDirectory(directory, keys);
    if (directory.size() < 4)
        throw EDecodeFault("the key directory has " + std::to_string(directory.size()) +
                           " values; its header needs 4");
    out.Add("GeoTIFF version " + std::to_string(keys.Version) + ", key revision " +
            std::to_string(keys.Revision) + "." + std::to_string(keys.Minor) + ", " +
            std::to_string(keys.DeclaredKeys) + " keys");
    out.Enter();
    for (const TGeoKey& key : keys.Keys) {
        const std::string name = GeoKeyName(key.Id);
        const TKeyValue value = KeyValue(key, directory, params);
        out.Add((name.empty() ? "Unknown GeoKey" : name) + " (" + std::to_string(key.Id) + ", " +
                    value.Type + ", " + std::to_string(key.Count) + ")",
                value.Text);
    }
    out.Leave();
    for (const TGeoKeyProblem& problem :
         ValidateGeoKeys(keys, directory.size(), params.Doubles.size(), params.Ascii.size()))
        out.Add("Problem", problem.Text);
}

void DecodeModelTag(std::uint16_t tag, std::span<const double> values, TLineSink& out)
{
    if (tag == TagModelTiepoint) {
        if (values.size() % 6 != 0)
            throw EDecodeFault(std::to_string(values.size()) +
                               " tiepoint values are not whole points of 6");
        for (std::size_t i = 0; i < values.size(); i += 6)
            out.Add("Tiepoint " + std::to_string(i / 6 + 1),
                    "raster (" + DoublesText(values.subspan(i, 3)) + ") -> model (" +
                        DoublesText(values.subspan(i + 3, 3)) + ")");
    } else if (tag == TagModelPixelScale) {
        if (values.size() != 3)
            throw EDecodeFault("a pixel scale has 3 values, not " + std::to_string(values.size()));
        out.Add("Pixel scale (x, y, z)", DoublesText(values));
    } else {
        if (values.size() != 16)
            throw EDecodeFault("a transformation matrix has 16 values, not " +
                               std::to_string(values.size()));
        out.Add("Transformation matrix");
        out.Enter();
        for (std::size_t row = 0; row < 4; ++row)
            out.Add("[" + DoublesText(values.subspan(4 * row, 4)) + "]");
        out.Leave();
    }
}
