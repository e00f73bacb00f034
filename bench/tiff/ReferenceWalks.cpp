#include "ReferenceWalks.h"

std::uint32_t ChainValue(const std::uint8_t* p, unsigned size, bool bigEndian)
{
    std::uint32_t v = 0;
    for (unsigned i = 0; i < size; ++i)
        v |= std::uint32_t(p[bigEndian ? i : size - 1 - i]) << (8 * (size - 1 - i));
    return v;
}

std::uint32_t CountPagesInBytes(const std::uint8_t* bytes, std::uint64_t size)
{
    if (size < 8)
        return 0;
    const bool big = bytes[0] == 'M';
    std::uint32_t pages = 0;
    std::uint64_t offset = ChainValue(bytes + 4, 4, big);
    while (offset != 0 && offset + 2 <= size) {
        const std::uint64_t next =
            offset + 2 + 12 * std::uint64_t(ChainValue(bytes + offset, 2, big));
        if (next + 4 > size)
            break;
        ++pages;
        offset = ChainValue(bytes + next, 4, big);
    }
    return pages;
}
