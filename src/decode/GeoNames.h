// Names of GeoTIFF keys and of the code values users meet most.
#pragma once

#include <cstdint>
#include <string>

// The key's GeoTIFF name, or empty for a key outside the table.
std::string GeoKeyName(std::uint16_t id);

// The value of a SHORT key with its name where the key has a code table
// and the table knows it ("2 ModelTypeGeographic"), else the number.
std::string GeoKeyCodeText(std::uint16_t id, std::uint16_t value);
