// The pictures of the bundled samples: drawn in code so the files stay
// reproducible byte for byte, simple enough to pack small.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sample {

// Rows of pixels, each row RowBytes long, top row first.
struct TImage {
    std::uint32_t Width = 0;
    std::uint32_t Height = 0;
    std::size_t RowBytes = 0;
    std::vector<std::uint8_t> Bytes;
};

// 8-bit RGB: a harbour at dusk, a setting sun over the sea, a pier with a
// lighthouse and a moored boat in silhouette.
TImage HarbourAtDusk(std::uint32_t width, std::uint32_t height);

// The 256 colours of the chart: 15 rows of hues from dark to light, then a
// grey ramp. TIFF order: all reds, then all greens, then all blues.
std::vector<std::uint16_t> ChartColorMap();
// 8-bit palette indices: the 256 colours as a 16 x 16 grid of squares.
TImage ColourChart(std::uint32_t side);

// 1 bit per pixel, 1 for black: the picture shrunk by `factor` and dithered.
TImage DitheredThumbnail(const TImage& rgb, std::uint32_t factor);

}  // namespace sample
