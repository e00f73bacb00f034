// The Structure tab's logic on real files: the range nodes over a long page
// chain and how they grow with the count, the directories below a page, and
// the tags, value bytes and clipboard text of a selected directory.
#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <thread>

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
    std::shared_ptr<const TKvStructureAnalysisResult> Result;
    void SetMap(std::shared_ptr<const TKvStructureAnalysisResult> result) override
    {
        Result = std::move(result);
    }
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
    TFakeRows Problems;
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
    // The analysis runs on its worker; the window's timer is this loop.
    bool AwaitAnalysis()
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (Tab.AnalysisTick())
            if (std::chrono::steady_clock::now() > until)
                return false;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return true;
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
    EXPECT_TRUE(rig.Open(second).empty()) << "children are handed over once";

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

    // A page path opens what lies on the way, however deep.
    rig.Tab.RevealDirectory(2499, 0);
    EXPECT_EQ(rig.Tree.Selected.size(), 0u) << "offset 0 is no directory";
}

TEST(StructureTree, TopLevelChangesShapeWhenTheCountPassesAFanOut)
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

    // The GPS directory's tags, by the GPS names, in the first tab's columns.
    rig.Tab.TreeSelect(dirs[3]);
    ASSERT_EQ(rig.Tags.List.Rows.size(), 2u);
    EXPECT_EQ(rig.Tags.List.Rows[1],
              (TKvTagRow{"GPSLatitude", "Rational", "3", "48/1, 51/1, 0/1"}));
    EXPECT_TRUE(rig.Copy.Enabled);
    EXPECT_FALSE(rig.View.Enabled);
    rig.Tab.ButCopyTagsAsTextClick();
    EXPECT_EQ(rig.Host.Clipboard,
              "GPSLatitudeRef (2 ASCII): N\r\nGPSLatitude (3 Rational): 48/1, 51/1, 0/1\r\n");

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

// A damaged file's problems, one row each; choosing one, or a byte of the
// map, selects the directory and the entry they are about.
TEST(StructureTab, ProblemsAndMapLeadToTheirDirectoryAndEntry)
{
    TTiff tiff = Nested();
    // The GPS tags out of order, and a value beyond the end of the file.
    tiff.Ifds[5].Entries = {Rational(2, {{48, 1}, {51, 1}, {0, 1}}), Ascii(1, "N"),
                            Bare(4, tRational, 3).WithField(0x7FFFFF00)};
    const TLayout layout = Lay(tiff);
    TStructureRig rig(tiff, "damaged.tif", 2);
    ASSERT_TRUE(rig.AwaitAnalysis());
    ASSERT_TRUE(rig.Map.Result);
    const auto& rows = rig.Problems.List.Rows;
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rig.Progress.Text, std::to_string(rows.size()) + " problems found");
    std::int32_t outside = -1;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i][2] == "page 1 > GPS directory" &&
            rows[i][3].find("[value-outside]") != std::string::npos)
            outside = std::int32_t(i);
    ASSERT_GE(outside, 0) << rows[0][3];
    EXPECT_EQ(rows[std::size_t(outside)][0], "error");

    rig.Problems.SelectRow(outside);
    rig.Tab.LivProblemsSelectItem();
    ASSERT_EQ(rig.Tree.Selected.size(), 2u);
    EXPECT_EQ(rig.Tab.NodeLabel(rig.Tree.Selected[1]).rfind("GPS directory at offset ", 0), 0u);
    EXPECT_EQ(rig.Tags.SelectedIndex(), 2);

    // The EXIF directory's rational value lies after its entries.
    rig.Tab.ByteMapClick(layout.IfdOffsets[4] + DirectorySize(2) + 1);
    ASSERT_EQ(rig.Tree.Selected.size(), 2u);
    EXPECT_EQ(rig.Tab.NodeLabel(rig.Tree.Selected[1]).rfind("EXIF directory at offset ", 0), 0u);
    EXPECT_EQ(rig.Tags.SelectedIndex(), 0);
}

TEST(StructureTab, FindingPageReadsTheLeadingPageNumber)
{
    std::uint32_t page = 99;
    EXPECT_TRUE(FindingPage("page 12 > EXIF directory", page));
    EXPECT_EQ(page, 11u);
    EXPECT_FALSE(FindingPage("header", page));
    EXPECT_FALSE(FindingPage("page x", page));
    EXPECT_FALSE(FindingPage("page 0", page));
}
