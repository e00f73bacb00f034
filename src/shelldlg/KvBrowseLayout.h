// Where the folder browser's parts go when the places bar moves its tree to
// the right: computed from the system dialog's client size.
#pragma once

#include "window/KvGeometry.h"

struct TKvBrowseLayout {
    TKvRect FPlaces;  // the places box, in dialog client coordinates
    TKvRect FBottom;  // the box under the tree
    std::int32_t FBevelWidth = 0;
    TKvRect FTree;
    TKvRect FOk;
    TKvRect FCancel;
    std::int32_t FWiden = 0;  // added to the dialog's width
};

// placesWidth: the bar's width (83 per list plus 4).
TKvBrowseLayout BrowseForFolderLayout(std::int32_t clientWidth, std::int32_t clientHeight,
                                      std::int32_t placesWidth);
