#include "shelldlg/KvBrowseLayout.h"

namespace {

TKvRect At(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h)
{
    return {x, y, x + w, y + h};
}

}  // namespace

TKvBrowseLayout BrowseForFolderLayout(std::int32_t clientWidth, std::int32_t clientHeight,
                                      std::int32_t placesWidth)
{
    const std::int32_t cw = clientWidth, ch = clientHeight, left = placesWidth + 9;
    TKvBrowseLayout l;
    l.FPlaces = At(10, 10, placesWidth, ch - 69);
    l.FBottom = At(0, ch - 60, cw + left, 30);
    l.FBevelWidth = cw - 19 + left;
    l.FTree = At(left + 10, 10, cw - 19, ch - 69);
    l.FOk = At(cw - 180 + left, ch - 30, 81, 21);
    l.FCancel = At(cw - 90 + left, ch - 30, 81, 21);
    l.FWiden = left;
    return l;
}
