#include "net/KvHttpScan.h"

#include <cstring>

bool TKvLineScanner::Scan(const char* Data, std::uint32_t Received)
{
    // The search resumes where the last one stopped, so a line that arrives
    // byte by byte is not scanned again from its start each time.
    for (;;) {
        const void* found = FSearch < Received ? std::memchr(Data + FSearch, '\r', Received - FSearch) : nullptr;
        if (!found) {
            FSearch = Received;
            return false;
        }
        std::uint32_t cr = static_cast<std::uint32_t>(static_cast<const char*>(found) - Data);
        if (cr + 1 >= Received) {
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

// Offset of the start of the line after the one holding Pos; the byte after
// the CR is skipped unchecked. Header.size() when there is none.
std::size_t NextLine(std::string_view Header, std::size_t Pos)
{
    std::size_t cr = Header.find('\r', Pos);
    return cr == std::string_view::npos || cr + 2 > Header.size() ? Header.size() : cr + 2;
}

bool NameMatches(std::string_view Header, std::size_t Pos, std::string_view LowerName)
{
    if (Header.size() - Pos <= LowerName.size())
        return false;
    for (std::size_t i = 0; i < LowerName.size(); ++i)
        if (LowerAscii(Header[Pos + i]) != LowerName[i])
            return false;
    return Header[Pos + LowerName.size()] == ':';
}

} // namespace

std::string HeaderFieldValue(std::string_view Header, std::string_view LowerName)
{
    for (std::size_t pos = NextLine(Header, 0); pos < Header.size(); pos = NextLine(Header, pos)) {
        if (!NameMatches(Header, pos, LowerName))
            continue;
        std::size_t start = pos + LowerName.size() + 1;
        if (start < Header.size() && Header[start] == ' ')
            ++start;
        std::size_t end = Header.find('\r', start);
        if (end == std::string_view::npos)
            end = Header.size();
        std::string value(Header.substr(start, end - start));
        for (char& c : value)
            c = LowerAscii(c);
        return value;
    }
    return {};
}

TKvStatusLine ParseStatusLine(std::string_view Header, std::int32_t& Code)
{
    Code = -1;
    if (Header.size() < 13)
        return TKvStatusLine::None;
    static constexpr char Pattern[] = "HTTP/1.1 ";
    for (std::size_t i = 0; i < 9; ++i)
        if (i != 5 && i != 7 && Header[i] != Pattern[i])
            return TKvStatusLine::None;
    std::int32_t value = 0;
    for (std::size_t i = 9; i < 12; ++i) {
        if (Header[i] < '0' || Header[i] > '9')
            return TKvStatusLine::Rejected;
        value = value * 10 + (Header[i] - '0');
    }
    if (Header[12] != ' ' && Header[12] != '\r')
        return TKvStatusLine::Rejected;
    Code = value;
    return TKvStatusLine::Valid;
}

bool ParseContentLength(std::string_view Text, std::int32_t& Length)
{
    std::int64_t value = 0;
    for (char c : Text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > INT32_MAX)
            return false;
    }
    Length = static_cast<std::int32_t>(value);
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

} // namespace

TKvChunkLine ParseChunkSize(std::string_view Line, std::int32_t& Size)
{
    Size = 0;
    std::int64_t value = 0;
    std::size_t pos = 0;
    for (; pos < Line.size(); ++pos) {
        char c = Line[pos];
        if (c == '\r' || c == ';' || c == ' ')
            break;
        int digit = HexDigit(c);
        if (digit < 0)
            return TKvChunkLine::BadDigit;
        value = value * 16 + digit;
        if (value > INT32_MAX)
            return TKvChunkLine::TooLarge;
    }
    while (pos < Line.size() && Line[pos] == ' ')
        ++pos;
    if (pos >= Line.size() || Line[pos] != '\r')
        return TKvChunkLine::TrailingText;
    Size = static_cast<std::int32_t>(value);
    return TKvChunkLine::Valid;
}
