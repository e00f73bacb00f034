// IPTC datasets (tag 33723) and the image resource blocks (tag 34377) that
// often carry them.
#pragma once

#include <cstdint>
#include <span>

#include "decode/DecodedView.h"

inline constexpr std::uint16_t TagIptc = 33723;
inline constexpr std::uint16_t TagImageResources = 34377;

// One line a dataset: "2:25 Keywords: value". Zero bytes after the last
// dataset are padding.
void DecodeIptc(std::span<const std::uint8_t> bytes, TLineSink& out);

// One line a block by id and name, the IPTC of block 1028 decoded under it.
void DecodeImageResources(std::span<const std::uint8_t> bytes, TLineSink& out);
