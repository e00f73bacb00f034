// The live-update text: the built-in default, the parse of what the server or
// the registry gives, and the rules for reading and writing the stored copy.
#include <gtest/gtest.h>

#include "FakeTiff.h"
#include "app/FOrvaneLiveUpdate.h"

namespace {

const char* const News = "line one<br>\r\n<a href=\"x\" title=\"t\">two</a>\r\n";

}  // namespace

TEST(LiveUpdate, BuiltInTextNamesThisVersionAndTheMakersPages)
{
    ASSERT_TRUE(ParseLiveUpdate(DefaultLiveUpdateText()));
    EXPECT_EQ(LatestVersion(), ProgramVersion);
    EXPECT_EQ(InstallerSize(), 47352);
    EXPECT_NE(LatestNews().find("<a href=\"http://kestrova.invalid/imaging/tiff/orvane.html\""),
              std::string::npos);
}

TEST(LiveUpdate, AnyLineEndsGiveTheSameNewsAndATextWithoutAnIntegerLineChangesNothing)
{
    for (const char* text :
         {"2.10\r\n1234\r\nline one<br>\r\n<a href=\"x\" title=\"t\">two</a>\r\n",
          "2.10\n1234\nline one<br>\n<a href=\"x\" title=\"t\">two</a>",
          "2.10\n\r\n1234\r\r\n\nline one<br>\n\n\r\n<a href=\"x\" title=\"t\">two</a>\n\n"}) {
        ASSERT_TRUE(ParseLiveUpdate(text)) << text;
        EXPECT_EQ(LatestVersion(), "2.10");
        EXPECT_EQ(InstallerSize(), 1234);
        EXPECT_EQ(LatestNews(), News) << text;
    }
    ASSERT_TRUE(ParseLiveUpdate("2.00 \n99"));
    EXPECT_EQ(LatestVersion(), "2.00 ");  // blanks count: a different version
    EXPECT_EQ(LatestNews(), "");

    ASSERT_TRUE(ParseLiveUpdate(std::string("2.10\n5\n") + News));
    for (const char* bad : {"3.00", "3.00\n", "3.00\nabc\nnews", "3.00\n12x\nnews", "3.00\n-\n",
                            "3.00\n2147483648\n", "3.00\n 12\n", ""}) {
        EXPECT_FALSE(ParseLiveUpdate(bad)) << bad;
        EXPECT_EQ(LatestVersion(), "2.10");
        EXPECT_EQ(InstallerSize(), 5);
        EXPECT_EQ(LatestNews(), News);
    }
    EXPECT_TRUE(ParseLiveUpdate("2.10\n-2147483648\n"));
    EXPECT_EQ(InstallerSize(), -2147483647 - 1);
}

TEST(LiveUpdate, StoredCopyIsUsedOnlyWhenBinarySmallAndParsableAndOnlySuchIsStored)
{
    // Loads the stored value; how often the registry was read.
    auto load = [](TKvStoredKind kind, const std::string& value) {
        TFakeRegistry registry;
        registry.Kind = kind;
        registry.Value = value;
        LoadLiveUpdate(registry);
        return registry.Reads;
    };
    const std::string good = "2.50\n777\nstored news\n";
    load(TKvStoredKind::Binary, good);
    EXPECT_EQ(LatestVersion(), "2.50");
    EXPECT_EQ(LatestNews(), "stored news\r\n");

    const struct {
        TKvStoredKind Kind;
        std::string Value;
        int Reads;
    } ignored[] = {
        {TKvStoredKind::Absent, "", 0},
        {TKvStoredKind::OtherType, good, 0},
        {TKvStoredKind::Binary, good + std::string(2048 - good.size(), 'x'), 0},  // 2048 bytes
        {TKvStoredKind::Binary, "2.50\nbroken\nnews", 1},
    };
    for (const auto& c : ignored) {
        EXPECT_EQ(load(c.Kind, c.Value), c.Reads) << c.Value.size();
        EXPECT_EQ(LatestVersion(), ProgramVersion) << c.Value.size();
        EXPECT_EQ(InstallerSize(), 47352);
    }
    load(TKvStoredKind::Binary, good + std::string(2047 - good.size(), 'x'));
    EXPECT_EQ(InstallerSize(), 777);

    TFakeRegistry registry;
    EXPECT_FALSE(AcceptLiveUpdate(registry, "2.10\nnot a number\nnews"));
    EXPECT_EQ(registry.Writes, 0);
    std::string big = "2.10\n1\n";
    while (big.size() < 5000)
        big += "news ";
    EXPECT_TRUE(AcceptLiveUpdate(registry, big));  // written whole; a later start ignores it
    EXPECT_EQ(registry.Value, big);
}

// News the HTML engine rejects would put its failure text on the About page
// and the manual at every start.
TEST(LiveUpdate, NewsThatThePagesCannotShowIsNeitherTakenNorShown)
{
    TFakeRegistry registry;
    ASSERT_TRUE(AcceptLiveUpdate(registry, "2.60\n900\n<b>good</b> news\n"));
    EXPECT_EQ(registry.Writes, 1);
    EXPECT_FALSE(AcceptLiveUpdate(registry, "2.70\n901\n<span>x</span>\n"));
    EXPECT_EQ(registry.Writes, 1);
    EXPECT_EQ(LatestVersion(), "2.60");
    EXPECT_EQ(LatestNews(), "<b>good</b> news\r\n");

    registry.Kind = TKvStoredKind::Binary;
    registry.Value = "2.70\n901\n<span>x</span>\n";  // stored by an older program
    LoadLiveUpdate(registry);
    EXPECT_EQ(LatestVersion(), "2.70");
    EXPECT_EQ(InstallerSize(), 901);
    EXPECT_EQ(LatestNews(), "");
}
