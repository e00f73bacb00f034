#include "DumpFiles.h"

using namespace tiffw;

namespace {

// Directory indices in TTiff::Ifds.
enum : std::size_t { Page1, Page2, Exif, Interop, Gps, Sub1, Sub1Next, Sub2 };

std::vector<TEntry> ImageEntries(std::uint32_t width, std::uint32_t length,
                                 std::vector<std::uint32_t> strips,
                                 std::vector<std::uint32_t> counts)
{
    return {Long(256, {width}),       Long(257, {length}),      Short(258, {8}),
            Short(259, {1}),          Short(262, {1}),          Long(273, std::move(strips)),
            Short(277, {1}),          Long(278, {length}),      Long(279, std::move(counts)),
            Rational(282, {{72, 1}}), Rational(283, {{72, 1}}), Short(296, {2})};
}

TIfd Chained(std::vector<TEntry> entries, std::uint32_t at)
{
    TIfd ifd;
    ifd.Entries = std::move(entries);
    ifd.Offset = at;
    return ifd;
}

TIfd ChildAt(std::vector<TEntry> entries, std::uint32_t at)
{
    TIfd ifd = ChildIfd(std::move(entries));
    ifd.Offset = at;
    return ifd;
}

// Strip data lies at 4000 and up, out of the way of every structure.
TTiff Build(TOrder order)
{
    TTiff tiff;
    tiff.Order = order;
    std::vector<TEntry> page1 = ImageEntries(16, 4, {4000, 4032}, {32, 32});
    page1[7] = Long(278, {2});
    page1.push_back(Ascii(305, "orvane tests"));
    page1.push_back(Pointer(330, {Sub1, Sub2}));
    page1.push_back(Pointer(34665, {Exif}));
    page1.push_back(Pointer(34853, {Gps}));
    std::vector<TEntry> page2 = {Long(256, {32}),
                                 Long(257, {32}),
                                 Short(258, {8}),
                                 Short(259, {1}),
                                 Short(262, {1}),
                                 Rational(282, {{300, 1}}),
                                 Rational(283, {{300, 1}}),
                                 Short(322, {16}),
                                 Short(323, {16}),
                                 Long(324, {4100, 4356, 4612, 4868}),
                                 Long(325, {256, 256, 256, 256})};
    std::vector<TEntry> exif = {
        Rational(33434, {{1, 125}}),
        Rational(33437, {{28, 10}}),
        Short(34855, {200}),
        Undefined(36864, {'0', '2', '3', '2'}),
        Ascii(36867, "2024:05:01 10:00:00"),
        SRational(37380, {{-1, 3}}),
        Undefined(37500, {1, 2, 3, 4, 5, 6}),
        Float(37888, {21.5f}),
        Short(40961, {1}),
        Pointer(40965, {Interop}),
        SShort(42080, {-2}),
        SLong(42081, {-70000, 3}),
        Double(42240, {2.2}),
    };
    std::vector<TEntry> interop = {AsciiRaw(1, std::string("R98\0", 4)),
                                   Undefined(2, {'0', '1', '0', '0'})};
    std::vector<TEntry> gps = {Byte(0, {2, 3, 0, 0}),
                               Ascii(1, "N"),
                               Rational(2, {{52, 1}, {31, 1}, {1234, 100}}),
                               Ascii(3, "E"),
                               Rational(4, {{13, 1}, {24, 1}, {0, 1}}),
                               SByte(30, {-1})};
    tiff.Ifds = {
        Chained(page1, 8),
        Chained(page2, 1000),
        ChildAt(exif, 1600),
        ChildAt(interop, 2200),
        ChildAt(gps, 2400),
        ChildAt(ImageEntries(8, 2, {5200}, {16}), 2800),
        ChildAt(ImageEntries(4, 1, {5300}, {4}), 3200),
        ChildAt(ImageEntries(2, 1, {5400}, {2}), 3600),
    };
    tiff.Ifds[Sub1].Next = 3200;
    tiff.Length = 5500;
    return tiff;
}

}  // namespace

TTiff ExifFile(TOrder order)
{
    return Build(order);
}

TTiff BrokenExifFile(TOrder order)
{
    TTiff tiff = Build(order);
    std::vector<TEntry>& page1 = tiff.Ifds[Page1].Entries;
    // The second strip runs into the first, and into the Software value.
    page1[5] = Long(273, {4000, 4016});
    page1[12] = Ascii(305, "orvane tests").At(4040);
    // SubIFD 2 points at page 1: a loop between a child and the page chain.
    page1[13] = Long(330, {2800, 8});
    // The Interoperability pointer leads back to its own EXIF directory.
    tiff.Ifds[Exif].Entries[9] = Long(40965, {1600});
    // Page 2's GPS pointer lies beyond the end of the file.
    tiff.Ifds[Page2].Entries.push_back(Long(34853, {90000}));
    std::vector<TEntry>& sub = tiff.Ifds[Sub1Next].Entries;
    std::swap(sub[0], sub[1]);  // ImageLength before ImageWidth
    sub[0] = Long(257, {2});    // two rows of one strip each need two strips
    sub[7] = Long(278, {1});
    sub.push_back(Short(296, {2}));  // ResolutionUnit twice
    return tiff;
}

std::vector<TNamedFile> DumpTestFiles()
{
    std::vector<TNamedFile> files;
    for (TOrder order : {TOrder::Little, TOrder::Big}) {
        const std::string suffix = order == TOrder::Big ? "-be.tif" : "-le.tif";
        files.push_back({"exif" + suffix, ExifFile(order)});
        files.push_back({"broken" + suffix, BrokenExifFile(order)});
    }
    return files;
}
