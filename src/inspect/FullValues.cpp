#include "inspect/FullValues.h"

#include <bit>
#include <charconv>
#include <cmath>

#include "inspect/JsonWriter.h"
#include "tiff/TiffNames.h"

namespace {

bool IsText(std::uint32_t type)
{
    return type == ttAscii || type == TiffTypeUtf8;
}

bool IsRational(std::uint32_t type)
{
    return type == ttRational || type == ttSRational;
}

template <class T>
std::string ShortestText(T value)
{
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

std::int64_t Signed(std::uint64_t v, unsigned width)
{
    const unsigned shift = 64 - 8 * width;
    return static_cast<std::int64_t>(v << shift) >> shift;
}

// Element k as a signed or unsigned integer of the type.
std::string IntegerText(const TKvTiffDirReader& reader, std::uint32_t type,
                        const std::uint8_t* bytes, std::uint64_t k)
{
    const std::uint64_t v = reader.Element(bytes, type, k);
    switch (type) {
    case ttSByte: return std::to_string(Signed(v, 1));
    case ttSShort: return std::to_string(Signed(v, 2));
    case ttSLong:
    case ttSRational: return std::to_string(Signed(v, 4));
    case TiffTypeSLong8: return std::to_string(static_cast<std::int64_t>(v));
    default: return std::to_string(v);
    }
}

double FloatAt(const TKvTiffDirReader& reader, std::uint32_t type, const std::uint8_t* bytes,
               std::uint64_t k)
{
    const std::uint64_t v = reader.Element(bytes, type, k);
    if (type == ttFloat)
        return std::bit_cast<float>(static_cast<std::uint32_t>(v));
    return std::bit_cast<double>(v);
}

std::string ValuePiece(const TKvTiffDirReader& reader, std::uint32_t type,
                       const std::uint8_t* bytes, std::uint64_t k)
{
    if (IsRational(type))
        return IntegerText(reader, type, bytes, 2 * k) + "/" +
               IntegerText(reader, type, bytes, 2 * k + 1);
    if (type == ttFloat)
        return ShortestText(static_cast<float>(FloatAt(reader, type, bytes, k)));
    if (type == ttDouble)
        return ShortestText(FloatAt(reader, type, bytes, k));
    return IntegerText(reader, type, bytes, k);
}

// The viewer's quotient of a single unsigned rational.
std::string QuotientText(const TKvTiffDirReader& reader, const std::uint8_t* bytes)
{
    const std::uint64_t numerator = reader.Element(bytes, ttRational, 0);
    const std::uint64_t denominator = reader.Element(bytes, ttRational, 1);
    if (denominator == 0)
        return "Unexpected numeric";
    char digits[64];
    const auto result =
        std::to_chars(digits, digits + sizeof digits,
                      static_cast<long double>(numerator) / static_cast<long double>(denominator),
                      std::chars_format::general, 15);
    return std::string(digits, result.ptr);
}

bool NamedText(const TKvTiffDirReader& reader, TTiffDirKind kind, const TTiffRawEntry& entry,
               const std::vector<std::uint8_t>& bytes, std::string& text)
{
    if ((kind != TTiffDirKind::Page && kind != TTiffDirKind::SubIfd) ||
        !TiffIsNamedValueTag(entry.Tag))
        return false;
    if (entry.Count != 1)
        text = "Unexpected count";
    else if (entry.Type != ttByte && entry.Type != ttShort && entry.Type != ttLong)
        text = "Unexpected datatype";
    else
        TiffNamedValue(entry.Tag,
                       static_cast<std::uint32_t>(reader.Element(bytes.data(), entry.Type, 0)),
                       text);
    return true;
}

// A value read only in part is cut as well.
void CutText(std::string& text, std::optional<std::uint32_t> limit, bool partial)
{
    if ((limit && text.size() > *limit) || partial) {
        if (limit && text.size() > *limit)
            text.resize(*limit);
        text += "...";
    }
}

}  // namespace

std::string HexText(const std::uint8_t* bytes, std::size_t size, char sep)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(size * 3);
    for (std::size_t i = 0; i < size; ++i) {
        if (sep && i > 0)
            text += sep;
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 15];
    }
    return text;
}

void FullValueText(const TKvTiffDirReader& reader, TTiffDirKind kind, const TTiffRawEntry& entry,
                   const std::vector<std::uint8_t>& bytes, std::optional<std::uint32_t> limit,
                   std::string& text)
{
    text.clear();
    if (NamedText(reader, kind, entry, bytes, text))
        return;
    const std::uint32_t type = entry.Type;
    const bool partial = bytes.size() < entry.Size;
    if (IsText(type)) {
        text.assign(bytes.begin(), bytes.end());
        for (char& c : text)
            if (static_cast<unsigned char>(c) < 32)
                c = ' ';
        CutText(text, limit, partial);
        return;
    }
    if (type == ttUndefined || !TiffIsKnownType(type)) {
        text = HexText(bytes.data(), bytes.size(), ' ');
        CutText(text, limit, partial);
        return;
    }
    if (type == ttRational && entry.Count == 1) {
        text = QuotientText(reader, bytes.data());
        return;
    }
    // The viewer's list rule: the first value always, then values while
    // the text stays within the limit.
    const std::uint64_t available = bytes.size() / TiffRawTypeSize(type);
    for (std::uint64_t k = 0; k < entry.Count; ++k) {
        if (k == available) {
            text += ",...";
            return;
        }
        std::string piece = ValuePiece(reader, type, bytes.data(), k);
        if (k > 0 && limit && text.size() + piece.size() + 4 > *limit) {
            text += ",...";
            return;
        }
        if (k > 0)
            text += ", ";
        text += piece;
    }
}

void WriteJsonValues(const TKvTiffDirReader& reader, const TTiffRawEntry& entry,
                     const std::vector<std::uint8_t>& bytes, TKvJsonWriter& json)
{
    const std::uint32_t type = entry.Type;
    if (IsText(type)) {
        json.BeginArray();
        std::size_t start = 0;
        for (std::size_t i = 0; i <= bytes.size(); ++i) {
            if (i == bytes.size() || bytes[i] == 0) {
                // The terminating NUL ends the last part; it adds no empty one.
                if (i < bytes.size() || i > start)
                    json.String(reinterpret_cast<const char*>(bytes.data()) + start, i - start);
                start = i + 1;
            }
        }
        json.EndArray();
        return;
    }
    if (type == ttUndefined || !TiffIsKnownType(type)) {
        json.String(HexText(bytes.data(), bytes.size(), 0));
        return;
    }
    json.BeginArray();
    for (std::uint64_t k = 0; k < entry.Count; ++k) {
        if (IsRational(type)) {
            json.BeginArray();
            for (std::uint64_t half : {2 * k, 2 * k + 1}) {
                const std::uint64_t v = reader.Element(bytes.data(), type, half);
                if (type == ttSRational)
                    json.Number(Signed(v, 4));
                else
                    json.Number(v);
            }
            json.EndArray();
        } else if (type == ttFloat || type == ttDouble) {
            const double v = FloatAt(reader, type, bytes.data(), k);
            if (type == ttFloat)
                json.Float(static_cast<float>(v));
            else
                json.Double(v);
        } else if (type == ttSByte || type == ttSShort || type == ttSLong ||
                   type == TiffTypeSLong8) {
            const std::uint64_t v = reader.Element(bytes.data(), type, k);
            json.Number(Signed(v, TiffRawTypeSize(type)));
        } else {
            json.Number(reader.Element(bytes.data(), type, k));
        }
    }
    json.EndArray();
}
