// How many characters of a value's text the tag list and the tag dump show
// (the text ends in "..." when it is cut).
#pragma once

#include <cstdint>

inline constexpr std::uint32_t ListValueLimit = 25;
inline constexpr std::uint32_t DumpValueLimit = 45;
