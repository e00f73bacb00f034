#include "decode/IccDecode.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "decode/ByteCursor.h"

namespace {

constexpr std::uint32_t MaxTexts = 32;

using TSignatureName = std::pair<const char*, const char*>;

constexpr TSignatureName SignatureNames[] = {
    // Profile classes
    {"scnr", "Input Device Profile"},
    {"mntr", "Display Device Profile"},
    {"prtr", "Output Device Profile"},
    {"link", "DeviceLink Profile"},
    {"spac", "ColorSpace Conversion Profile"},
    {"abst", "Abstract Profile"},
    {"nmcl", "NamedColor Profile"},
    // Colour spaces
    {"XYZ ", "XYZ"},
    {"Lab ", "Lab"},
    {"Luv ", "Luv"},
    {"YCbr", "YCbCr"},
    {"Yxy ", "Yxy"},
    {"RGB ", "RGB"},
    {"GRAY", "Grayscale"},
    {"HSV ", "HSV"},
    {"HLS ", "HLS"},
    {"CMYK", "CMYK"},
    {"CMY ", "CMY"},
    // Tags
    {"desc", "ProfileDescription"},
    {"cprt", "ProfileCopyright"},
    {"wtpt", "MediaWhitePoint"},
    {"bkpt", "MediaBlackPoint"},
    {"rXYZ", "RedMatrixColumn"},
    {"gXYZ", "GreenMatrixColumn"},
    {"bXYZ", "BlueMatrixColumn"},
    {"rTRC", "RedTRC"},
    {"gTRC", "GreenTRC"},
    {"bTRC", "BlueTRC"},
    {"kTRC", "GrayTRC"},
    {"chad", "ChromaticAdaptation"},
    {"chrm", "Chromaticity"},
    {"dmnd", "DeviceMfgDesc"},
    {"dmdd", "DeviceModelDesc"},
    {"vued", "ViewingCondDesc"},
    {"view", "ViewingConditions"},
    {"lumi", "Luminance"},
    {"meas", "Measurement"},
    {"tech", "Technology"},
    {"gamt", "Gamut"},
    {"A2B0", "AToB0"},
    {"A2B1", "AToB1"},
    {"A2B2", "AToB2"},
    {"B2A0", "BToA0"},
    {"B2A1", "BToA1"},
    {"B2A2", "BToA2"},
    {"targ", "CharTarget"},
    {"cicp", "CICP"},
};

// The code in quotes, with its name where the table has one.
std::string Named(std::uint32_t code)
{
    const std::string quoted = FourCharCode(code);
    for (const auto& [signature, name] : SignatureNames)
        if (quoted.compare(1, 4, signature) == 0)
            return quoted + " " + name;
    return code == 0 ? "none" : quoted;
}

// The tag's name alone, or empty when the table has none.
std::string TagName(std::uint32_t code)
{
    const std::string named = Named(code);
    return named.size() > 7 ? named.substr(7) : std::string();
}

std::string VersionText(std::uint32_t version)
{
    return std::to_string(version >> 24) + "." + std::to_string((version >> 20) & 15) + "." +
           std::to_string((version >> 16) & 15);
}

std::string DateText(TByteCursor& in)
{
    unsigned part[6];
    for (unsigned& value : part)
        value = in.U16("the date");
    char text[40];
    std::snprintf(text, sizeof text, "%04u:%02u:%02u %02u:%02u:%02u", part[0], part[1], part[2],
                  part[3], part[4], part[5]);
    return text;
}

const char* IntentName(std::uint32_t intent)
{
    switch (intent) {
    case 0: return "Perceptual";
    case 1: return "Media-Relative Colorimetric";
    case 2: return "Saturation";
    case 3: return "ICC-Absolute Colorimetric";
    default: return "unknown";
    }
}

void DecodeHeader(TByteCursor& in, TLineSink& out)
{
    out.Add("Profile size", std::to_string(in.U32("the profile size")) + " bytes");
    out.Add("CMM", Named(in.U32("the CMM")));
    out.Add("Version", VersionText(in.U32("the version")));
    out.Add("Class", Named(in.U32("the class")));
    out.Add("Colour space", Named(in.U32("the colour space")));
    out.Add("Connection space", Named(in.U32("the connection space")));
    out.Add("Date", DateText(in));
    if (in.U32("the file signature") != 0x61637370)
        out.Add("Problem", "no 'acsp' signature at byte 36");
    out.Add("Platform", Named(in.U32("the platform")));
    in.Seek(64, "the rendering intent");
    const std::uint32_t intent = in.U32("the rendering intent");
    out.Add("Rendering intent", std::to_string(intent) + " " + IntentName(intent));
    in.Seek(80, "the creator");
    out.Add("Creator", Named(in.U32("the creator")));
}

std::string Utf16BigEndianToUtf8(std::span<const std::uint8_t> bytes)
{
    std::string text = Utf16ToUtf8(bytes, true);
    text.resize(std::min(text.size(), text.find('\0')));
    return PrintableUtf8(text.data(), text.size());
}

std::string AsciiUpToNul(std::span<const std::uint8_t> bytes)
{
    std::size_t length = 0;
    while (length < bytes.size() && bytes[length] != 0)
        ++length;
    return AsText(bytes.first(length));
}

// The texts of a 'desc', 'mluc' or 'text' element; others are left out.
void DecodeTextElement(const std::string& name, std::span<const std::uint8_t> element,
                       TLineSink& out)
{
    TByteCursor in(element);
    const std::uint32_t type = in.U32("the element type");
    in.U32("the reserved field");
    if (type == 0x74657874) {  // 'text'
        out.Add(name, AsciiUpToNul(element.subspan(8)));
    } else if (type == 0x64657363) {  // 'desc'
        const std::uint32_t count = in.U32("the text length");
        out.Add(name, AsciiUpToNul(in.Take(count, "the text")));
    } else if (type == 0x6D6C7563) {  // 'mluc'
        const std::uint32_t records = in.U32("the record count");
        const std::uint32_t recordSize = in.U32("the record size");
        if (recordSize < 12 || std::uint64_t(records) * recordSize > in.Left())
            throw EDecodeFault(name + " declares " + std::to_string(records) + " records of " +
                               std::to_string(recordSize) + " bytes in " +
                               std::to_string(in.Left()));
        for (std::uint32_t r = 0; r < std::min(records, MaxTexts); ++r) {
            in.Seek(16 + std::size_t(r) * recordSize, "a text record");
            const std::string language = FourCharCode(in.U32("the language")).substr(1, 4);
            const std::uint32_t length = in.U32("the text length");
            TByteCursor text(element);
            text.Seek(in.U32("the text offset"), "a text");
            out.Add(name + " (" + language.substr(0, 2) + "-" + language.substr(2) + ")",
                    Utf16BigEndianToUtf8(text.Take(length, "a text")));
        }
    }
}

void DecodeTagTable(TByteCursor& in, std::span<const std::uint8_t> profile, TLineSink& out)
{
    in.Seek(128, "the tag table");
    const std::uint32_t count = in.U32("the tag count");
    if (std::uint64_t(count) * 12 > in.Left())
        throw EDecodeFault("the tag table declares " + std::to_string(count) +
                           " tags; the profile holds " + std::to_string(in.Left() / 12));
    out.Add("Tag table", std::to_string(count) + " tags");
    out.Enter();
    std::vector<std::pair<std::string, std::span<const std::uint8_t>>> texts;
    for (std::uint32_t t = 0; t < count; ++t) {
        const std::uint32_t signature = in.U32("a tag signature");
        const std::uint32_t offset = in.U32("a tag offset"), size = in.U32("a tag size");
        const bool inside = std::uint64_t(offset) + size <= profile.size();
        out.Add(Named(signature), "offset " + std::to_string(offset) + ", " + std::to_string(size) +
                                      " bytes" + (inside ? "" : " (beyond the profile)"));
        if (inside)
            texts.emplace_back(TagName(signature), profile.subspan(offset, size));
    }
    out.Leave();
    // Many entries may share one large element: only the first texts are read.
    std::uint32_t decoded = 0;
    for (const auto& [name, element] : texts)
        if (!name.empty() && decoded++ < MaxTexts)
            DecodeTextElement(name, element, out);
}

}  // namespace

void DecodeIccProfile(std::span<const std::uint8_t> profile, TLineSink& out)
{
    if (profile.size() < 132)
        throw EDecodeFault(
            "an ICC profile has a header of 128 bytes and a tag count; this one has " +
            std::to_string(profile.size()) + " bytes");
    TByteCursor in(profile);
    DecodeHeader(in, out);
    DecodeTagTable(in, profile, out);
}
