#include "decode/IptcDecode.h"

#include <algorithm>

#include "decode/ByteCursor.h"

namespace {

struct TDatasetName {
    std::uint16_t Key;  // record << 8 | dataset
    const char* Name;
};

constexpr TDatasetName DatasetNames[] = {
    {0x0100, "ModelVersion"},
    {0x0105, "Destination"},
    {0x0114, "FileFormat"},
    {0x0116, "FileVersion"},
    {0x011E, "ServiceIdentifier"},
    {0x0128, "EnvelopeNumber"},
    {0x0132, "ProductID"},
    {0x013C, "EnvelopePriority"},
    {0x0146, "DateSent"},
    {0x0150, "TimeSent"},
    {0x015A, "CodedCharacterSet"},
    {0x0164, "UniqueObjectName"},
    {0x0200, "ApplicationRecordVersion"},
    {0x0203, "ObjectTypeReference"},
    {0x0204, "ObjectAttributeReference"},
    {0x0205, "ObjectName"},
    {0x0207, "EditStatus"},
    {0x020A, "Urgency"},
    {0x020C, "SubjectReference"},
    {0x020F, "Category"},
    {0x0214, "SupplementalCategories"},
    {0x0216, "FixtureIdentifier"},
    {0x0219, "Keywords"},
    {0x021A, "ContentLocationCode"},
    {0x021B, "ContentLocationName"},
    {0x021E, "ReleaseDate"},
    {0x0223, "ReleaseTime"},
    {0x0225, "ExpirationDate"},
    {0x0226, "ExpirationTime"},
    {0x0228, "SpecialInstructions"},
    {0x022A, "ActionAdvised"},
    {0x022D, "ReferenceService"},
    {0x022F, "ReferenceDate"},
    {0x0232, "ReferenceNumber"},
    {0x0237, "DateCreated"},
    {0x023C, "TimeCreated"},
    {0x023E, "DigitalCreationDate"},
    {0x023F, "DigitalCreationTime"},
    {0x0241, "OriginatingProgram"},
    {0x0246, "ProgramVersion"},
    {0x024B, "ObjectCycle"},
    {0x0250, "By-line"},
    {0x0255, "By-lineTitle"},
    {0x025A, "City"},
    {0x025C, "Sub-location"},
    {0x025F, "Province-State"},
    {0x0264, "Country-PrimaryLocationCode"},
    {0x0265, "Country-PrimaryLocationName"},
    {0x0267, "OriginalTransmissionReference"},
    {0x0269, "Headline"},
    {0x026E, "Credit"},
    {0x0273, "Source"},
    {0x0274, "CopyrightNotice"},
    {0x0276, "Contact"},
    {0x0278, "Caption-Abstract"},
    {0x0279, "LocalCaption"},
    {0x027A, "Writer-Editor"},
    {0x0282, "ImageType"},
    {0x0283, "ImageOrientation"},
    {0x0287, "LanguageIdentifier"},
};

std::string DatasetName(std::uint8_t record, std::uint8_t dataset)
{
    const std::uint16_t key = static_cast<std::uint16_t>(record << 8 | dataset);
    for (const TDatasetName& entry : DatasetNames)
        if (entry.Key == key)
            return entry.Name;
    return "Unknown";
}

// Datasets n:0 hold a binary version; the others text, in UTF-8 when valid
// (or declared), else taken as ISO-8859-1.
std::string DatasetValue(std::uint8_t record, std::uint8_t dataset,
                         std::span<const std::uint8_t> value)
{
    if (dataset == 0 && value.size() == 2)
        return std::to_string(value[0] << 8 | value[1]);
    // The escape sequence that declares UTF-8 text.
    if (record == 1 && dataset == 90 && value.size() == 3 && value[0] == 0x1B && value[1] == '%' &&
        value[2] == 'G')
        return "UTF-8";
    const auto* text = reinterpret_cast<const char*>(value.data());
    if (PrintableUtf8(text, value.size()).find("\xEF\xBF\xBD") == std::string::npos)
        return AsText(value);
    return Latin1ToUtf8(text, value.size());
}

// The length of a dataset: 15 bits, or with the top bit set the number of
// bytes that follow to hold it.
std::size_t DatasetLength(TByteCursor& in)
{
    const std::uint16_t length = in.U16("a dataset length");
    if (!(length & 0x8000))
        return length;
    const std::size_t bytes = length & 0x7FFF;
    if (bytes > 4)
        throw EDecodeFault("a dataset length of " + std::to_string(bytes) + " bytes");
    std::size_t value = 0;
    for (std::size_t i = 0; i < bytes; ++i)
        value = value << 8 | in.U8("a dataset length");
    return value;
}

bool RestIsPadding(std::span<const std::uint8_t> rest)
{
    return std::all_of(rest.begin(), rest.end(), [](std::uint8_t b) { return b == 0; });
}

const char* ResourceName(std::uint16_t id)
{
    if (id >= 2000 && id <= 2997)
        return "PathInfo";
    switch (id) {
    case 1005: return "ResolutionInfo";
    case 1006: return "AlphaChannelsNames";
    case 1010: return "BackgroundColor";
    case 1011: return "PrintFlags";
    case 1013: return "ColorHalftoneInfo";
    case 1016: return "ColorTransferFuncs";
    case 1024: return "LayerStateInfo";
    case 1026: return "LayersGroupInfo";
    case 1028: return "IPTC-NAA";
    case 1032: return "GridGuidesInfo";
    case 1033: return "ThumbnailOld";
    case 1034: return "CopyrightFlag";
    case 1035: return "URL";
    case 1036: return "Thumbnail";
    case 1037: return "GlobalAngle";
    case 1039: return "ICC_Profile";
    case 1044: return "IDsBaseValue";
    case 1045: return "AlphaChannelsUnicodeNames";
    case 1049: return "GlobalAltitude";
    case 1050: return "SlicesInfo";
    case 1053: return "AlphaIdentifiers";
    case 1054: return "URL_List";
    case 1057: return "VersionInfo";
    case 1058: return "EXIFInfo";
    case 1060: return "XMP";
    case 1061: return "IPTCDigest";
    case 1062: return "PrintScale";
    case 1064: return "PixelAspectRatio";
    case 1069: return "LayerSelectionIDs";
    case 1072: return "LayerGroupsEnabledID";
    case 1077: return "DisplayInfo";
    case 1082: return "PrintInfo";
    case 1083: return "PrintStyle";
    case 2999: return "ClippingPathName";
    case 10000: return "PrintFlagsInfo";
    default: return "Unknown";
    }
}

}  // namespace

void DecodeIptc(std::span<const std::uint8_t> bytes, TLineSink& out)
{
    TByteCursor in(bytes);
    while (in.Left() > 0) {
        const std::size_t start = in.Position();
        if (bytes[start] != 0x1C) {
            if (RestIsPadding(bytes.subspan(start)))
                return;
            throw EDecodeFault("no dataset marker at byte " + std::to_string(start));
        }
        in.U8("a dataset marker");
        const std::uint8_t record = in.U8("a record number");
        const std::uint8_t dataset = in.U8("a dataset number");
        const auto value = in.Take(DatasetLength(in), "a dataset value");
        out.Add(std::to_string(record) + ":" + std::to_string(dataset) + " " +
                    DatasetName(record, dataset),
                DatasetValue(record, dataset, value));
    }
}

void DecodeImageResources(std::span<const std::uint8_t> bytes, TLineSink& out)
{
    TByteCursor in(bytes);
    while (in.Left() > 0) {
        if (RestIsPadding(bytes.subspan(in.Position())))
            return;
        const std::size_t start = in.Position();
        const std::string signature = FourCharCode(in.U32("a block signature"));
        if (signature != "'8BIM'" && signature != "'MeSa'" && signature != "'PHUT'" &&
            signature != "'AgHg'" && signature != "'DCSR'")
            throw EDecodeFault("no block signature at byte " + std::to_string(start));
        const std::uint16_t id = in.U16("a block id");
        const std::uint8_t nameLength = in.U8("a block name");
        const std::string name = AsText(in.Take(nameLength, "a block name"));
        in.Take(nameLength % 2 == 0 ? 1 : 0, "the padding of a block name");
        const std::uint32_t size = in.U32("a block size");
        const auto data = in.Take(size, "a block");
        in.Take(std::min<std::size_t>(size % 2, in.Left()), "the padding of a block");
        out.Add(std::to_string(id) + " " + ResourceName(id) +
                    (name.empty() ? "" : " \"" + name + "\""),
                std::to_string(size) + " bytes");
        if (id == 1028) {
            out.Enter();
            DecodeIptc(data, out);
            out.Leave();
        }
    }
}
