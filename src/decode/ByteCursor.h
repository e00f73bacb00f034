// Reads big-endian fields from a value, every read checked against its end:
// the formats nested in TIFF tags (ICC, IPTC, image resources) are all
// big-endian whatever the file's byte order.
#pragma once

#include <cstdint>
#include <span>
#include <string>

class TByteCursor {
public:
    explicit TByteCursor(std::span<const std::uint8_t> bytes) : Bytes(bytes) {}

    std::size_t Position() const { return Pos; }
    std::size_t Left() const { return Bytes.size() - Pos; }
    std::size_t Size() const { return Bytes.size(); }

    // Each throws EDecodeFault, naming what, when the value ends first.
    std::uint8_t U8(const char* what);
    std::uint16_t U16(const char* what);
    std::uint32_t U32(const char* what);
    std::span<const std::uint8_t> Take(std::size_t count, const char* what);
    void Seek(std::size_t position, const char* what);

private:
    void Need(std::size_t count, const char* what) const;

    std::span<const std::uint8_t> Bytes;
    std::size_t Pos = 0;
};

std::string FourCharCode(std::uint32_t code);
std::string AsText(std::span<const std::uint8_t> bytes);
