// Which tags have a decoded view, and the view of one value. Every decoder
// reads only the bytes it is given.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "decode/DecodedView.h"

inline constexpr std::uint16_t TagImageDescription = 270;
inline constexpr std::uint16_t TagXmp = 700;

struct TDecodeInput {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;  // the TIFF type of the entry
    // SHORT and DOUBLE values in host order; byte streams as in the file.
    std::span<const std::uint8_t> Bytes;
    // For GeoKeyDirectory: the values of GeoDoubleParams (host order) and
    // GeoAsciiParams, empty when the page has none.
    std::span<const std::uint8_t> GeoDoubles, GeoAscii;
    std::uint32_t PageCount = 0;  // for ImageJ and OME descriptions
};

bool HasDecoder(std::uint16_t tag);

// The GeoTIFF and model tags: their decoders read SHORTs or DOUBLEs in host
// order, the others byte streams as the file holds them.
bool DecoderReadsNumbers(std::uint16_t tag);

// The tag of a decoder by its usual name ("GeoKeyDirectory", "XMP",
// "IPTC", ...), or 0; lets users name tags the dump shows by number.
std::uint16_t DecoderTagByName(const std::string& name);

// No view for a tag without a decoder or a plain ImageDescription; a view
// with Failure set for a value that cannot be read.
std::optional<TDecodedView> DecodeTagValue(const TDecodeInput& input);

// A value read as numbers is in host order; byte streams (ICC, IPTC,
// image resources) stored as LONG come back to the file's order here.
void RestoreFileOrder(std::span<std::uint8_t> bytes, std::uint32_t typeSize, bool fileBigEndian);
