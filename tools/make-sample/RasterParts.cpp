#include "RasterParts.h"

#include <algorithm>
#include <stdexcept>

namespace sample {

std::vector<TBytes> Strips(const TImage& image, std::uint32_t rowsPerStrip)
{
    std::vector<TBytes> strips;
    const std::size_t stripBytes = image.RowBytes * rowsPerStrip;
    for (std::size_t at = 0; at < image.Bytes.size(); at += stripBytes) {
        auto first = image.Bytes.begin() + static_cast<std::ptrdiff_t>(at);
        auto last =
            first + static_cast<std::ptrdiff_t>(std::min(stripBytes, image.Bytes.size() - at));
        strips.emplace_back(first, last);
    }
    return strips;
}

std::vector<TBytes> Tiles(const TImage& image, std::uint32_t tileSide, unsigned bytesPerPixel)
{
    if (image.Width % tileSide != 0 || image.Height % tileSide != 0)
        throw std::logic_error("the picture does not divide into whole tiles");
    const std::size_t tileRow = std::size_t(tileSide) * bytesPerPixel;
    std::vector<TBytes> tiles;
    for (std::uint32_t top = 0; top < image.Height; top += tileSide)
        for (std::size_t left = 0; left < image.RowBytes; left += tileRow) {
            TBytes tile;
            for (std::uint32_t y = top; y < top + tileSide; ++y) {
                auto first =
                    image.Bytes.begin() + static_cast<std::ptrdiff_t>(y * image.RowBytes + left);
                tile.insert(tile.end(), first, first + static_cast<std::ptrdiff_t>(tileRow));
            }
            tiles.push_back(std::move(tile));
        }
    return tiles;
}

TBytes DifferenceRows(TBytes rows, std::size_t rowBytes, unsigned bytesPerPixel)
{
    for (std::size_t row = 0; row < rows.size(); row += rowBytes)
        for (std::size_t i = std::min(row + rowBytes, rows.size()); i-- > row + bytesPerPixel;)
            rows[i] = static_cast<std::uint8_t>(rows[i] - rows[i - bytesPerPixel]);
    return rows;
}

}  // namespace sample
