#include "CompactFile.h"

using namespace tiffw;

std::vector<TEntry> PageEntries(std::uint32_t page)
{
    return {Short(297, {static_cast<std::uint16_t>(page), 0})};
}

void WriteCompact(const std::string& path)
{
    TLayout layout;
    const std::uint32_t size = DirectorySize(1);
    TPiece piece{0, EncodeHeader(TOrder::Little, 8)};
    piece.Bytes.reserve(8 + std::size_t(size) * CompactPages);
    for (std::uint32_t i = 0; i < CompactPages; ++i)
        AppendDirectory(TOrder::Little, PageEntries(i),
                        i + 1 < CompactPages ? 8 + (i + 1) * size : 0, piece.Bytes);
    layout.Length = piece.Bytes.size();
    layout.Pieces.push_back(std::move(piece));
    WriteFile(path, layout);
}
