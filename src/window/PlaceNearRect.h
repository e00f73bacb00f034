// Where to put a pop-up window so that it sits beside the control that opened
// it and stays inside the screen's work area.
#pragma once

#include <cstdint>

#include "window/KvGeometry.h"

// Tries below, above, right and left of the anchor in that order; a later
// side wins only with a strictly smaller sideways shift. A window larger than
// the work area goes to (0, 0); one that fits on no side is centred.
TKvPoint PlaceNearRect(const TKvRect& anchor, std::int32_t width, std::int32_t height,
                       const TKvRect& workArea);
