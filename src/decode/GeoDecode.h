// GeoTIFF keys and the model tags that place the raster on the map.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "decode/DecodedView.h"

inline constexpr std::uint16_t TagModelPixelScale = 33550;
inline constexpr std::uint16_t TagModelTiepoint = 33922;
inline constexpr std::uint16_t TagModelTransformation = 34264;

// The parameter tags the keys refer to; empty when the page lacks them.
struct TGeoParams {
    std::span<const double> Doubles;
    std::string_view Ascii;
};

void DecodeGeoKeys(std::span<const std::uint16_t> directory, const TGeoParams& params,
                   TLineSink& out);

// ModelTiepoint, ModelPixelScale or ModelTransformation.
void DecodeModelTag(std::uint16_t tag, std::span<const double> values, TLineSink& out);

std::string NumberText(double value);
