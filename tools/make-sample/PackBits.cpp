#include "PackBits.h"

#include <algorithm>
#include <cstddef>

namespace sample {

namespace {

constexpr std::size_t MaxRun = 128;

std::size_t RunLength(const std::uint8_t* row, std::size_t at, std::size_t end)
{
    std::size_t n = 1;
    while (at + n < end && n < MaxRun && row[at + n] == row[at])
        ++n;
    return n;
}

void PackRow(const std::uint8_t* row, std::size_t length, std::vector<std::uint8_t>& out)
{
    std::size_t at = 0;
    while (at < length) {
        std::size_t run = RunLength(row, at, length);
        if (run >= 2) {
            out.push_back(static_cast<std::uint8_t>(257 - run));
            out.push_back(row[at]);
            at += run;
            continue;
        }
        // Literals up to the next run of two or more.
        std::size_t start = at;
        while (at < length && at - start < MaxRun && RunLength(row, at, length) < 2)
            ++at;
        out.push_back(static_cast<std::uint8_t>(at - start - 1));
        out.insert(out.end(), row + start, row + at);
    }
}

}  // namespace

std::vector<std::uint8_t> PackBitsRows(const std::vector<std::uint8_t>& data, std::size_t rowBytes)
{
    std::vector<std::uint8_t> out;
    for (std::size_t at = 0; at < data.size(); at += rowBytes)
        PackRow(data.data() + at, std::min(rowBytes, data.size() - at), out);
    return out;
}

}  // namespace sample
