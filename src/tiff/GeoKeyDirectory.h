// The GeoTIFF key directory (tag 34735): a header of four SHORTs (version,
// revision, minor revision, number of keys) and four SHORTs per key (id,
// where the value is, count, the value or its index). Values stored apart
// lie in GeoDoubleParams (34736), GeoAsciiParams (34737) or the directory
// itself. One parser for whoever reads the keys.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

inline constexpr std::uint16_t TagGeoKeyDirectory = 34735;
inline constexpr std::uint16_t TagGeoDoubleParams = 34736;
inline constexpr std::uint16_t TagGeoAsciiParams = 34737;

struct TGeoKey {
    std::uint16_t Id = 0;
    std::uint16_t Location = 0;  // 0: the value is ValueOrIndex itself
    std::uint16_t Count = 0;
    std::uint16_t ValueOrIndex = 0;
};

struct TGeoKeyDirectory {
    std::uint16_t Version = 0, Revision = 0, Minor = 0;
    std::uint16_t DeclaredKeys = 0;
    std::vector<TGeoKey> Keys;  // as many as the values hold, at most DeclaredKeys
};

enum class TGeoKeyFault : std::uint8_t { Header, Order, Reference };

struct TGeoKeyProblem {
    TGeoKeyFault Fault;
    std::string Text;
};

// Reads the keys the values hold; the header faults are left to
// ValidateGeoKeys.
void ParseGeoKeyDirectory(std::span<const std::uint16_t> values, TGeoKeyDirectory& directory);

// The faults of a parsed directory, given how many values it and the two
// parameter tags have (0 when a tag is missing).
std::vector<TGeoKeyProblem> ValidateGeoKeys(const TGeoKeyDirectory& directory,
                                            std::uint64_t directoryValues,
                                            std::uint64_t doubleCount, std::uint64_t asciiCount);
