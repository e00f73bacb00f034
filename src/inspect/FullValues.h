// Every value of every type in full, as text (all values in full, and the
// entries of child directories) and as JSON values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tiff/KvTiffDirReader.h"
#include "tiff/KvTiffExifNames.h"

class TKvJsonWriter;

// The whole value as text: integers in decimal, Float and Double with
// round-trip precision, a single Rational as its quotient (as the viewer
// shows it), SRational and multi-count Rational as numerator/denominator,
// ASCII as its characters with control bytes as blanks, Undefined and
// unknown types as hex. Tags the viewer shows by name keep their names in
// page and SubIFD directories. With a limit the text is cut the viewer's
// way: lists by whole values with ",...", other texts after limit
// characters with "...".
void FullValueText(const TKvTiffDirReader& reader, TTiffDirKind kind, const TTiffRawEntry& entry,
                   const std::vector<std::uint8_t>& bytes, std::optional<std::uint32_t> limit,
                   std::string& text);

// Writes the "values" member's value: numbers as JSON numbers, rationals as
// [numerator, denominator], ASCII and UTF-8 as the list of their
// NUL-separated parts, Undefined and unknown types as a hex string.
void WriteJsonValues(const TKvTiffDirReader& reader, const TTiffRawEntry& entry,
                     const std::vector<std::uint8_t>& bytes, TKvJsonWriter& json);

// The hex digits of the bytes, two per byte, upper case, separated by sep
// when it is not 0.
std::string HexText(const std::uint8_t* bytes, std::size_t size, char sep);
