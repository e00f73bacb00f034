#include "decode/ByteCursor.h"

#include "decode/DecodedView.h"

void TByteCursor::Need(std::size_t count, const char* what) const
{
    if (count > Left())
        throw EDecodeFault(std::string(what) + " at byte " + std::to_string(Pos) + " needs " +
                           std::to_string(count) + " bytes; the value has " +
                           std::to_string(Left()) + " left");
}

std::uint8_t TByteCursor::U8(const char* what)
{
    Need(1, what);
    return Bytes[Pos++];
}

std::uint16_t TByteCursor::U16(const char* what)
{
    Need(2, what);
    const auto value = static_cast<std::uint16_t>(Bytes[Pos] << 8 | Bytes[Pos + 1]);
    Pos += 2;
    return value;
}

std::uint32_t TByteCursor::U32(const char* what)
{
    Need(4, what);
    const std::uint32_t value = std::uint32_t(Bytes[Pos]) << 24 |
                                std::uint32_t(Bytes[Pos + 1]) << 16 |
                                std::uint32_t(Bytes[Pos + 2]) << 8 | Bytes[Pos + 3];
    Pos += 4;
    return value;
}

std::span<const std::uint8_t> TByteCursor::Take(std::size_t count, const char* what)
{
    Need(count, what);
    const auto part = Bytes.subspan(Pos, count);
    Pos += count;
    return part;
}

void TByteCursor::Seek(std::size_t position, const char* what)
{
    if (position > Bytes.size())
        throw EDecodeFault(std::string(what) + " at byte " + std::to_string(position) +
                           " lies beyond the value's " + std::to_string(Bytes.size()) + " bytes");
    Pos = position;
}

std::string FourCharCode(std::uint32_t code)
{
    std::string text;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const char c = static_cast<char>((code >> shift) & 0xFF);
        text += c >= 0x20 && c < 0x7F ? c : '.';
    }
    return "'" + text + "'";
}

std::string AsText(std::span<const std::uint8_t> bytes)
{
    return PrintableUtf8(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
