#include "decode/DecodedView.h"

#include <cstdint>
#include <span>

void TLineSink::Add(const std::string& text)
{
    if (View.Lines.size() >= MaxLines)
        throw EDecodeFault("the value makes more than " + std::to_string(MaxLines) + " lines");
    Bytes += text.size();
    if (Bytes > MaxBytes)
        throw EDecodeFault("the value makes more than " + std::to_string(MaxBytes) +
                           " bytes of text");
    View.Lines.push_back({Depth, text});
}

std::string ViewText(const TDecodedView& view)
{
    std::string text;
    for (const TDecodedLine& line : view.Lines) {
        text.append(2 * std::size_t(line.Depth), ' ');
        text += line.Text;
        text += '\n';
    }
    return text;
}

namespace {

const char* const Replacement = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at text, or 0.
std::size_t SequenceLength(const unsigned char* text, std::size_t left)
{
    const unsigned char lead = text[0];
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || length > left)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((text[i] & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and code points above U+10FFFF.
    if ((lead == 0xE0 && text[1] < 0xA0) || (lead == 0xED && text[1] >= 0xA0) ||
        (lead == 0xF0 && text[1] < 0x90) || (lead == 0xF4 && text[1] >= 0x90))
        return 0;
    return length;
}

}  // namespace

std::string PrintableUtf8(const char* text, std::size_t size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::string result;
    result.reserve(size);
    for (std::size_t i = 0; i < size;) {
        const std::size_t length = SequenceLength(bytes + i, size - i);
        if (length == 0 || bytes[i] < 0x20 || bytes[i] == 0x7F) {
            result += bytes[i] == '\t' ? " " : Replacement;
            i += length ? length : 1;
            continue;
        }
        result.append(text + i, length);
        i += length;
    }
    return result;
}

namespace {

void AppendUtf8(std::uint32_t code, std::string& text)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | code >> 18);
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string Utf16ToUtf8(std::span<const std::uint8_t> bytes, bool bigEndian)
{
    std::string text;
    auto unitAt = [&](std::size_t i) {
        return bigEndian ? std::uint32_t(bytes[i]) << 8 | bytes[i + 1]
                         : std::uint32_t(bytes[i + 1]) << 8 | bytes[i];
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size() && unitAt(i + 2) >= 0xDC00 &&
            unitAt(i + 2) < 0xE000) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = 0xFFFD;
        }
        AppendUtf8(unit, text);
    }
    return text;
}

std::string Latin1ToUtf8(const char* text, std::size_t size)
{
    std::string result;
    for (std::size_t i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            result += static_cast<char>(c);
        } else {
            result += static_cast<char>(0xC0 | (c >> 6));
            result += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return PrintableUtf8(result.data(), result.size());
}
