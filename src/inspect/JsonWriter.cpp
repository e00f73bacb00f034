#include "inspect/JsonWriter.h"

#include <charconv>
#include <cmath>

namespace {

// Length of the UTF-8 sequence that starts at text[i], 0 when it is not one.
std::size_t Utf8Length(const unsigned char* text, std::size_t size, std::size_t i)
{
    const unsigned char c = text[i];
    std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > size || c > 0xF4)
        return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((text[i + k] & 0xC0) != 0x80)
            return 0;
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if ((c == 0xE0 && text[i + 1] < 0xA0) || (c == 0xED && text[i + 1] >= 0xA0) ||
        (c == 0xF0 && text[i + 1] < 0x90) || (c == 0xF4 && text[i + 1] >= 0x90))
        return 0;
    return n;
}

}  // namespace

void TKvJsonWriter::Flush()
{
    Out.write(Buffer.data(), static_cast<std::streamsize>(Buffer.size()));
    Buffer.clear();
}

void TKvJsonWriter::Separate()
{
    if (AfterKey) {
        AfterKey = false;
        return;
    }
    if (!First.empty()) {
        if (!First.back())
            Put(',');
        First.back() = false;
    }
}

void TKvJsonWriter::Open(char bracket)
{
    Separate();
    Put(bracket);
    First.push_back(true);
}

void TKvJsonWriter::Close(char bracket)
{
    First.pop_back();
    Put(bracket);
    if (First.empty()) {
        Put('\n');
        Flush();
    } else {
        FlushWhenFull();
    }
}

void TKvJsonWriter::BeginObject()
{
    Open('{');
}
void TKvJsonWriter::EndObject()
{
    Close('}');
}
void TKvJsonWriter::BeginArray()
{
    Open('[');
}
void TKvJsonWriter::EndArray()
{
    Close(']');
}

void TKvJsonWriter::Key(const char* name)
{
    Separate();
    Put('"');
    Put(name, std::char_traits<char>::length(name));
    Put("\":", 2);
    AfterKey = true;
}

void TKvJsonWriter::String(const char* text, std::size_t size)
{
    static const char digits[] = "0123456789abcdef";
    Separate();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    std::string& out = Buffer;
    out += '"';
    for (std::size_t i = 0; i < size; ++i) {
        // Plain characters go in runs: most texts are nothing else.
        std::size_t plain = i;
        while (plain < size && bytes[plain] >= 0x20 && bytes[plain] < 0x7F && bytes[plain] != '"' &&
               bytes[plain] != '\\')
            ++plain;
        out.append(text + i, plain - i);
        if (plain == size)
            break;
        i = plain;
        const unsigned char c = bytes[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\u00";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (const std::size_t n = Utf8Length(bytes, size, i)) {
            out.append(text + i, n);
            i += n - 1;
        } else {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out += '"';
}

void TKvJsonWriter::Number(std::uint64_t value)
{
    Separate();
    char digits[24];
    Put(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr -
                                         digits));
}

void TKvJsonWriter::Number(std::int64_t value)
{
    Separate();
    char digits[24];
    Put(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr -
                                         digits));
}

void TKvJsonWriter::NonFinite(bool isNan, bool negative)
{
    const char* text = isNan ? "NaN" : negative ? "-Infinity" : "Infinity";
    String(text, std::char_traits<char>::length(text));
}

// A float keeps its own shortest digits: widened to double it would show
// the widening's noise.
template <class T>
void TKvJsonWriter::Shortest(T value)
{
    if (!std::isfinite(value)) {
        NonFinite(std::isnan(value), value < 0);
        return;
    }
    Separate();
    char digits[64];
    Put(digits, static_cast<std::size_t>(std::to_chars(digits, digits + sizeof digits, value).ptr -
                                         digits));
}

void TKvJsonWriter::Float(float value)
{
    Shortest(value);
}

void TKvJsonWriter::Double(double value)
{
    Shortest(value);
}

void TKvJsonWriter::Bool(bool value)
{
    Separate();
    if (value)
        Put("true", 4);
    else
        Put("false", 5);
}

void TKvJsonWriter::Null()
{
    Separate();
    Put("null", 4);
}
