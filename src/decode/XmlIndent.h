// XML as indented lines: one element a line, an element holding only text
// on one line with it. Enough to read an XMP packet or OME-XML; not a
// validating parser.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "decode/DecodedView.h"

inline constexpr unsigned MaxXmlDepth = 64;

// The text as UTF-8 and the name of the encoding it was found in (a byte
// order mark, the zero bytes of UTF-16, or the declaration).
struct TXmlText {
    std::string Utf8;
    std::string Encoding;
};
TXmlText XmlToUtf8(std::span<const std::uint8_t> bytes);

// Throws EDecodeFault on an unclosed tag, an end tag without its start or
// nesting deeper than MaxXmlDepth.
void IndentXml(const std::string& utf8, TLineSink& out);
