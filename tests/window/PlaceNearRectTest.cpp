#include <gtest/gtest.h>

#include "window/PlaceNearRect.h"

TEST(PlaceNearRect, Placements)
{
    const TKvRect wa{0, 0, 1000, 800};
    struct Case {
        const char* Name;
        TKvRect Anchor;
        int W, H;
        TKvPoint Expected;
    } cases[] = {
        {"below, centred", {400, 100, 500, 121}, 300, 200, {300, 126}},
        {"above when no room below", {400, 700, 500, 721}, 300, 200, {300, 495}},
        {"below, shifted left at right edge", {250, 100, 1000, 121}, 800, 200, {200, 126}},
        {"unshifted left side beats shifted below", {900, 100, 990, 121}, 300, 200, {595, 11}},
        {"right beats shifted below", {0, 300, 10, 400}, 300, 200, {15, 250}},
        {"too large goes to origin", {10, 10, 20, 20}, 1200, 100, {0, 0}},
        {"no side fits: centred", {0, 0, 1000, 800}, 100, 100, {450, 350}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaceNearRect(c.Anchor, c.W, c.H, wa), c.Expected) << c.Name;
}
