// Readers for the values written in attributes and style declarations.
#pragma once

#include <cstdint>
#include <string>

#include "html/KvHtmlCanvas.h"

inline char KvLowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline void KvSkipBlanks(const std::string& text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
}

// Reads decimal digits at pos. Returns false when a value above maximum was
// met (the digits are consumed either way); count tells how many were read.
bool KvReadDigits(const std::string& text, std::size_t& pos, std::int32_t maximum,
                  std::int32_t& value, std::size_t& count);

// A whole value of digits only; false when another character or an
// out-of-range number is present.
bool KvParseDigitsOnly(const std::string& text, std::int32_t maximum, std::int32_t& value);

// "#RRGGBB" into 0x00BBGGRR.
TKvColor KvParseHashColor(const std::string& text);

// A length at pos ("12", "1.4em", ".67em"); false when no length starts
// there. Blanks after it are skipped.
bool KvReadLength(const std::string& text, std::size_t& pos, std::int32_t parentSize,
                  std::int32_t& value);

// "rgb(r, g, b)" at pos; blanks after it are skipped.
TKvColor KvReadRgb(const std::string& text, std::size_t& pos);
