// The name tables of EXIF, GPS and Interoperability directories; the
// inspector's tests show the common names in place.
#include <gtest/gtest.h>

#include "tiff/KvTiffExifNames.h"

TEST(ExifNamesTest, TablesAreSortedAndNameTheCodesOfTheirDirectory)
{
    for (TTiffTagTable table : {TiffExifTagTable(), TiffGpsTagTable(), TiffInteropTagTable()})
        for (std::uint32_t i = 1; i < table.Count; ++i)
            EXPECT_LT(table.Names[i - 1].Code, table.Names[i].Code) << table.Names[i].Name;
    EXPECT_STREQ(TiffTagNameIn(TTiffDirKind::Gps, 0x1F), "GPSHPositioningError");
    EXPECT_STREQ(TiffTagNameIn(TTiffDirKind::Page, 34665), "ExifIFDPointer");
    EXPECT_EQ(TiffTagNameIn(TTiffDirKind::Gps, 256), nullptr);
}
