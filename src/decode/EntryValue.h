// One entry's value of the loaded page, read for a decoded view or written
// out as the file holds it. The dump tool and the viewer both go through
// here, so the two show and save the same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decode/DecodedView.h"

class TKvCodecTrnTiff;

using TValueBytes = std::vector<std::uint8_t>;

// The entry's value in host order, copied: the reader keeps one large value
// at a time. False with failure set when it cannot be read.
bool ReadEntryValue(TKvCodecTrnTiff& reader, std::uint32_t index, TValueBytes& bytes,
                    std::string& failure);

// Host order back to the file's, in place.
void ToFileOrder(const TKvCodecTrnTiff& reader, std::uint32_t index, TValueBytes& bytes);

// The decoded view of the entry whose host-order value is given (it may be
// turned to file order on the way); none for a tag without a decoder.
std::optional<TDecodedView> DecodeEntryValue(TKvCodecTrnTiff& reader, std::uint32_t index,
                                             std::uint32_t pageCount, TValueBytes& value);

// The text of a view as the viewer shows it: the lines, or the reason the
// value could not be decoded.
std::string DecodedViewText(const TDecodedView& view);
