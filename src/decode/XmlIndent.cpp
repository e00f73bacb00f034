#include "decode/XmlIndent.h"

#include <vector>

namespace {

// The name in encoding="..." of a leading declaration, lower case.
std::string DeclaredEncoding(const std::string& text)
{
    if (text.compare(0, 5, "<?xml") != 0)
        return {};
    const std::size_t end = text.find("?>");
    const std::size_t at = text.find("encoding=", 0);
    if (at == std::string::npos || at > end || at + 10 >= text.size())
        return {};
    const char quote = text[at + 9];
    const std::size_t close = text.find(quote, at + 10);
    if (close == std::string::npos || close > end)
        return {};
    std::string name = text.substr(at + 10, close - at - 10);
    for (char& c : name)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return name;
}

TXmlText Detect(std::span<const std::uint8_t> bytes)
{
    const auto starts = [&](std::initializer_list<std::uint8_t> prefix) {
        return bytes.size() >= prefix.size() &&
               std::equal(prefix.begin(), prefix.end(), bytes.begin());
    };
    if (starts({0xEF, 0xBB, 0xBF}))
        return {std::string(bytes.begin() + 3, bytes.end()), "UTF-8 with byte order mark"};
    if (starts({0xFE, 0xFF}))
        return {Utf16ToUtf8(bytes.subspan(2), true), "UTF-16BE with byte order mark"};
    if (starts({0xFF, 0xFE}))
        return {Utf16ToUtf8(bytes.subspan(2), false), "UTF-16LE with byte order mark"};
    if (starts({0x00, '<'}))
        return {Utf16ToUtf8(bytes, true), "UTF-16BE"};
    if (starts({'<', 0x00}))
        return {Utf16ToUtf8(bytes, false), "UTF-16LE"};
    std::string text(bytes.begin(), bytes.end());
    const std::string declared = DeclaredEncoding(text);
    if (declared == "iso-8859-1" || declared == "latin1" || declared == "windows-1252")
        return {Latin1ToUtf8(text.data(), text.size()), "ISO-8859-1 (declared)"};
    return {text, declared.empty() ? "UTF-8" : "UTF-8 (declared " + declared + ")"};
}

}  // namespace

TXmlText XmlToUtf8(std::span<const std::uint8_t> bytes)
{
    TXmlText xml = Detect(bytes);
    // A trailing NUL is common in TIFF ASCII values.
    while (!xml.Utf8.empty() && xml.Utf8.back() == '\0')
        xml.Utf8.pop_back();
    return xml;
}

namespace {

enum class TTokenKind : std::uint8_t { Start, End, Empty, Other, Text };

struct TToken {
    TTokenKind Kind;
    std::string Text;
};

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Runs of white space become one space; the ends are trimmed.
std::string Collapsed(const std::string& text, std::size_t from, std::size_t to)
{
    std::string result;
    bool space = false;
    for (std::size_t i = from; i < to; ++i) {
        if (IsSpace(text[i])) {
            space = !result.empty();
            continue;
        }
        if (space)
            result += ' ';
        space = false;
        result += text[i];
    }
    return PrintableUtf8(result.data(), result.size());
}

// Where the markup starting at from ends (one past its last character).
std::size_t MarkupEnd(const std::string& text, std::size_t from)
{
    const char* close = text.compare(from, 4, "<!--") == 0        ? "-->"
                        : text.compare(from, 9, "<![CDATA[") == 0 ? "]]>"
                        : text.compare(from, 2, "<?") == 0        ? "?>"
                                                                  : ">";
    std::size_t end = text.find(close, from + 1);
    if (end == std::string::npos)
        throw EDecodeFault("an unclosed tag at byte " + std::to_string(from));
    return end + std::char_traits<char>::length(close);
}

std::vector<TToken> Tokenize(const std::string& text)
{
    std::vector<TToken> tokens;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('<', pos);
        const std::size_t textEnd = open == std::string::npos ? text.size() : open;
        std::string between = Collapsed(text, pos, textEnd);
        if (!between.empty())
            tokens.push_back({TTokenKind::Text, std::move(between)});
        if (open == std::string::npos)
            break;
        pos = MarkupEnd(text, open);
        const char second = open + 1 < text.size() ? text[open + 1] : '\0';
        const TTokenKind kind = second == '/'                    ? TTokenKind::End
                                : second == '?' || second == '!' ? TTokenKind::Other
                                : text[pos - 2] == '/'           ? TTokenKind::Empty
                                                                 : TTokenKind::Start;
        tokens.push_back({kind, Collapsed(text, open, pos)});
    }
    return tokens;
}

}  // namespace

void IndentXml(const std::string& utf8, TLineSink& out)
{
    const std::vector<TToken> tokens = Tokenize(utf8);
    unsigned depth = 0;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TToken& token = tokens[i];
        if (token.Kind == TTokenKind::Start && i + 2 < tokens.size() &&
            tokens[i + 1].Kind == TTokenKind::Text && tokens[i + 2].Kind == TTokenKind::End) {
            out.Add(token.Text + tokens[i + 1].Text + tokens[i + 2].Text);
            i += 2;
            continue;
        }
        if (token.Kind == TTokenKind::End) {
            if (depth == 0)
                throw EDecodeFault("the end tag " + token.Text + " closes no element");
            --depth;
            out.Leave();
        }
        out.Add(token.Text);
        if (token.Kind == TTokenKind::Start) {
            if (++depth > MaxXmlDepth)
                throw EDecodeFault("elements nest deeper than " + std::to_string(MaxXmlDepth));
            out.Enter();
        }
    }
}
