// A zlib stream (Deflate with the fixed Huffman codes), enough to pack the
// sample's smooth pictures small without a compression library.
#pragma once

#include <cstdint>
#include <vector>

namespace sample {

std::vector<std::uint8_t> ZlibCompress(const std::vector<std::uint8_t>& data);

}  // namespace sample
