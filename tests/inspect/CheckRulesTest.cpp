// The rules of --check, one broken file each: a clean page with one change
// must raise the rule it breaks, and the clean page raises nothing.
#include "TiffTestFiles.h"

#include <algorithm>
#include <atomic>
#include <sstream>
#include <thread>

#include "DumpTool.h"

using namespace tiffw;

namespace {

struct TRuleCase {
    const char* Rule;
    std::vector<TEntry> Page{};            // added, or in place of the same tag
    std::vector<std::uint16_t> Removed{};  // from the page
    std::uint16_t ChildPointer = 0;        // 0: no child directory
    std::vector<TEntry> Child{};
};

std::vector<TEntry> CleanPage()
{
    return {Long(256, {4}),
            Long(257, {4}),
            Short(258, {8}),
            Short(259, {1}),
            Short(262, {1}),
            Long(273, {4000}),
            Short(277, {1}),
            Long(278, {4}),
            Long(279, {16}),
            Rational(282, {{72, 1}}),
            Rational(283, {{72, 1}}),
            Short(296, {2}),
            Ascii(306, "2024:05:06 07:08:09")};
}

TTiff RuleFile(const TRuleCase& c)
{
    std::vector<TEntry> page = CleanPage();
    std::erase_if(page, [&](const TEntry& e) {
        return std::ranges::count(c.Removed, e.Tag) ||
               std::ranges::any_of(c.Page, [&](const TEntry& n) { return n.Tag == e.Tag; });
    });
    page.insert(page.end(), c.Page.begin(), c.Page.end());
    TTiff tiff;
    if (c.ChildPointer)
        page.push_back(Pointer(c.ChildPointer, {1}));
    std::ranges::stable_sort(page, {}, &TEntry::Tag);
    tiff.Ifds = {Page(page)};
    if (c.ChildPointer)
        tiff.Ifds.push_back(ChildIfd(c.Child));
    tiff.Length = 8192;
    return tiff;
}

const TEntry ExifVersion = Undefined(36864, {'0', '2', '3', '2'});

class CheckRulesTest : public TiffFileTest {
protected:
    int Check(const TTiff& tiff, std::vector<std::string> options = {})
    {
        Out.str("");
        std::ostringstream err;
        options.insert(options.begin(), "--check");
        options.push_back(Write(tiff));
        return RunOrvaneDump(options, Out, err);
    }
    std::ostringstream Out;
};

}  // namespace

TEST_F(CheckRulesTest, CleanPagesAndExifDirectoriesRaiseNothing)
{
    EXPECT_EQ(Check(RuleFile({""})), 0);
    EXPECT_EQ(Out.str(), "No problems found\n");
    EXPECT_EQ(
        Check(RuleFile({"", {}, {}, 34665, {ExifVersion, Ascii(36867, "    :  :     :  :  ")}})),
        0);
    EXPECT_EQ(Out.str(), "No problems found\n");
    // InkNames holds one text per ink, each with its NUL.
    EXPECT_EQ(Check(RuleFile({"", {AsciiRaw(333, std::string("cyan\0magenta\0", 13))}})), 0);
    EXPECT_EQ(Out.str(), "No problems found\n");
}

TEST_F(CheckRulesTest, EachBrokenValueRaisesItsRule)
{
    const std::vector<std::uint16_t> keys = {1, 1, 0, 2, 1024, 0, 1, 2, 1026, 34737, 4, 0};
    const TRuleCase cases[] = {
        {"type-unknown", {Bare(40001, 99, 1)}},
        {"value-outside", {Bare(270, tAscii, 100).WithField(90000)}},
        {"value-odd-offset", {Ascii(270, "an odd place").At(5001)}},
        {"tile-size-missing", {Long(324, {4000}), Long(325, {16})}, {273, 278, 279}},
        {"layout-counts", {Long(279, {16, 16})}},
        {"data-outside", {Long(273, {9000})}},
        {"tag-type", {Ascii(256, "4")}},
        {"tag-count", {Rational(282, {{72, 1}, {1, 1}})}},
        {"count-zero", {Bare(305, tAscii, 0)}},
        {"ascii-not-terminated", {AsciiRaw(305, "writer")}},
        {"ascii-embedded-nul", {AsciiRaw(305, std::string("writer\0\0", 8))}},
        {"datetime-form", {Ascii(306, "06.05.2024 07:08:09")}},
        {"enum-value", {Short(296, {4})}},
        {"enum-value", {Short(274, {9})}},
        {"enum-value", {Short(339, {7})}},
        {"compression-unknown", {Short(259, {40000})}},
        {"resolution-missing", {}, {282}},
        {"per-sample-count", {Short(258, {8, 8})}},
        {"extra-samples-count", {Short(338, {1})}},
        {"colormap-without-palette", {Short(320, std::vector<std::uint16_t>(768, 0))}},
        {"colormap-size", {Short(262, {3}), Short(320, std::vector<std::uint16_t>(48, 0))}},
        {"photometric-tags", {Short(262, {3})}},
        {"photometric-tags", {Short(262, {2})}},
        {"compression-tags", {Short(259, {4})}},
        {"ycbcr-subsampling", {Short(530, {1, 2})}},
        {"jpeg-interchange", {Long(513, {100})}},
        {"jpeg-interchange", {Long(513, {8000}), Long(514, {1000})}},
        {"pointer-type", {Ifd(34665, {}).PointingTo({1})}, {}, 0, {}},
        {"pointer-zero", {Long(34853, {0})}},
        {"version-missing", {}, {}, 34665, {Ascii(36867, "2024:05:06 07:08:09")}},
        {"version-form", {}, {}, 34665, {Undefined(36864, {'2', '.', '3', '2'})}},
        {"version-form", {}, {}, 34853, {Byte(0, {1, 0, 0, 0})}},
        {"type-unknown", {}, {}, 34853, {Bare(0, 99, 4)}},
        {"datetime-form", {}, {}, 34665, {ExifVersion, Ascii(36867, "2024-05-06 07:08:09")}},
        {"tag-type", {}, {}, 34853, {Short(1, {78})}},
        {"geokey-header", {Short(34735, {2, 1, 0, 0})}},
        {"geokey-header", {Short(34735, {1, 1, 0, 3, 1024, 0, 1, 2})}},
        {"geokey-order", {Short(34735, {1, 1, 0, 2, 1025, 0, 1, 1, 1024, 0, 1, 2})}},
        {"geokey-reference", {Short(34735, keys)}},
        {"geokey-reference", {Short(34735, {1, 1, 0, 1, 1024, 33550, 1, 0})}},
    };
    for (const TRuleCase& c : cases) {
        TTiff tiff = RuleFile(c);
        if (std::string(c.Rule) == "pointer-type")
            tiff.Ifds.push_back(ChildIfd({ExifVersion}));
        Check(tiff);
        const std::string out = Out.str();
        EXPECT_NE(out.find(std::string("[") + c.Rule + "]"), std::string::npos) << c.Rule << "\n"
                                                                                << out;
        // The one change raises that rule and no unrelated one.
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            const bool ofRule = line.find(std::string("[") + c.Rule + "]") != std::string::npos;
            EXPECT_TRUE(!line.starts_with("offset ") || ofRule) << c.Rule << ": " << line;
        }
    }
}

// Severities decide the exit code; --strict and --ignore change what counts.
TEST_F(CheckRulesTest, SeveritiesStrictAndIgnoreDecideTheExitCode)
{
    const TTiff warned = RuleFile({"", {}, {282, 283, 296}});
    EXPECT_EQ(Check(warned), 0);
    EXPECT_EQ(Check(warned, {"--strict"}), 1);
    EXPECT_EQ(Check(warned, {"--strict", "--ignore", "resolution-missing"}), 0);
    EXPECT_EQ(Out.str(), "No problems found\n");
    const TTiff broken = RuleFile({"", {Short(296, {4}), Short(259, {40000})}});
    EXPECT_EQ(Check(broken), 1);
    EXPECT_EQ(Out.str(),
              "offset 54: page 1: info [compression-unknown]: Compression 40000 is no scheme "
              "known here\n"
              "offset 150: page 1: error [enum-value]: ResolutionUnit (296) has the undefined "
              "value 4\n"
              "2 problems found (1 error, 0 warnings, 1 info)\n");
    EXPECT_EQ(Check(broken, {"--ignore", "enum-value"}), 0);
    EXPECT_EQ(Check(broken, {"--ignore", "no-such-rule"}), 2);
}

// Checks share what they prepare; a batch runs them on several threads at
// once, and each must still find what one check finds alone.
TEST_F(CheckRulesTest, ChecksOnSeveralThreadsFindWhatOneFindsAlone)
{
    const std::string path = Write(RuleFile({"", {Short(296, {4}), Short(259, {40000})}}));
    const auto check = [&] {
        std::ostringstream out, err;
        RunOrvaneDump({"--check", path}, out, err);
        return out.str();
    };
    const std::string alone = check();
    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads(4);
    for (std::thread& thread : threads)
        thread = std::thread([&] {
            for (int k = 0; k < 20; ++k)
                mismatches += check() != alone;
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(mismatches, 0);
}

TEST_F(CheckRulesTest, JsonFindingsCarryTheirRuleAndEntry)
{
    EXPECT_EQ(Check(RuleFile({"", {AsciiRaw(305, "writer")}}), {"--json"}), 1);
    const std::string out = Out.str();
    EXPECT_NE(out.find("\"findings\":[{\"rule\":\"ascii-not-terminated\",\"severity\":\"error\","
                       "\"offset\":"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("\"directory\":\"page 1\",\"entry\":305,\"message\":\"Software (305) does "
                       "not end with a NUL\"}],\"errors\":1,\"warnings\":0,\"infos\":0}\n"),
              std::string::npos)
        << out;
}

TEST_F(CheckRulesTest, RulesListsEveryRuleWithItsClause)
{
    std::ostringstream out, err;
    EXPECT_EQ(RunOrvaneDump({"--rules"}, out, err), 0);
    for (const char* rule : {"ascii-not-terminated (error)", "resolution-missing (warning)",
                             "compression-unknown (info)", "geokey-reference (error)"})
        EXPECT_NE(out.str().find(std::string("\n") + rule + ": "), std::string::npos) << rule;
    EXPECT_NE(out.str().find("\n    EXIF 2.32, section 4.6.3\n"), std::string::npos);
}
