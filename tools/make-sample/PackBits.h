// PackBits run-length coding, each row packed on its own as TIFF readers
// expect.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sample {

std::vector<std::uint8_t> PackBitsRows(const std::vector<std::uint8_t>& data, std::size_t rowBytes);

}  // namespace sample
