// The Structure tab's logic on real files: the range nodes over a long page
// chain and how they grow with the count, the directories below a page, and
// the value bytes of a selected directory and finding an entry by its tag.
#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>

#include "FakeTiff.h"
#include "TiffWriter.h"
#include "app/FOrvaneStructure.h"
#include "app/KvTiffCodecPages.h"

namespace {

using namespace tiffw;

struct TFakeTree : IKvTreeWidget {
    std::vector<std::pair<TKvNodeId, std::vector<TKvNodeId>>> Added;
    std::vector<TKvNodeId> Top, Selected;
    int Clears = 0;
    void Clear() override
    {
        ++Clears;
        Added.clear();
        Top.clear();
    }
    void Add(TKvNodeId parent, const std::vector<TKvNodeId>& ids) override
    {
        Added.emplace_back(parent, ids);
        if (parent == NoNode)
            Top.insert(Top.end(), ids.begin(), ids.end());
    }
    void SelectPath(const std::vector<TKvNodeId>& path) override { Selected = path; }
    void Redraw() override {}
};

struct TFakeRows : IKvRowListWidget {
    TFakeList List;
    void Clear() override { List.Clear(); }
    void AddRow(const TKvTagRow& row) override { List.AddRow(row); }
    std::int32_t SelectedIndex() override { return List.Selected; }
    void SelectNone() override { List.Selected = -1; }
    void SelectRow(std::int32_t row) override { List.Selected = row; }
};

struct TFakeMap : IKvByteMapWidget {
    void SetMap(std::shared_ptr<const TKvStructureAnalysisResult>) override {}
    std::uint32_t PicturePixels() override { return 0; }
};

// A file opened by the real reader with part of its chain counted, and the
// tab over it.
struct TStructureRig {
    std::string Path;
    std::shared_ptr<TTrnTiffShared> Shared = std::make_shared<TTrnTiffShared>();
    TFakeHost Host;
    TFakeTree Tree;
    TFakeRows Tags;
    TFakeButton View, Copy;
    TFakeList Problems;
    TFakeText Progress;
    TFakeMap Map;
    TFrmOrvaneStructure Tab{Host, {&Tree, &Tags, &View, &Copy, &Problems, &Progress, &Map}, Shared};

    TStructureRig(const TTiff& tiff, const char* name, std::uint32_t counted)
    {
        Path = std::string(::testing::TempDir()) + name;
        WriteFile(Path, tiff);
        Shared->FTiffCodec = CreateTiffCodecPages();
        TErrCode code = ErrOk;
        std::string text;
        Shared->FTiffCodec->EnablePageList(true, code, text);
        Shared->FTiffCodec->Open(Path, Path, 0, 0, code, text);
        Shared->FTiffCodec->SelectPage(0, code, text);
        Count(counted);
        Tab.FileShown(Path, Path);
    }
    ~TStructureRig() { std::remove(Path.c_str()); }

    void Count(std::uint32_t pages)
    {
        bool final = false;
        TErrCode code = ErrOk;
        std::string text;
        std::uint32_t count = 0;
        do {
            Shared->FTiffCodec->ScanStep(final, code, text);
            Shared->FTiffCodec->GetPageCount(final, count);
        } while (!final && count < pages && code == ErrOk);
    }
    std::string Label(TKvNodeId id) const { return Tab.NodeLabel(id); }
    const std::vector<TKvNodeId>& Roots() const { return Tree.Top; }
    std::vector<TKvNodeId> Open(TKvNodeId id)
    {
        Tree.Added.clear();
        Tab.TreeOpening(id);
        return Tree.Added.empty() ? std::vector<TKvNodeId>{} : Tree.Added.back().second;
    }
};

TIfd Page(std::vector<TEntry> entries)
{
    TIfd ifd;
    ifd.Entries = std::move(entries);
    return ifd;
}

TTiff Chain(std::uint32_t pages)
{
    TTiff tiff;
    for (std::uint32_t i = 0; i < pages; ++i)
        tiff.Ifds.push_back(Page({Short(256, {std::uint16_t(i)})}));
    return tiff;
}

}  // namespace

TEST(StructureTree, RangesCoverTheChainAndGrowWithTheCount)
{
    TStructureRig rig(Chain(2500), "ranges.tif", 1500);
    ASSERT_EQ(rig.Roots().size(), 2u);
    EXPECT_EQ(rig.Label(rig.Roots()[0]), "Pages 1-1000");
    EXPECT_EQ(rig.Label(rig.Roots()[1]), "Pages 1001-1500");
    const TKvNodeId second = rig.Roots()[1];
    std::vector<TKvNodeId> pages = rig.Open(second);
    ASSERT_EQ(pages.size(), 500u);
    EXPECT_EQ(rig.Label(pages.back()).rfind("Page 1500 at offset ", 0), 0u);
    EXPECT_NE(rig.Label(pages.back()).find(": 1 entries"), std::string::npos);

    // The count moves on: the open range fills up, a new range appears
    // closed, and labels follow the count.
    rig.Count(2500);
    rig.Tree.Added.clear();
    rig.Tab.PageCountProgress();
    ASSERT_EQ(rig.Tree.Added.size(), 2u);
    EXPECT_EQ(rig.Tree.Added[0].first, NoNode);
    EXPECT_EQ(rig.Label(rig.Tree.Added[0].second.at(0)), "Pages 2001-2500");
    EXPECT_EQ(rig.Tree.Added[1].first, second);
    EXPECT_EQ(rig.Tree.Added[1].second.size(), 500u);
    EXPECT_EQ(rig.Label(second), "Pages 1001-2000");
    EXPECT_EQ(rig.Open(rig.Roots()[0]).size(), 1000u);
}

TEST(StructureTree, TopLevelFollowsTheCountAndTheChainsEnd)
{
    TStructureRig rig(Chain(1200), "reshape.tif", 900);
    EXPECT_EQ(rig.Roots().size(), 900u);
    EXPECT_EQ(rig.Label(rig.Roots()[0]).rfind("Page 1 at offset 8: 1 entries", 0), 0u);
    const int clears = rig.Tree.Clears;
    rig.Count(1200);
    rig.Tab.PageCountProgress();
    EXPECT_EQ(rig.Tree.Clears, clears + 1);
    ASSERT_EQ(rig.Roots().size(), 2u);
    EXPECT_EQ(rig.Label(rig.Roots()[1]), "Pages 1001-1200");

    // A page the chain cannot reach is listed with the reason alone.
    TTiff cut = Chain(2);
    cut.Ifds[1].Next = 0x7FFFFFF0;
    TStructureRig broken(cut, "cut.tif", 5);
    ASSERT_EQ(broken.Roots().size(), 3u);
    EXPECT_EQ(broken.Label(broken.Roots()[2]).rfind("Page 3: Reading from file ", 0), 0u);
}

namespace {

// A big-endian page with EXIF (with Interoperability inside), GPS, a chain
// of two SubIFDs, and a GPS pointer of the second page outside the file.
TTiff Nested()
{
    TTiff tiff;
    tiff.Order = TOrder::Big;
    tiff.Ifds = {
        Page({Short(256, {640}), Long(273, {1, 2}), Pointer(330, {2}), Pointer(34665, {4}),
              Pointer(34853, {5})}),
        Page({Short(256, {64}), Long(34853, {0x7FFFFFF0})}),
        ChildIfd({Short(256, {32})}),
        ChildIfd({Short(256, {16})}),
        ChildIfd({Rational(33434, {{1, 250}}), Pointer(40965, {6})}),
        ChildIfd({Ascii(1, "N"), Rational(2, {{48, 1}, {51, 1}, {0, 1}})}),
        ChildIfd({Ascii(1, "R98")}),
    };
    tiff.Ifds[2].Next = std::nullopt;
    return tiff;
}

}  // namespace

TEST(StructureTab, DirectoriesBelowAPageAndTheirTags)
{
    TTiff tiff = Nested();
    TLayout layout = Lay(tiff);
    // The first SubIFD chains on to the second.
    tiff.Ifds[2].Next = layout.IfdOffsets[3];
    layout = Lay(tiff);
    TStructureRig rig(tiff, "nested.tif", 2);
    ASSERT_EQ(rig.Roots().size(), 2u);
    EXPECT_TRUE(rig.Tab.NodeHasChildren(rig.Roots()[0]));
    const std::vector<TKvNodeId> dirs = rig.Open(rig.Roots()[0]);
    std::vector<std::string> labels;
    for (TKvNodeId id : dirs)
        labels.push_back(rig.Label(id));
    const auto at = [&](std::size_t i) {
        return " at offset " + std::to_string(layout.IfdOffsets[i]);
    };
    EXPECT_EQ(labels, (std::vector<std::string>{"SubIFD 1" + at(2) + ": 1 entries",
                                                "SubIFD 1.2" + at(3) + ": 1 entries",
                                                "EXIF directory" + at(4) + ": 2 entries",
                                                "GPS directory" + at(5) + ": 2 entries"}));
    const std::vector<TKvNodeId> interop = rig.Open(dirs[2]);
    ASSERT_EQ(interop.size(), 1u);
    EXPECT_EQ(rig.Label(interop[0]), "Interoperability directory" + at(6) + ": 1 entries");
    const std::vector<TKvNodeId> broken = rig.Open(rig.Roots()[1]);
    ASSERT_EQ(broken.size(), 1u);
    EXPECT_EQ(rig.Label(broken[0]).rfind("GPS directory at offset 2147483632: Reading from", 0),
              0u);

    // A problem's entry: the directory found by its offset, the row by its tag.
    EXPECT_TRUE(rig.Tab.RevealDirectory(0, layout.IfdOffsets[6], 1));
    EXPECT_EQ(rig.Tree.Selected, (std::vector<TKvNodeId>{rig.Roots()[0], dirs[2], interop[0]}));
    EXPECT_EQ(rig.Tags.SelectedIndex(), 0);
    EXPECT_TRUE(rig.View.Enabled);

    // Value bytes come in host order, each half of a rational turned round.
    rig.Tab.TreeSelect(dirs[2]);
    rig.Tags.SelectRow(0);
    rig.Tab.LivTagsSelectItem();
    rig.Tab.ButViewTagValueClick();
    EXPECT_EQ(rig.Host.HexCaption, "ExposureTime");
    EXPECT_EQ(rig.Host.HexBytes, (std::vector<std::uint8_t>{1, 0, 0, 0, 250, 0, 0, 0}));
}
