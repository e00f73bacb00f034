#include "inspect/CheckRules.h"

#include <iterator>

namespace {

constexpr TSeverity E = TSeverity::Error;
constexpr TSeverity W = TSeverity::Warning;

constexpr TRule Rules[] = {
    {TRuleId::HeaderNoPage, "header-no-page", E, "The header points to a first directory.",
     "TIFF 6.0, section 2, Image File Header: the file has at least one IFD"},
    {TRuleId::ChainLoop, "chain-loop", E, "The chain of pages ends and never returns to a page.",
     "TIFF 6.0, section 2, Image File Directory: the offset of the next IFD, 0 after the last"},
    {TRuleId::ChainOutside, "chain-outside", E, "Every directory offset lies inside the file.",
     "TIFF 6.0, section 2, Image File Directory"},
    {TRuleId::DirectoryUnreadable, "directory-unreadable", E,
     "Every directory can be read whole, with a sane entry count.",
     "TIFF 6.0, section 2, Image File Directory"},
    {TRuleId::DirectoryOddOffset, "directory-odd-offset", E,
     "Directories begin on a word boundary.",
     "TIFF 6.0, section 2, Image File Directory: an IFD begins on a word boundary"},
    {TRuleId::DirectoryShared, "directory-shared", E,
     "A directory is either a page or a child directory, not both.",
     "TIFF 6.0, section 2; TIFF Technical Note 1, SubIFDs"},
    {TRuleId::ChildUnreadable, "child-unreadable", E,
     "EXIF, GPS, Interoperability and SubIFD pointers lead to directories that can be read, "
     "each once.",
     "EXIF 2.32, section 4.6.3; TIFF Technical Note 1"},
    {TRuleId::TagOrder, "tag-order", E, "Entries are sorted in ascending order of their tags.",
     "TIFF 6.0, section 2, IFD Entry: the entries must be sorted in ascending order by tag"},
    {TRuleId::TagRepeated, "tag-repeated", E, "No tag appears twice in a directory.",
     "TIFF 6.0, section 2, IFD Entry"},
    {TRuleId::TypeUnknown, "type-unknown", E, "Every entry has a known data type.",
     "TIFF 6.0, section 2, Types; BigTIFF, types 16 to 18"},
    {TRuleId::ValueOutside, "value-outside", E, "Every value lies inside the file.",
     "TIFF 6.0, section 2, Value Offset"},
    {TRuleId::ValueOddOffset, "value-odd-offset", E,
     "Values stored apart begin on a word boundary.",
     "TIFF 6.0, section 2, Value Offset: the value must begin on a word boundary"},
    {TRuleId::TagMissing, "tag-missing", E,
     "Images have ImageWidth, ImageLength, PhotometricInterpretation and their strip or tile "
     "offsets and byte counts.",
     "TIFF 6.0, section 8, Required Fields"},
    {TRuleId::ResolutionMissing, "resolution-missing", W,
     "Images have XResolution, YResolution and ResolutionUnit (many writers leave them out; "
     "readers assume defaults).",
     "TIFF 6.0, section 8, Required Fields"},
    {TRuleId::TileSizeMissing, "tile-size-missing", E,
     "Tiled images have TileWidth and TileLength.", "TIFF 6.0, section 15, Tiled Images"},
    {TRuleId::LayoutUnreadable, "layout-unreadable", E,
     "Strip and tile offsets and byte counts are readable unsigned integers.",
     "TIFF 6.0, section 3, StripOffsets and StripByteCounts; section 15"},
    {TRuleId::LayoutCounts, "layout-counts", E,
     "The offsets and the byte counts of strips or tiles have as many values.",
     "TIFF 6.0, section 3, StripByteCounts; section 15, TileByteCounts"},
    {TRuleId::LayoutGeometry, "layout-geometry", E,
     "There are as many strips or tiles as the image size, RowsPerStrip or the tile size and "
     "PlanarConfiguration make.",
     "TIFF 6.0, section 3, StripsPerImage; section 15, TilesPerImage"},
    {TRuleId::DataOutside, "data-outside", E, "Every strip and tile lies inside the file.",
     "TIFF 6.0, section 3, StripOffsets; section 15, TileOffsets"},
    {TRuleId::Overlap, "overlap", E,
     "No two structures (header, directories, values, strips, tiles) share bytes.",
     "TIFF 6.0, section 2: each value and image block has its own place"},
    {TRuleId::TagType, "tag-type", E, "Each known tag has one of the data types allowed for it.",
     "TIFF 6.0, sections 8 and 9 to 21; EXIF 2.32, section 4.6; GeoTIFF 1.1, section 7"},
    {TRuleId::TagCount, "tag-count", E, "Each known tag has a count allowed for it.",
     "TIFF 6.0, sections 8 and 9 to 21; EXIF 2.32, section 4.6; GeoTIFF 1.1, section 7"},
    {TRuleId::CountZero, "count-zero", E, "No entry has a count of 0.",
     "TIFF 6.0, section 2, IFD Entry: the count is the number of values"},
    {TRuleId::AsciiNotTerminated, "ascii-not-terminated", E, "ASCII values end with a NUL.",
     "TIFF 6.0, section 2, Types: the last byte of ASCII must be NUL"},
    {TRuleId::AsciiEmbeddedNul, "ascii-embedded-nul", E,
     "ASCII values hold no NUL before their closing one (InkNames, a list, excepted).",
     "TIFF 6.0, section 2, Types: the count includes the NUL that ends the text"},
    {TRuleId::DateTimeForm, "datetime-form", E,
     "DateTime, DateTimeOriginal and DateTimeDigitized read \"YYYY:MM:DD HH:MM:SS\".",
     "TIFF 6.0, section 8, DateTime; EXIF 2.32, section 4.6.5"},
    {TRuleId::EnumValue, "enum-value", E,
     "Enumerated tags (PhotometricInterpretation, PlanarConfiguration, ResolutionUnit, "
     "Orientation, FillOrder, Predictor, SampleFormat, ExtraSamples, ...) hold a defined value.",
     "TIFF 6.0, sections 8 and 9 to 21"},
    {TRuleId::CompressionUnknown, "compression-unknown", TSeverity::Info,
     "Compression is a scheme readers know.",
     "TIFF 6.0, section 8, Compression; registered extensions"},
    {TRuleId::PerSampleCount, "per-sample-count", E,
     "BitsPerSample, SampleFormat and the sample value tags have SamplesPerPixel values.",
     "TIFF 6.0, section 8, BitsPerSample: N = SamplesPerPixel"},
    {TRuleId::ExtraSamplesCount, "extra-samples-count", E,
     "ExtraSamples names no more samples than SamplesPerPixel leaves beside the colour ones.",
     "TIFF 6.0, section 18, ExtraSamples"},
    {TRuleId::ColorMapSize, "colormap-size", E, "ColorMap has 3 * 2**BitsPerSample values.",
     "TIFF 6.0, section 5, ColorMap"},
    {TRuleId::ColorMapWithoutPalette, "colormap-without-palette", E,
     "ColorMap appears only with PhotometricInterpretation 3 (palette).",
     "TIFF 6.0, section 5, ColorMap"},
    {TRuleId::PhotometricTags, "photometric-tags", E,
     "The tags a PhotometricInterpretation needs are there (ColorMap for palette images, three "
     "samples for RGB and YCbCr, BitsPerSample beyond bilevel).",
     "TIFF 6.0, sections 4 to 6 and 21"},
    {TRuleId::CompressionTags, "compression-tags", E,
     "The image suits its Compression (CCITT schemes take one 1-bit sample).",
     "TIFF 6.0, sections 10 and 11"},
    {TRuleId::YCbCrSubsampling, "ycbcr-subsampling", E,
     "YCbCrSubsampling is 1, 2 or 4 across and no more down than across.",
     "TIFF 6.0, section 21, YCbCrSubSampling"},
    {TRuleId::JpegInterchange, "jpeg-interchange", E,
     "JPEGInterchangeFormat comes with its length and points inside the file.",
     "TIFF 6.0, section 22, JPEGInterchangeFormat"},
    {TRuleId::PointerType, "pointer-type", E,
     "EXIF, GPS and Interoperability pointers are LONG (LONG8 or IFD8 in BigTIFF) with one value.",
     "EXIF 2.32, section 4.6.3"},
    {TRuleId::PointerZero, "pointer-zero", E, "Directory pointers are not 0.",
     "EXIF 2.32, section 4.6.3; TIFF Technical Note 1"},
    {TRuleId::VersionForm, "version-form", E,
     "ExifVersion, FlashpixVersion, InteroperabilityVersion and GPSVersionID have four parts "
     "of the right form.",
     "EXIF 2.32, sections 4.6.5 and 4.6.6"},
    {TRuleId::VersionMissing, "version-missing", W, "EXIF directories carry ExifVersion.",
     "EXIF 2.32, section 4.6.5: ExifVersion is mandatory"},
    {TRuleId::GeoKeyHeader, "geokey-header", E,
     "The GeoKeyDirectory starts with version 1 and holds the number of keys it declares.",
     "GeoTIFF 1.1, section 7.1.2"},
    {TRuleId::GeoKeyOrder, "geokey-order", E, "GeoKeys are sorted by key id, each once.",
     "GeoTIFF 1.1, section 7.1.2"},
    {TRuleId::GeoKeyReference, "geokey-reference", E,
     "GeoKeys stored apart name GeoDoubleParams, GeoAsciiParams or the key directory itself "
     "and lie inside it.",
     "GeoTIFF 1.1, section 7.1.3"},
};

static_assert(std::size(Rules) == std::size_t(TRuleId::GeoKeyReference) + 1);

}  // namespace

std::span<const TRule> CheckRules()
{
    return Rules;
}

const TRule& CheckRule(TRuleId id)
{
    return Rules[static_cast<std::size_t>(id)];
}

const TRule* FindCheckRule(std::string_view name)
{
    for (const TRule& rule : Rules)
        if (name == rule.Name)
            return &rule;
    return nullptr;
}

const char* SeverityName(TSeverity severity)
{
    switch (severity) {
    case TSeverity::Error: return "error";
    case TSeverity::Warning: return "warning";
    case TSeverity::Info: return "info";
    }
    return "info";
}
