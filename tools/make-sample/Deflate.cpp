#include "Deflate.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace sample {

namespace {

constexpr std::size_t MinMatch = 3;
constexpr std::size_t MaxMatch = 258;
constexpr std::size_t Window = 32768;
// Enough for the pictures' repeats; a deeper search only slows the tool.
constexpr int ChainDepth = 32;

constexpr std::array<std::uint16_t, 29> LengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                      67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> LengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> DistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> DistanceExtra = {0, 0, 0,  0,  1,  1,  2,  2,  3,  3,
                                                        4, 4, 5,  5,  6,  6,  7,  7,  8,  8,
                                                        9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// Deflate packs bits from the least significant end; Huffman codes go in
// with their first bit first, so they are reversed on the way in.
class TBitWriter {
public:
    void Bits(std::uint32_t value, unsigned count)
    {
        for (unsigned i = 0; i < count; ++i)
            Bit((value >> i) & 1);
    }
    void Code(std::uint32_t code, unsigned length)
    {
        for (unsigned i = length; i-- > 0;)
            Bit((code >> i) & 1);
    }
    std::vector<std::uint8_t> Finish()
    {
        if (Filled != 0)
            Out.push_back(Pending);
        return std::move(Out);
    }

private:
    void Bit(std::uint32_t bit)
    {
        Pending = static_cast<std::uint8_t>(Pending | (bit << Filled));
        if (++Filled == 8) {
            Out.push_back(Pending);
            Pending = 0;
            Filled = 0;
        }
    }
    std::vector<std::uint8_t> Out;
    std::uint8_t Pending = 0;
    unsigned Filled = 0;
};

void FixedSymbol(TBitWriter& bits, unsigned symbol)
{
    if (symbol < 144)
        bits.Code(0x30 + symbol, 8);
    else if (symbol < 256)
        bits.Code(0x190 + symbol - 144, 9);
    else if (symbol < 280)
        bits.Code(symbol - 256, 7);
    else
        bits.Code(0xC0 + symbol - 280, 8);
}

template <std::size_t N, class Base>
unsigned CodeIndex(const std::array<Base, N>& bases, std::size_t value)
{
    unsigned index = 0;
    while (index + 1 < N && bases[index + 1] <= value)
        ++index;
    return index;
}

void Match(TBitWriter& bits, std::size_t length, std::size_t distance)
{
    unsigned l = CodeIndex(LengthBase, length);
    FixedSymbol(bits, 257 + l);
    bits.Bits(static_cast<std::uint32_t>(length - LengthBase[l]), LengthExtra[l]);
    unsigned d = CodeIndex(DistanceBase, distance);
    bits.Code(d, 5);
    bits.Bits(static_cast<std::uint32_t>(distance - DistanceBase[d]), DistanceExtra[d]);
}

// Finds earlier occurrences through chains of positions with the same
// three-byte hash.
class TMatcher {
public:
    explicit TMatcher(const std::vector<std::uint8_t>& data)
        : Data(data), Previous(data.size(), None), Head(std::size_t(1) << 15, None)
    {
    }

    void Insert(std::size_t at)
    {
        if (at + MinMatch > Data.size())
            return;
        std::uint32_t h = Hash(at);
        Previous[at] = Head[h];
        Head[h] = at;
    }

    // The longest earlier match at `at` (length 0 when none is long enough).
    std::pair<std::size_t, std::size_t> Longest(std::size_t at) const
    {
        std::size_t bestLength = 0, bestDistance = 0;
        if (at + MinMatch > Data.size())
            return {0, 0};
        const std::size_t limit = std::min(MaxMatch, Data.size() - at);
        std::size_t candidate = Head[Hash(at)];
        for (int depth = 0; candidate != None && at - candidate <= Window && depth < ChainDepth;
             ++depth, candidate = Previous[candidate]) {
            std::size_t length = 0;
            while (length < limit && Data[candidate + length] == Data[at + length])
                ++length;
            if (length > bestLength) {
                bestLength = length;
                bestDistance = at - candidate;
            }
        }
        if (bestLength < MinMatch)
            return {0, 0};
        return {bestLength, bestDistance};
    }

private:
    static constexpr std::size_t None = ~std::size_t(0);
    std::uint32_t Hash(std::size_t at) const
    {
        std::uint32_t v = std::uint32_t(Data[at]) | std::uint32_t(Data[at + 1]) << 8 |
                          std::uint32_t(Data[at + 2]) << 16;
        return (v * 2654435761u) >> 17;
    }
    const std::vector<std::uint8_t>& Data;
    std::vector<std::size_t> Previous;
    std::vector<std::size_t> Head;
};

std::uint32_t Adler32(const std::vector<std::uint8_t>& data)
{
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}

}  // namespace

std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& data)
{
    TBitWriter bits;
    bits.Bits(1, 1);  // the only block, and the last
    bits.Bits(1, 2);  // fixed Huffman codes
    TMatcher matcher(data);
    for (std::size_t at = 0; at < data.size();) {
        auto [length, distance] = matcher.Longest(at);
        if (length == 0) {
            FixedSymbol(bits, data[at]);
            length = 1;
        } else {
            Match(bits, length, distance);
        }
        for (std::size_t i = 0; i < length; ++i)
            matcher.Insert(at + i);
        at += length;
    }
    FixedSymbol(bits, 256);

    // 32 KB window, default level; the check bits make the header a multiple of 31.
    std::vector<std::uint8_t> out = {0x78, 0x9C};
    std::vector<std::uint8_t> body = bits.Finish();
    out.insert(out.end(), body.begin(), body.end());
    const std::uint32_t adler = Adler32(data);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(adler >> shift));
    return out;
}

}  // namespace sample
