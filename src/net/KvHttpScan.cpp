#include "net/KvHttpScan.h"

#include <cstring>

bool TKvLineScanner::Scan(const char* data, std::uint32_t received)
{
    // The search resumes where the last one stopped, so a line that arrives
    // byte by byte is not scanned again from its start each time.
    for (;;) {
        const void* found =
            FSearch < received ? std::memchr(data + FSearch, '\r', received - FSearch) : nullptr;
        if (!found) {
            FSearch = received;
            return false;
        }
        std::uint32_t cr = static_cast<std::uint32_t>(static_cast<const char*>(found) - data);
        if (cr + 1 >= received) {
            FSearch = cr;
            return false;
        }
        if (cr == FLineStart) {
            FEnd = cr + 2;
            return true;
        }
        FLineStart = FSearch = cr + 2;
    }
}

namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Offset of the start of the line after the one holding pos; the byte after
// the CR is skipped unchecked. header.size() when there is none.
std::size_t NextLine(std::string_view header, std::size_t pos)
{
    std::size_t cr = header.find('\r', pos);
    return cr == std::string_view::npos || cr + 2 > header.size() ? header.size() : cr + 2;
}

bool NameMatches(std::string_view header, std::size_t pos, std::string_view lowerName)
{
    if (header.size() - pos <= lowerName.size())
        return false;
    for (std::size_t i = 0; i < lowerName.size(); ++i)
        if (LowerAscii(header[pos + i]) != lowerName[i])
            return false;
    return header[pos + lowerName.size()] == ':';
}

}  // namespace

std::string HeaderFieldValue(std::string_view header, std::string_view lowerName)
{
    for (std::size_t pos = NextLine(header, 0); pos < header.size(); pos = NextLine(header, pos)) {
        if (!NameMatches(header, pos, lowerName))
            continue;
        std::size_t start = pos + lowerName.size() + 1;
        if (start < header.size() && header[start] == ' ')
            ++start;
        std::size_t end = header.find('\r', start);
        if (end == std::string_view::npos)
            end = header.size();
        std::string value(header.substr(start, end - start));
        for (char& c : value)
            c = LowerAscii(c);
        return value;
    }
    return {};
}

TKvStatusLine ParseStatusLine(std::string_view header, std::int32_t& code)
{
    code = -1;
    if (header.size() < 13)
        return TKvStatusLine::None;
    static constexpr char pattern[] = "HTTP/1.1 ";
    for (std::size_t i = 0; i < 9; ++i)
        if (i != 5 && i != 7 && header[i] != pattern[i])
            return TKvStatusLine::None;
    std::int32_t value = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (header[i] < '0' || header[i] > '9')
            return TKvStatusLine::Rejected;
        value = value * 10 + (header[i] - '0');
    }
    if (header[12] != ' ' && header[12] != '\r')
        return TKvStatusLine::Rejected;
    code = value;
    return TKvStatusLine::Valid;
}

bool ParseContentLength(std::string_view text, std::int32_t& length)
{
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return false;
    }
    length = static_cast<std::int32_t>(value);
    return true;
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

TKvChunkLine ParseChunkSize(std::string_view line, std::int32_t& size)
{
    size = 0;
    std::int64_t value = 0;
    std::size_t pos = 0;
    for (; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '\r' || c == ';' || c == ' ')
            break;
        int digit = HexDigit(c);
        if (digit < 0)
            return TKvChunkLine::BadDigit;
        value = value * 16 + digit;
        if (value > INT32_MAX)
            return TKvChunkLine::TooLarge;
    }
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    if (pos >= line.size() || line[pos] != '\r')
        return TKvChunkLine::TrailingText;
    size = static_cast<std::int32_t>(value);
    return TKvChunkLine::Valid;
}
