#include <gtest/gtest.h>

#include "shelldlg/KvColor.h"

TEST(Color, LabRoundTrip)
{
    for (TKvRgb c : {TKvRgb{0, 0, 0}, TKvRgb{255, 255, 255}, TKvRgb{12, 200, 77}})
        EXPECT_EQ(LabToRgb(RgbToLab(c)), c);
}
