#include "tiff/KvTiffExifNames.h"

#include <algorithm>
#include <iterator>

#include "tiff/TiffNames.h"

namespace {

constexpr TTiffTagName ExifNames[] = {
    {33434, "ExposureTime"},
    {33437, "FNumber"},
    {34850, "ExposureProgram"},
    {34852, "SpectralSensitivity"},
    {34855, "PhotographicSensitivity"},
    {34856, "OECF"},
    {34864, "SensitivityType"},
    {34865, "StandardOutputSensitivity"},
    {34866, "RecommendedExposureIndex"},
    {34867, "ISOSpeed"},
    {34868, "ISOSpeedLatitudeyyy"},
    {34869, "ISOSpeedLatitudezzz"},
    {36864, "ExifVersion"},
    {36867, "DateTimeOriginal"},
    {36868, "DateTimeDigitized"},
    {36880, "OffsetTime"},
    {36881, "OffsetTimeOriginal"},
    {36882, "OffsetTimeDigitized"},
    {37121, "ComponentsConfiguration"},
    {37122, "CompressedBitsPerPixel"},
    {37377, "ShutterSpeedValue"},
    {37378, "ApertureValue"},
    {37379, "BrightnessValue"},
    {37380, "ExposureBiasValue"},
    {37381, "MaxApertureValue"},
    {37382, "SubjectDistance"},
    {37383, "MeteringMode"},
    {37384, "LightSource"},
    {37385, "Flash"},
    {37386, "FocalLength"},
    {37396, "SubjectArea"},
    {37500, "MakerNote"},
    {37510, "UserComment"},
    {37520, "SubSecTime"},
    {37521, "SubSecTimeOriginal"},
    {37522, "SubSecTimeDigitized"},
    {37888, "Temperature"},
    {37889, "Humidity"},
    {37890, "Pressure"},
    {37891, "WaterDepth"},
    {37892, "Acceleration"},
    {37893, "CameraElevationAngle"},
    {40960, "FlashpixVersion"},
    {40961, "ColorSpace"},
    {40962, "PixelXDimension"},
    {40963, "PixelYDimension"},
    {40964, "RelatedSoundFile"},
    {40965, "InteroperabilityIFDPointer"},
    {41483, "FlashEnergy"},
    {41484, "SpatialFrequencyResponse"},
    {41486, "FocalPlaneXResolution"},
    {41487, "FocalPlaneYResolution"},
    {41488, "FocalPlaneResolutionUnit"},
    {41492, "SubjectLocation"},
    {41493, "ExposureIndex"},
    {41495, "SensingMethod"},
    {41728, "FileSource"},
    {41729, "SceneType"},
    {41730, "CFAPattern"},
    {41985, "CustomRendered"},
    {41986, "ExposureMode"},
    {41987, "WhiteBalance"},
    {41988, "DigitalZoomRatio"},
    {41989, "FocalLengthIn35mmFilm"},
    {41990, "SceneCaptureType"},
    {41991, "GainControl"},
    {41992, "Contrast"},
    {41993, "Saturation"},
    {41994, "Sharpness"},
    {41995, "DeviceSettingDescription"},
    {41996, "SubjectDistanceRange"},
    {42016, "ImageUniqueID"},
    {42032, "CameraOwnerName"},
    {42033, "BodySerialNumber"},
    {42034, "LensSpecification"},
    {42035, "LensMake"},
    {42036, "LensModel"},
    {42037, "LensSerialNumber"},
    {42080, "CompositeImage"},
    {42081, "SourceImageNumberOfCompositeImage"},
    {42082, "SourceExposureTimesOfCompositeImage"},
    {42240, "Gamma"},
};

constexpr TTiffTagName GpsNames[] = {
    {0, "GPSVersionID"},        {1, "GPSLatitudeRef"},
    {2, "GPSLatitude"},         {3, "GPSLongitudeRef"},
    {4, "GPSLongitude"},        {5, "GPSAltitudeRef"},
    {6, "GPSAltitude"},         {7, "GPSTimeStamp"},
    {8, "GPSSatellites"},       {9, "GPSStatus"},
    {10, "GPSMeasureMode"},     {11, "GPSDOP"},
    {12, "GPSSpeedRef"},        {13, "GPSSpeed"},
    {14, "GPSTrackRef"},        {15, "GPSTrack"},
    {16, "GPSImgDirectionRef"}, {17, "GPSImgDirection"},
    {18, "GPSMapDatum"},        {19, "GPSDestLatitudeRef"},
    {20, "GPSDestLatitude"},    {21, "GPSDestLongitudeRef"},
    {22, "GPSDestLongitude"},   {23, "GPSDestBearingRef"},
    {24, "GPSDestBearing"},     {25, "GPSDestDistanceRef"},
    {26, "GPSDestDistance"},    {27, "GPSProcessingMethod"},
    {28, "GPSAreaInformation"}, {29, "GPSDateStamp"},
    {30, "GPSDifferential"},    {31, "GPSHPositioningError"},
};

constexpr TTiffTagName InteropNames[] = {
    {1, "InteroperabilityIndex"},
};

// The EXIF pointers of the 0th IFD, which the page reader does not name.
constexpr TTiffTagName PagePointerNames[] = {
    {34665, "ExifIFDPointer"},
    {34853, "GPSInfoIFDPointer"},
};

template <std::size_t N>
const char* Find(const TTiffTagName (&table)[N], std::uint32_t tag)
{
    const auto it =
        std::lower_bound(std::begin(table), std::end(table), tag,
                         [](const TTiffTagName& n, std::uint32_t t) { return n.Code < t; });
    return it != std::end(table) && it->Code == tag ? it->Name : nullptr;
}

template <std::size_t N>
TTiffTagTable Table(const TTiffTagName (&table)[N])
{
    return {table, static_cast<std::uint32_t>(N)};
}

}  // namespace

const char* TiffTagNameIn(TTiffDirKind kind, std::uint32_t tag)
{
    switch (kind) {
    case TTiffDirKind::Exif: return Find(ExifNames, tag);
    case TTiffDirKind::Gps: return Find(GpsNames, tag);
    case TTiffDirKind::Interop: return Find(InteropNames, tag);
    default: break;
    }
    const char* name = TiffTagName(tag);
    return name ? name : Find(PagePointerNames, tag);
}

const char* TiffDirKindKey(TTiffDirKind kind)
{
    switch (kind) {
    case TTiffDirKind::Page: return "page";
    case TTiffDirKind::SubIfd: return "subifd";
    case TTiffDirKind::Exif: return "exif";
    case TTiffDirKind::Gps: return "gps";
    case TTiffDirKind::Interop: return "interop";
    }
    return "";
}

const char* TiffDirKindName(TTiffDirKind kind)
{
    switch (kind) {
    case TTiffDirKind::Page: return "Page";
    case TTiffDirKind::SubIfd: return "SubIFD";
    case TTiffDirKind::Exif: return "EXIF";
    case TTiffDirKind::Gps: return "GPS";
    case TTiffDirKind::Interop: return "Interoperability";
    }
    return "";
}

bool TiffChildKind(TTiffDirKind parent, std::uint32_t tag, TTiffDirKind& child)
{
    if (parent == TTiffDirKind::Page || parent == TTiffDirKind::SubIfd) {
        switch (tag) {
        case TagSubIfds: child = TTiffDirKind::SubIfd; return true;
        case TagExifIfd: child = TTiffDirKind::Exif; return true;
        case TagGpsIfd: child = TTiffDirKind::Gps; return true;
        default: return false;
        }
    }
    if (parent == TTiffDirKind::Exif && tag == TagInteropIfd) {
        child = TTiffDirKind::Interop;
        return true;
    }
    return false;
}

TTiffTagTable TiffExifTagTable()
{
    return Table(ExifNames);
}
TTiffTagTable TiffGpsTagTable()
{
    return Table(GpsNames);
}
TTiffTagTable TiffInteropTagTable()
{
    return Table(InteropNames);
}
