// Cuts a picture into the strips or tiles a page stores, before coding.
#pragma once

#include <cstdint>
#include <vector>

#include "Pictures.h"

namespace sample {

using TBytes = std::vector<std::uint8_t>;

// Whole rows, rowsPerStrip at a time (the last strip may be shorter).
std::vector<TBytes> Strips(const TImage& image, std::uint32_t rowsPerStrip);
// Tiles of whole bytes, left to right, then top to bottom; bytesPerPixel
// for the tile width, and the picture must divide into whole tiles.
std::vector<TBytes> Tiles(const TImage& image, std::uint32_t tileSide, unsigned bytesPerPixel);
// The horizontal predictor: each byte less the same sample of the pixel
// before it, row by row, so smooth rows turn into runs of small numbers.
TBytes DifferenceRows(TBytes rows, std::size_t rowBytes, unsigned bytesPerPixel);

}  // namespace sample
