#include "decode/DescriptionDecode.h"

#include <charconv>
#include <span>

#include "decode/XmlIndent.h"

namespace {

bool IsImageJ(std::string_view text)
{
    return text.starts_with("ImageJ=");
}

bool IsOme(std::string_view text)
{
    return text.find("<OME") != std::string_view::npos;
}

// The number in Name="..." inside one tag, or 1 when it is missing or bad.
std::uint64_t SizeAttribute(std::string_view tag, std::string_view name)
{
    const std::size_t at = tag.find(name);
    if (at == std::string_view::npos || at + name.size() + 2 > tag.size())
        return 1;
    const char* first = tag.data() + at + name.size() + 2;
    std::uint64_t value = 1;
    const auto result = std::from_chars(first, tag.data() + tag.size(), value);
    return result.ec == std::errc() && value > 0 ? value : 1;
}

void DecodeImageJ(std::string_view text, std::uint32_t pageCount, TLineSink& out)
{
    out.Add("ImageJ metadata");
    out.Enter();
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            out.Add(PrintableUtf8(line.data(), line.size()));
        else
            out.Add(PrintableUtf8(line.data(), equals),
                    PrintableUtf8(line.data() + equals + 1, line.size() - equals - 1));
    }
    out.Leave();
    out.Add("Pages in the file", std::to_string(pageCount));
}

}  // namespace

bool IsStructuredDescription(std::string_view text)
{
    return IsImageJ(text) || IsOme(text);
}

std::uint64_t OmeDeclaredPlanes(std::string_view xml)
{
    std::uint64_t planes = 0;
    for (std::size_t at = xml.find("<Pixels"); at != std::string_view::npos;
         at = xml.find("<Pixels", at + 1)) {
        const std::size_t end = xml.find('>', at);
        const std::string_view tag = xml.substr(at, end == std::string_view::npos ? end : end - at);
        // Capped so a hostile document cannot overflow the sum.
        const std::uint64_t z = std::min<std::uint64_t>(SizeAttribute(tag, "SizeZ"), 1u << 20);
        const std::uint64_t c = std::min<std::uint64_t>(SizeAttribute(tag, "SizeC"), 1u << 20);
        const std::uint64_t t = std::min<std::uint64_t>(SizeAttribute(tag, "SizeT"), 1u << 20);
        planes += z * c * t;
    }
    return planes;
}

void DecodeImageDescription(std::string_view text, std::uint32_t pageCount, TLineSink& out)
{
    if (IsImageJ(text)) {
        DecodeImageJ(text, pageCount, out);
        return;
    }
    const TXmlText xml =
        XmlToUtf8(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    out.Add("OME-XML", xml.Encoding);
    out.Add("Planes declared", std::to_string(OmeDeclaredPlanes(xml.Utf8)) +
                                   "; pages in the file: " + std::to_string(pageCount));
    IndentXml(xml.Utf8, out);
}
