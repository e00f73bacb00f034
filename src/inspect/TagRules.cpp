#include "inspect/TagRules.h"

#include <algorithm>
#include <iterator>
#include <span>

#include "tiff/TiffNames.h"

namespace {

constexpr std::uint32_t B = 1u << ttByte, A = 1u << ttAscii, S = 1u << ttShort, L = 1u << ttLong,
                        R = 1u << ttRational, SB = 1u << ttSByte, U = 1u << ttUndefined,
                        SS = 1u << ttSShort, SL = 1u << ttSLong, SR = 1u << ttSRational,
                        F = 1u << ttFloat, D = 1u << ttDouble, I = 1u << ttIfd;
constexpr std::uint32_t AnyNumber = B | S | L | R | SB | SS | SL | SR | F | D;

constexpr TCountRule Any = TCountRule::Any, One = TCountRule::Exact, N = TCountRule::Exact,
                     PerSample = TCountRule::PerSample, Multiple = TCountRule::MultipleOf,
                     AtLeast = TCountRule::AtLeast;

// Pages and SubIFDs: baseline and extension tags, and the common private
// ones real writers use. Sorted by tag.
constexpr TTagForm ImageTags[] = {
    {254, L, One, 1},  // NewSubfileType
    {255, S, One, 1},  // SubfileType
    {256, S | L, One, 1},
    {257, S | L, One, 1},
    {258, S, PerSample, 0},
    {259, S, One, 1},
    {262, S, One, 1},
    {263, S, One, 1},
    {264, S, One, 1},
    {265, S, One, 1},
    {266, S, One, 1},
    {269, A, Any, 0},
    {270, A, Any, 0},
    {271, A, Any, 0},
    {272, A, Any, 0},
    {273, S | L, Any, 0},
    {274, S, One, 1},
    {277, S, One, 1},
    {278, S | L, One, 1},
    {279, S | L, Any, 0},
    {280, S, PerSample, 0},
    {281, S, PerSample, 0},
    {282, R, One, 1},
    {283, R, One, 1},
    {284, S, One, 1},
    {285, A, Any, 0},
    {286, R, One, 1},
    {287, R, One, 1},
    {288, L, Any, 0},
    {289, L, Any, 0},
    {290, S, One, 1},
    {291, S, Any, 0},
    {292, L, One, 1},
    {293, L, One, 1},
    {296, S, One, 1},
    {297, S, N, 2},
    {301, S, Any, 0},
    {305, A, Any, 0},
    {306, A, N, 20},
    {315, A, Any, 0},
    {316, A, Any, 0},
    {317, S, One, 1},
    {318, R, N, 2},
    {319, R, N, 6},
    {320, S, Any, 0},
    {321, S, N, 2},
    {322, S | L, One, 1},
    {323, S | L, One, 1},
    {324, L, Any, 0},
    {325, S | L, Any, 0},
    {326, S | L, One, 1},
    {327, S, One, 1},
    {328, S | L, One, 1},
    {330, L | I, Any, 0},
    {332, S, One, 1},
    {333, A, Any, 0},
    {334, S, One, 1},
    {336, B | S, Any, 0},
    {337, A, Any, 0},
    {338, S, Any, 0},
    {339, S, PerSample, 0},
    {340, AnyNumber, PerSample, 0},
    {341, AnyNumber, PerSample, 0},
    {342, S, N, 6},
    {347, U, Any, 0},
    {512, S, One, 1},
    {513, L, One, 1},
    {514, L, One, 1},
    {515, S, One, 1},
    {517, S, PerSample, 0},
    {518, S, PerSample, 0},
    {519, L, PerSample, 0},
    {520, L, PerSample, 0},
    {521, L, PerSample, 0},
    {529, R, N, 3},
    {530, S, N, 2},
    {531, S, One, 1},
    {532, R, N, 6},
    {700, B | U, Any, 0},        // XMP
    {33432, A, Any, 0},          // Copyright
    {33550, D, N, 3},            // ModelPixelScale
    {33723, B | U | L, Any, 0},  // IPTC, LONG as libtiff writes it
    {33922, D, Multiple, 6},     // ModelTiepoint
    {34264, D, N, 16},           // ModelTransformation
    {34377, B | U, Any, 0},      // Photoshop
    {34675, B | U, Any, 0},      // ICC profile
    {34735, S, AtLeast, 4},      // GeoKeyDirectory
    {34736, D, Any, 0},          // GeoDoubleParams
    {34737, A, Any, 0},          // GeoAsciiParams
    {42112, A, Any, 0},          // GDAL metadata
    {42113, A, Any, 0},          // GDAL no-data value
};

constexpr TTagForm ExifTags[] = {
    {33434, R, One, 1},  {33437, R, One, 1}, {34850, S, One, 1},     {34852, A, Any, 0},
    {34855, S, Any, 0},  {34856, U, Any, 0}, {34864, S, One, 1},     {34865, L, One, 1},
    {34866, L, One, 1},  {34867, L, One, 1}, {34868, L, One, 1},     {34869, L, One, 1},
    {36864, U, N, 4},    {36867, A, N, 20},  {36868, A, N, 20},      {36880, A, N, 7},
    {36881, A, N, 7},    {36882, A, N, 7},   {37121, U, N, 4},       {37122, R, One, 1},
    {37377, SR, One, 1}, {37378, R, One, 1}, {37379, SR, One, 1},    {37380, SR, One, 1},
    {37381, R, One, 1},  {37382, R, One, 1}, {37383, S, One, 1},     {37384, S, One, 1},
    {37385, S, One, 1},  {37386, R, One, 1}, {37396, S, Any, 0},     {37500, U, Any, 0},
    {37510, U, Any, 0},  {37520, A, Any, 0}, {37521, A, Any, 0},     {37522, A, Any, 0},
    {40960, U, N, 4},    {40961, S, One, 1}, {40962, S | L, One, 1}, {40963, S | L, One, 1},
    {40964, A, N, 13},   {41483, R, One, 1}, {41486, R, One, 1},     {41487, R, One, 1},
    {41488, S, One, 1},  {41492, S, N, 2},   {41493, R, One, 1},     {41495, S, One, 1},
    {41728, U, One, 1},  {41729, U, One, 1}, {41730, U, Any, 0},     {41985, S, One, 1},
    {41986, S, One, 1},  {41987, S, One, 1}, {41988, R, One, 1},     {41989, S, One, 1},
    {41990, S, One, 1},  {41991, S, One, 1}, {41992, S, One, 1},     {41993, S, One, 1},
    {41994, S, One, 1},  {41996, S, One, 1}, {42016, A, N, 33},      {42032, A, Any, 0},
    {42033, A, Any, 0},  {42034, R, N, 4},   {42035, A, Any, 0},     {42036, A, Any, 0},
    {42037, A, Any, 0},  {42240, R, One, 1},
};

constexpr TTagForm GpsTags[] = {
    {0, B, N, 4},    {1, A, N, 2},    {2, R, N, 3},    {3, A, N, 2},    {4, R, N, 3},
    {5, B, One, 1},  {6, R, One, 1},  {7, R, N, 3},    {8, A, Any, 0},  {9, A, N, 2},
    {10, A, N, 2},   {11, R, One, 1}, {12, A, N, 2},   {13, R, One, 1}, {14, A, N, 2},
    {15, R, One, 1}, {16, A, N, 2},   {17, R, One, 1}, {18, A, Any, 0}, {19, A, N, 2},
    {20, R, N, 3},   {21, A, N, 2},   {22, R, N, 3},   {23, A, N, 2},   {24, R, One, 1},
    {25, A, N, 2},   {26, R, One, 1}, {27, U, Any, 0}, {28, U, Any, 0}, {29, A, N, 11},
    {30, S, One, 1}, {31, R, One, 1},
};

constexpr TTagForm InteropTags[] = {
    {1, A, Any, 0}, {2, U, N, 4}, {4096, A, Any, 0}, {4097, S | L, One, 1}, {4098, S | L, One, 1},
};

constexpr bool Sorted(std::span<const TTagForm> forms)
{
    for (std::size_t i = 1; i < forms.size(); ++i)
        if (forms[i - 1].Tag >= forms[i].Tag)
            return false;
    return true;
}
static_assert(Sorted(ImageTags) && Sorted(ExifTags) && Sorted(GpsTags) && Sorted(InteropTags));

const TTagForm* Search(std::span<const TTagForm> forms, std::uint16_t tag)
{
    const auto it =
        std::lower_bound(forms.begin(), forms.end(), tag,
                         [](const TTagForm& form, std::uint16_t t) { return form.Tag < t; });
    return it != forms.end() && it->Tag == tag ? &*it : nullptr;
}

using TRange = TValueRange;

struct TEnumeration {
    TTiffDirKind Kind;
    std::uint16_t Tag;
    std::span<const TRange> Values;
};

constexpr TRange SubfileTypes[] = {{1, 3}};
constexpr TRange NewSubfileTypes[] = {{0, 31}};
constexpr TRange Photometrics[] = {{0, 6},         {8, 10},        {32803, 32803},
                                   {32844, 32845}, {34892, 34892}, {51177, 51177}};
constexpr TRange OneToTwo[] = {{1, 2}};
constexpr TRange OneToThree[] = {{1, 3}};
constexpr TRange ZeroToOne[] = {{0, 1}};
constexpr TRange ZeroToTwo[] = {{0, 2}};
constexpr TRange Orientations[] = {{1, 8}};
constexpr TRange GrayResponseUnits[] = {{1, 5}};
constexpr TRange T4Options[] = {{0, 7}};
constexpr TRange T6Options[] = {{0, 0}, {2, 2}};
constexpr TRange Predictors[] = {{1, 3}, {34892, 34894}};
constexpr TRange SampleFormats[] = {{1, 6}};
constexpr TRange JpegProcs[] = {{1, 1}, {14, 14}};
constexpr TRange ColorSpaces[] = {{1, 2}, {0xFFFF, 0xFFFF}};

constexpr TEnumeration Enumerations[] = {
    {TTiffDirKind::Page, 254, NewSubfileTypes}, {TTiffDirKind::Page, 255, SubfileTypes},
    {TTiffDirKind::Page, 262, Photometrics},    {TTiffDirKind::Page, 263, OneToThree},
    {TTiffDirKind::Page, 266, OneToTwo},        {TTiffDirKind::Page, 274, Orientations},
    {TTiffDirKind::Page, 284, OneToTwo},        {TTiffDirKind::Page, 290, GrayResponseUnits},
    {TTiffDirKind::Page, 292, T4Options},       {TTiffDirKind::Page, 293, T6Options},
    {TTiffDirKind::Page, 296, OneToThree},      {TTiffDirKind::Page, 317, Predictors},
    {TTiffDirKind::Page, 327, ZeroToTwo},       {TTiffDirKind::Page, 332, OneToTwo},
    {TTiffDirKind::Page, 338, ZeroToTwo},       {TTiffDirKind::Page, 339, SampleFormats},
    {TTiffDirKind::Page, 512, JpegProcs},       {TTiffDirKind::Page, 531, OneToTwo},
    {TTiffDirKind::Exif, 40961, ColorSpaces},   {TTiffDirKind::Gps, 5, ZeroToOne},
};

constexpr TRange Compressions[] = {
    {1, 10},        {32766, 32766}, {32771, 32771}, {32773, 32773}, {32809, 32809}, {32895, 32898},
    {32908, 32909}, {32946, 32947}, {34661, 34661}, {34676, 34677}, {34692, 34692}, {34712, 34713},
    {34715, 34715}, {34718, 34720}, {34887, 34892}, {34925, 34927}, {34933, 34935}, {50000, 50002},
};

// SubIFDs hold images like pages and share their tables.
TTiffDirKind TableKind(TTiffDirKind kind)
{
    return kind == TTiffDirKind::SubIfd ? TTiffDirKind::Page : kind;
}

const TEnumeration* FindEnumeration(TTiffDirKind kind, std::uint16_t tag)
{
    kind = TableKind(kind);
    for (const TEnumeration& e : Enumerations)
        if (e.Tag == tag && e.Kind == kind)
            return &e;
    return nullptr;
}

}  // namespace

const TTagForm* FindTagForm(TTiffDirKind kind, std::uint16_t tag)
{
    switch (TableKind(kind)) {
    case TTiffDirKind::Page: return Search(ImageTags, tag);
    case TTiffDirKind::Exif: return Search(ExifTags, tag);
    case TTiffDirKind::Gps: return Search(GpsTags, tag);
    case TTiffDirKind::Interop: return Search(InteropTags, tag);
    case TTiffDirKind::SubIfd: break;
    }
    return nullptr;
}

std::span<const TValueRange> TagEnumeration(TTiffDirKind kind, std::uint16_t tag)
{
    const TEnumeration* e = FindEnumeration(kind, tag);
    return e ? e->Values : std::span<const TValueRange>();
}

std::span<const TValueRange> KnownCompressions()
{
    return Compressions;
}
