#include "decode/GeoNames.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

using TCodeName = std::pair<std::uint16_t, const char*>;

template <std::size_t N>
const char* Lookup(const std::array<TCodeName, N>& table, std::uint16_t code)
{
    const auto it = std::find_if(table.begin(), table.end(),
                                 [code](const TCodeName& entry) { return entry.first == code; });
    return it == table.end() ? nullptr : it->second;
}

constexpr std::array<TCodeName, 50> KeyNames{{
    {1024, "GTModelTypeGeoKey"},
    {1025, "GTRasterTypeGeoKey"},
    {1026, "GTCitationGeoKey"},
    {2048, "GeographicTypeGeoKey"},
    {2049, "GeogCitationGeoKey"},
    {2050, "GeogGeodeticDatumGeoKey"},
    {2051, "GeogPrimeMeridianGeoKey"},
    {2052, "GeogLinearUnitsGeoKey"},
    {2053, "GeogLinearUnitSizeGeoKey"},
    {2054, "GeogAngularUnitsGeoKey"},
    {2055, "GeogAngularUnitSizeGeoKey"},
    {2056, "GeogEllipsoidGeoKey"},
    {2057, "GeogSemiMajorAxisGeoKey"},
    {2058, "GeogSemiMinorAxisGeoKey"},
    {2059, "GeogInvFlatteningGeoKey"},
    {2060, "GeogAzimuthUnitsGeoKey"},
    {2061, "GeogPrimeMeridianLongGeoKey"},
    {2062, "GeogTOWGS84GeoKey"},
    {3072, "ProjectedCSTypeGeoKey"},
    {3073, "PCSCitationGeoKey"},
    {3074, "ProjectionGeoKey"},
    {3075, "ProjCoordTransGeoKey"},
    {3076, "ProjLinearUnitsGeoKey"},
    {3077, "ProjLinearUnitSizeGeoKey"},
    {3078, "ProjStdParallel1GeoKey"},
    {3079, "ProjStdParallel2GeoKey"},
    {3080, "ProjNatOriginLongGeoKey"},
    {3081, "ProjNatOriginLatGeoKey"},
    {3082, "ProjFalseEastingGeoKey"},
    {3083, "ProjFalseNorthingGeoKey"},
    {3084, "ProjFalseOriginLongGeoKey"},
    {3085, "ProjFalseOriginLatGeoKey"},
    {3086, "ProjFalseOriginEastingGeoKey"},
    {3087, "ProjFalseOriginNorthingGeoKey"},
    {3088, "ProjCenterLongGeoKey"},
    {3089, "ProjCenterLatGeoKey"},
    {3090, "ProjCenterEastingGeoKey"},
    {3091, "ProjCenterNorthingGeoKey"},
    {3092, "ProjScaleAtNatOriginGeoKey"},
    {3093, "ProjScaleAtCenterGeoKey"},
    {3094, "ProjAzimuthAngleGeoKey"},
    {3095, "ProjStraightVertPoleLongGeoKey"},
    {3096, "ProjRectifiedGridAngleGeoKey"},
    {4096, "VerticalCSTypeGeoKey"},
    {4097, "VerticalCitationGeoKey"},
    {4098, "VerticalDatumGeoKey"},
    {4099, "VerticalUnitsGeoKey"},
    {5120, "CoordinateEpochGeoKey"},
    {2063, "GeogAzimuthUnitSizeGeoKey"},
    {3097, "ProjRectifiedGridAngleUnitsGeoKey"},
}};

constexpr std::array<TCodeName, 3> ModelTypes{
    {{1, "ModelTypeProjected"}, {2, "ModelTypeGeographic"}, {3, "ModelTypeGeocentric"}}};

constexpr std::array<TCodeName, 2> RasterTypes{
    {{1, "RasterPixelIsArea"}, {2, "RasterPixelIsPoint"}}};

constexpr std::array<TCodeName, 23> Units{{
    {9001, "Linear_Meter"},
    {9002, "Linear_Foot"},
    {9003, "Linear_Foot_US_Survey"},
    {9004, "Linear_Foot_Modified_American"},
    {9005, "Linear_Foot_Clarke"},
    {9006, "Linear_Foot_Indian"},
    {9007, "Linear_Link"},
    {9008, "Linear_Link_Benoit"},
    {9009, "Linear_Link_Sears"},
    {9010, "Linear_Chain_Benoit"},
    {9011, "Linear_Chain_Sears"},
    {9012, "Linear_Yard_Sears"},
    {9013, "Linear_Yard_Indian"},
    {9014, "Linear_Fathom"},
    {9015, "Linear_Mile_International_Nautical"},
    {9101, "Angular_Radian"},
    {9102, "Angular_Degree"},
    {9103, "Angular_Arc_Minute"},
    {9104, "Angular_Arc_Second"},
    {9105, "Angular_Grad"},
    {9106, "Angular_Gon"},
    {9107, "Angular_DMS"},
    {9108, "Angular_DMS_Hemisphere"},
}};

// The reference systems, datums and ellipsoids most files name.
constexpr std::array<TCodeName, 20> EpsgCodes{{
    {2154, "RGF93 / Lambert-93"},
    {3035, "ETRS89-extended / LAEA Europe"},
    {3395, "WGS 84 / World Mercator"},
    {3857, "WGS 84 / Pseudo-Mercator"},
    {4230, "ED50"},
    {4258, "ETRS89"},
    {4267, "NAD27"},
    {4269, "NAD83"},
    {4283, "GDA94"},
    {4326, "WGS 84"},
    {6267, "North American Datum 1927"},
    {6269, "North American Datum 1983"},
    {6326, "World Geodetic System 1984"},
    {7019, "GRS 1980"},
    {7030, "WGS 84 ellipsoid"},
    {8901, "Greenwich"},
    {27700, "OSGB36 / British National Grid"},
    {31467, "DHDN / 3-degree Gauss-Kruger zone 3"},
    {32767, "user-defined"},
    {5773, "EGM96 height"},
}};

// The UTM zones come in ranges rather than one by one.
std::string UtmName(std::uint16_t code)
{
    struct TZoneRange {
        std::uint16_t First;
        const char* System;
        char Hemisphere;
    };
    static constexpr TZoneRange ranges[] = {{32601, "WGS 84", 'N'},
                                            {32701, "WGS 84", 'S'},
                                            {26901, "NAD83", 'N'},
                                            {25828, "ETRS89", 'N'}};
    for (const TZoneRange& range : ranges) {
        const int zone = code - range.First + (range.First == 25828 ? 28 : 1);
        const int last = range.First == 26901 ? 23 : range.First == 25828 ? 38 : 60;
        if (code >= range.First && zone <= last)
            return std::string(range.System) + " / UTM zone " + std::to_string(zone) +
                   range.Hemisphere;
    }
    return {};
}

std::string WithName(std::uint16_t value, const char* name)
{
    return name ? std::to_string(value) + " " + name : std::to_string(value);
}

}  // namespace

std::string GeoKeyName(std::uint16_t id)
{
    const char* name = Lookup(KeyNames, id);
    return name ? name : std::string();
}

std::string GeoKeyCodeText(std::uint16_t id, std::uint16_t value)
{
    switch (id) {
    case 1024: return WithName(value, Lookup(ModelTypes, value));
    case 1025: return WithName(value, Lookup(RasterTypes, value));
    case 2052:
    case 2054:
    case 2060:
    case 3076:
    case 4099:
    case 2063:
    case 3097: return WithName(value, Lookup(Units, value));
    case 2048:
    case 2050:
    case 2051:
    case 2056:
    case 3072:
    case 4096:
    case 4098: {
        const char* name = Lookup(EpsgCodes, value);
        if (name)
            return WithName(value, name);
        const std::string utm = UtmName(value);
        return utm.empty() ? std::to_string(value) : std::to_string(value) + " " + utm;
    }
    default: return std::to_string(value);
    }
}
