// An ICC profile: its header, tag table and description texts.
#pragma once

#include <cstdint>
#include <span>

#include "decode/DecodedView.h"

inline constexpr std::uint16_t TagIccProfile = 34675;

void DecodeIccProfile(std::span<const std::uint8_t> profile, TLineSink& out);
