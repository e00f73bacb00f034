#include "tiff/TiffNames.h"

#include <algorithm>
#include <iterator>

namespace {

struct TCodeName {
    std::uint32_t Code;
    const char* Name;
};

// Sorted by code. The spellings are the program's own and stay as they are.
constexpr TCodeName TagNames[] = {
    {254, "SubFileType"},
    {255, "OldSubFileType"},
    {256, "ImageWidth"},
    {257, "ImageLength"},
    {258, "BitsPerSample"},
    {259, "Compression"},
    {262, "Photometric"},
    {263, "Tresholding"},
    {264, "CellWidth"},
    {265, "CellLength"},
    {266, "FillOrder"},
    {269, "DocumentName"},
    {270, "ImageDescription"},
    {271, "Make"},
    {272, "Model"},
    {273, "StripOffsets"},
    {274, "Orientation"},
    {277, "SamplesPerPixel"},
    {278, "RowsPerStrip"},
    {279, "StripByteCounts"},
    {280, "MinSampleValue"},
    {281, "MaxSampleValue"},
    {282, "XResolution"},
    {283, "YResolution"},
    {284, "PlanarConfig"},
    {285, "PageName"},
    {286, "XPosition"},
    {287, "YPosition"},
    {288, "FreeOffsets"},
    {289, "FreeByteCounts"},
    {290, "GrayResponseUnit"},
    {291, "GrayResponseCurve"},
    {292, "Group3Options"},
    {293, "Group4Options"},
    {296, "ResolutionUnit"},
    {297, "PageNumber"},
    {300, "ColorResponseUnit"},
    {301, "TransferFunction"},
    {305, "Software"},
    {306, "DateTime"},
    {315, "Artist"},
    {316, "HostComputer"},
    {317, "Predictor"},
    {318, "WhitePoint"},
    {319, "PrimaryChromaticities"},
    {320, "ColorMap"},
    {321, "HalftoneHints"},
    {322, "TileWidth"},
    {323, "TileLength"},
    {324, "TileOffsets"},
    {325, "TileByteCounts"},
    {326, "BadFaxLines"},
    {327, "CleanFaxData"},
    {328, "ConsecutiveBadFaxLines"},
    {330, "SubIFD"},
    {332, "Inkset"},
    {333, "InkNames"},
    {334, "NumberOfInks"},
    {336, "DotRange"},
    {337, "TargetPrinter"},
    {338, "ExtraSamples"},
    {339, "SampleFormat"},
    {340, "SMinSampleValue"},
    {341, "SMaxSampleValue"},
    {347, "JpegTables"},
    {512, "JpegProc"},
    {513, "JpegIFOffset"},
    {514, "JpegIFByteCount"},
    {515, "JpegRestartInterval"},
    {517, "JpegLosslessPredictors"},
    {518, "JpegPointTransform"},
    {519, "JpegQTables"},
    {520, "JpegDCTables"},
    {521, "JpegACTables"},
    {529, "YCbCrCoefficients"},
    {530, "YCbCrSubsampling"},
    {531, "YCbCrPositioning"},
    {532, "ReferenceBlackWhite"},
    {32932, "WangAnnotations"},
    {32953, "RefPTS"},
    {32954, "RegionTackPoint"},
    {32955, "RegionWarpCorners"},
    {32956, "RegionAffine"},
    {32995, "Matteing"},
    {32996, "DataType"},
    {32997, "ImageDepth"},
    {32998, "TileDepth"},
    {33300, "Pixar_ImageFullWidth"},
    {33301, "Pixar_ImageFIllLength"},
    {33302, "Pixar_TextureFormat"},
    {33303, "Pixar_WrapModes"},
    {33304, "Pixar_FOVCOT"},
    {33305, "Pixar_Matrix_WorldToScreen"},
    {33306, "Pixar_Matrix_WorldToCamera"},
    {33405, "WriterSerialNumber"},
    {33432, "Copyright"},
    {33723, "RichTiffIPTC"},
    {34016, "IT8Site"},
    {34017, "IT8ColorSequence"},
    {34018, "IT8Header"},
    {34019, "IT8RasterPadding"},
    {34020, "IT8BitsPerRunLength"},
    {34021, "IT8BitsPerExtendedRunLength"},
    {34022, "IT8ColorTable"},
    {34023, "IT8ImageColorIndicator"},
    {34024, "IT8BkgColorIndicator"},
    {34025, "IT8ImageColorValue"},
    {34026, "IT8BkgColorValue"},
    {34027, "IT8PixelIntensityRange"},
    {34028, "IT8TransparencyIndicator"},
    {34029, "IT8ColorCharacterization"},
    {34232, "FrameCount"},
    {34377, "Photoshop"},
    {34675, "ICCProfile"},
    {34750, "JBIGOptions"},
    {34908, "FaxRecvParams"},
    {34909, "FaxSubAddress"},
    {34910, "FaxRecvTime"},
    {34929, "Fedex_EDR"},
    {37439, "Stonits"},
};
static_assert(std::size(TagNames) == 120);

constexpr TCodeName CompressionNames[] = {
    {1, "Uncompressed"},
    {2, "CCITT 1D (aka CCITT RLE)"},
    {3, "Group 3 Fax (aka CCITT FAX3)"},
    {4, "Group 4 Fax (aka CCITT FAX4)"},
    {5, "LZW"},
    {6, "JPEG Original TIFF 6.0 spec"},
    {7, "JPEG Technote #2"},
    {8, "Deflate, as recognized by Adobe"},
    {32766, "Next"},
    {32771, "CCITT RLEW (aka CCITT RLE with word alignment)"},
    {32773, "PackBits (aka Macintosh RLE)"},
    {32809, "Thunderscan (aka Thunderscan RLE)"},
    {32895, "IT8 CT with padding"},
    {32896, "IT8 Linework RLE"},
    {32897, "IT8 Monochrome picture"},
    {32898, "IT8 Binary line art"},
    {32908, "Pixar companded 10bit LZW"},
    {32909, "Pixar companded 11bit ZIP"},
    {32946, "Deflate"},
    {32947, "Kodak DCS encoding"},
    {34661, "ISO JBIG"},
    {34676, "SGI Log Luminance RLE"},
    {34677, "SGI Log 24-bit packed"},
};

constexpr TCodeName PhotometricNames[] = {
    {0, "MinIsWhite"}, {1, "MinIsBlack"}, {2, "RGB"},    {3, "Palette"},  {4, "Mask"},
    {5, "Seperated"},  {6, "YCbCr"},      {8, "CIELab"}, {32844, "LogL"}, {32845, "LogLuv"},
};

constexpr TCodeName FillOrderNames[] = {{1, "Msb2Lsb"}, {2, "Lsb2Msb"}};

constexpr TCodeName OrientationNames[] = {
    {1, "TopLeft"}, {2, "TopRight"}, {3, "BotRight"}, {4, "BotLeft"},
    {5, "LeftTop"}, {6, "RightTop"}, {7, "RightBot"}, {8, "LeftBot"},
};

constexpr TCodeName PlanarConfigNames[] = {{1, "Contig"}, {2, "Seperate"}};

constexpr TCodeName ResolutionUnitNames[] = {{1, "None"}, {2, "Inch"}, {3, "Centimeter"}};

constexpr TCodeName SubFileTypeFlags[] = {{1, "ReducedImage"}, {2, "Page"}, {4, "Mask"}};

constexpr const char* DataTypeNames[] = {
    "NoType",    "Byte",   "ASCII", "Short",     "Long",  "Rational", "SByte",
    "Undefined", "SShort", "SLong", "SRational", "Float", "Double",   "IFD",
};

constexpr const char* DataTypeNamesLower[] = {
    "no type",         "byte",        "ASCII",     "short",        "long",
    "rational",        "signed byte", "undefined", "signed short", "signed long",
    "signed rational", "float",       "double",    "unknown",
};

constexpr std::uint32_t TypeSizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4};

template <std::size_t N>
const char* Find(const TCodeName (&table)[N], std::uint32_t code)
{
    auto it = std::lower_bound(std::begin(table), std::end(table), code,
                               [](const TCodeName& e, std::uint32_t c) { return e.Code < c; });
    return it != std::end(table) && it->Code == code ? it->Name : nullptr;
}

void SubFileTypeText(std::uint32_t value, std::string& text)
{
    text.clear();
    for (const TCodeName& flag : SubFileTypeFlags) {
        if (value & flag.Code) {
            if (!text.empty())
                text += ", ";
            text += flag.Name;
        }
    }
    if (text.empty())
        text = "Zero";
}

}  // namespace

std::uint32_t TiffTypeSize(std::uint32_t dataType, bool bigTiff)
{
    if (TiffIsBigTiffType(dataType))
        return bigTiff ? 8 : 0;
    return dataType < std::size(TypeSizes) ? TypeSizes[dataType] : 0;
}

const char* TiffTagName(std::uint32_t tag)
{
    return Find(TagNames, tag);
}

void TiffDataTypeName(std::uint32_t dataType, std::string& text, bool bigTiff)
{
    if (bigTiff && TiffIsBigTiffType(dataType)) {
        static const char* const names[] = {"Long8", "SLong8", "IFD8"};
        text = names[dataType - ttLong8];
        return;
    }
    text = dataType < std::size(DataTypeNames) ? DataTypeNames[dataType] : std::to_string(dataType);
}

void TiffDataTypeNameLower(std::uint32_t dataType, std::string& text, bool bigTiff)
{
    if (bigTiff && TiffIsBigTiffType(dataType)) {
        static const char* const names[] = {"long8", "signed long8", "IFD8"};
        text = names[dataType - ttLong8];
        return;
    }
    text = dataType < std::size(DataTypeNamesLower) ? DataTypeNamesLower[dataType] : "unknown";
}

bool TiffIsNamedValueTag(std::uint32_t tag)
{
    switch (tag) {
    case TagSubFileType:
    case TagCompression:
    case TagPhotometric:
    case TagFillOrder:
    case TagOrientation:
    case TagPlanarConfig:
    case TagResolutionUnit: return true;
    default: return false;
    }
}

void TiffNamedValue(std::uint32_t tag, std::uint32_t value, std::string& text)
{
    const char* name = nullptr;
    switch (tag) {
    case TagSubFileType: SubFileTypeText(value, text); return;
    case TagPhotometric:
        name = Find(PhotometricNames, value);
        text = name ? name : "Unknown (" + std::to_string(value) + ")";
        return;
    case TagCompression: name = Find(CompressionNames, value); break;
    case TagFillOrder: name = Find(FillOrderNames, value); break;
    case TagOrientation: name = Find(OrientationNames, value); break;
    case TagPlanarConfig: name = Find(PlanarConfigNames, value); break;
    case TagResolutionUnit: name = Find(ResolutionUnitNames, value); break;
    default: break;
    }
    text = name ? name : "";
}
