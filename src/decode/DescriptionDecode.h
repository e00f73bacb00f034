// ImageDescription values that hold structured metadata: the key=value
// lines of ImageJ or an OME-XML document.
#pragma once

#include <cstdint>
#include <string_view>

#include "decode/DecodedView.h"

// False when the text is neither (a plain description has no decoded view).
bool IsStructuredDescription(std::string_view text);

void DecodeImageDescription(std::string_view text, std::uint32_t pageCount, TLineSink& out);

// The planes the OME-XML's Pixels elements declare (SizeZ x SizeC x SizeT
// summed over its images).
std::uint64_t OmeDeclaredPlanes(std::string_view xml);
