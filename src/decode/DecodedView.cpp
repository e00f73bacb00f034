#include "decode/DecodedView.h"

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
