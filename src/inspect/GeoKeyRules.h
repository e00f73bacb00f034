// The GeoTIFF key directory of a page held to its rules: the header and the
// key count, the order of the keys, and where the keys stored apart lie.
#pragma once

#include <cstdint>
#include <vector>

#include "inspect/EntryRules.h"

class TGeoKeyRules {
public:
    TGeoKeyRules(TKvTiffDirReader& raw, TRuleSink& sink) : Raw(raw), Sink(sink) {}

    void Check(const TTiffRawDirectory& dir);

private:
    TKvTiffDirReader& Raw;
    TRuleSink& Sink;
    std::vector<std::uint8_t> Bytes;
    std::vector<std::uint16_t> Values;
};
