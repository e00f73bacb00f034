// One fuzz input through a decoder: the first byte picks the tag (and,
// from 128 on, a wrong type); for GeoKeyDirectory the next two give how
// many doubles and ASCII characters of the parameter tags come first.
#pragma once

#include <cstddef>
#include <cstdint>

void ExerciseDecoders(const std::uint8_t* data, std::size_t size);
