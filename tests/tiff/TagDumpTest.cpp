// The tag dump: one CR LF terminated line per entry.
#include "TiffTestFiles.h"

using namespace tiffw;

using TagDumpTest = TiffFileTest;

TEST_F(TagDumpTest, LinesInEntryOrderEachEndingInCrLf)
{
    TTiff tiff;
    tiff.Order = TOrder::Big;
    tiff.Ifds.push_back(Page({
        Short(256, {800}),
        Short(259, {5}),
        Rational(282, {{300, 1}}),
        Ascii(270, std::string(50, 'd')),
        Short(40000, {1, 2}),
        Bare(40001, 14, 7),
    }));
    tiff.Ifds.push_back(Page({}));
    OpenTiff(tiff);
    LoadPage(0);
    EXPECT_EQ(BuildTagDump(Reader), "ImageWidth (1 Short): 800\r\n"
                                    "Compression (1 Short): LZW\r\n"
                                    "XResolution (1 Rational): 300\r\n"
                                    "ImageDescription (51 ASCII): " +
                                        std::string(45, 'd') +
                                        "...\r\n"
                                        "40000 (2 Short): 1, 2\r\n"
                                        "40001 (7 14): \r\n");
    LoadPage(1);
    EXPECT_EQ(BuildTagDump(Reader), "");
}
