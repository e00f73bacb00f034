#include "html/KvHtmlValues.h"

#include <algorithm>

#include "html/KvHtml.h"
#include "html/KvHtmlMath.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

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

// Lengths keep at most this many digits, far more than any page needs: the
// digits times the largest font size and the largest pixel count times the
// divisor both stay exact in 64 bits.
constexpr std::size_t MaxLengthDigits = 13;

}  // namespace

bool KvReadDigits(const std::string& text, std::size_t& pos, std::int32_t maximum,
                  std::int32_t& value, std::size_t& count)
{
    std::int64_t number = 0;
    bool inRange = true;
    count = 0;
    while (pos < text.size() && IsDigit(text[pos])) {
        if (inRange) {
            number = number * 10 + (text[pos] - '0');
            if (number > maximum)
                inRange = false;
        }
        ++pos;
        ++count;
    }
    value = inRange ? static_cast<std::int32_t>(number) : maximum;
    return inRange;
}

bool KvParseDigitsOnly(const std::string& text, std::int32_t maximum, std::int32_t& value)
{
    std::size_t pos = 0, count = 0;
    bool inRange = KvReadDigits(text, pos, maximum, value, count);
    return inRange && pos == text.size();
}

TKvColor KvParseHashColor(const std::string& text)
{
    if (text.size() < 7 || text[0] != '#')
        KvHtmlFail("2024.115");
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        int high = HexDigit(text[1 + 2 * static_cast<std::size_t>(i)]);
        int low = HexDigit(text[2 + 2 * static_cast<std::size_t>(i)]);
        if (high < 0 || low < 0)
            KvHtmlFail("2024.115");
        channel[i] = high * 16 + low;
    }
    if (text.size() > 7)
        KvHtmlFail("2025.91");
    return KvRgb(channel[0], channel[1], channel[2]);
}

bool KvReadLength(const std::string& text, std::size_t& pos, std::int32_t parentSize,
                  std::int32_t& value)
{
    std::int64_t mantissa = 0;
    std::size_t digits = 0, decimals = 0;
    bool point = false;
    while (pos < text.size() && (IsDigit(text[pos]) || text[pos] == '.')) {
        if (text[pos] == '.') {
            if (point)
                KvHtmlFail("3587.87");
            point = true;
        } else {
            if (++digits > MaxLengthDigits)
                KvHtmlFail("3614.92");
            mantissa = mantissa * 10 + (text[pos] - '0');
            if (point)
                ++decimals;
        }
        ++pos;
    }
    if (digits == 0 && !point)
        return false;
    std::int64_t divisor = 1;
    for (std::size_t i = 0; i < decimals; ++i)
        divisor *= 10;
    if (pos + 1 < text.size() && KvLowerAscii(text[pos]) == 'e' &&
        KvLowerAscii(text[pos + 1]) == 'm') {
        mantissa *= std::clamp(parentSize, 0, KvHtmlMaxPixels);
        pos += 2;
    }
    if (mantissa > KvHtmlMaxPixels * divisor)
        KvHtmlFail("3614.92");
    value = KvRoundRatio(mantissa, divisor);
    if (pos < text.size() && text[pos] != ' ')
        KvHtmlFail("3614.92");
    KvSkipBlanks(text, pos);
    return true;
}

namespace {

int ReadRgbComponent(const std::string& text, std::size_t& pos, char terminator)
{
    KvSkipBlanks(text, pos);
    int value = 0, count = 0;
    while (count < 3 && pos < text.size() && IsDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++count;
    }
    if (count == 0)
        KvHtmlFail("3457.86");
    if (value > 255)
        KvHtmlFail("3458.91");
    KvSkipBlanks(text, pos);
    if (pos >= text.size())
        KvHtmlFail("3465.94");
    if (text[pos] != terminator)
        KvHtmlFail("3466.133");
    ++pos;
    return value;
}

}  // namespace

TKvColor KvReadRgb(const std::string& text, std::size_t& pos)
{
    if (text.size() - pos < 3)
        KvHtmlFail("3481.72");
    if (KvLowerAscii(text[pos]) != 'r' || KvLowerAscii(text[pos + 1]) != 'g' ||
        KvLowerAscii(text[pos + 2]) != 'b' || pos + 3 >= text.size() || text[pos + 3] != '(')
        KvHtmlFail("3481.72");
    pos += 4;
    int red = ReadRgbComponent(text, pos, ',');
    int green = ReadRgbComponent(text, pos, ',');
    int blue = ReadRgbComponent(text, pos, ')');
    KvSkipBlanks(text, pos);
    return KvRgb(red, green, blue);
}
