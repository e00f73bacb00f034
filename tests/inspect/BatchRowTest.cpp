// The pieces of a batch check that a run of the program cannot pin down:
// names escaped and read back byte for byte, rows read back by --resume,
// and one checker reused across files giving what a fresh one gives.
#include "TiffTestFiles.h"

#include <random>

#include "BatchResume.h"
#include "DumpFiles.h"
#include "inspect/BatchRow.h"
#include "inspect/PathEscape.h"

namespace {

std::string Unescaped(const std::string& text)
{
    std::string bytes;
    EXPECT_TRUE(UnescapePathText(text, bytes)) << text;
    return bytes;
}

}  // namespace

TEST(PathEscapeTest, NamesReadBackToTheSameBytes)
{
    EXPECT_EQ(EscapePathBytes("plain/Ω日本 😀.tif"), "plain/Ω日本 😀.tif");
    EXPECT_EQ(EscapePathBytes("a\xFF\\x41"), "a\\xFF\\\\x41");
    // Overlong, surrogate, above U+10FFFF, cut short: each byte escaped.
    EXPECT_EQ(EscapePathBytes("\xC0\x80"), "\\xC0\\x80");
    EXPECT_EQ(EscapePathBytes("\xED\xA0\x80"), "\\xED\\xA0\\x80");
    EXPECT_EQ(EscapePathBytes("\xF4\x90\x80\x80"), "\\xF4\\x90\\x80\\x80");
    EXPECT_EQ(EscapePathBytes("\xE2\x82."), "\\xE2\\x82.");
    // Pieces of valid and broken sequences, mixed at random.
    const std::string pieces = "\\x\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xFF"
                               "a";
    std::mt19937 random(29);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 12, '\0');
        for (char& c : bytes)
            c = pieces[random() % pieces.size()];
        EXPECT_EQ(Unescaped(EscapePathBytes(bytes)), bytes);
    }
    std::string bytes;
    for (const char* bad : {"\\", "\\x4", "\\xg0", "\\q", "\\x4a"})
        EXPECT_FALSE(UnescapePathText(bad, bytes)) << bad;
}

TEST(BatchResumeTest, RowsReadBackTheirPaths)
{
    const TCheckOptions options;
    TBatchFindings findings(options);
    TCheckedFile file;
    file.State = TFileState::Unreadable;
    file.Reason = "Opening \"x\", twice:\nfailed";
    // The last path would pass for a clean row to a reader that does not
    // follow the quoting.
    for (const std::string path : {"plain.tif", "comma, \"quote\"\nline.tif", "ctl\x01\t😀.tif",
                                   "back\\\\slash", "x\",\"verdict\":\"clean\",clean,"}) {
        std::string row, read;
        TVerdict verdict = TVerdict::Clean;
        AppendJsonRow(row, path, file, findings);
        ASSERT_EQ(row.back(), '\n');
        EXPECT_EQ(row.find('\n'), row.size() - 1) << row;
        ASSERT_TRUE(JsonRowPath(row, read)) << row;
        EXPECT_EQ(read, path);
        EXPECT_TRUE(RowVerdict(row, false, verdict) && verdict == TVerdict::Unreadable) << row;
        row.clear();
        AppendCsvRow(row, path, file, findings);
        ASSERT_TRUE(CsvRowPath(row, read)) << row;
        EXPECT_EQ(read, path);
        verdict = TVerdict::Clean;
        EXPECT_TRUE(RowVerdict(row, true, verdict) && verdict == TVerdict::Unreadable) << row;
    }
    std::string read;
    EXPECT_FALSE(JsonRowPath("{\"path\":\"cut", read));
    EXPECT_FALSE(CsvRowPath("\"cut,", read));
}

class BatchCheckerTest : public TiffFileTest {};

// A checker keeps its tables and buffers from file to file; nothing of one
// file may leak into the next one's findings.
TEST_F(BatchCheckerTest, OneCheckerForManyFilesFindsWhatFreshOnesFind)
{
    std::vector<std::string> paths;
    for (TNamedFile& named : DumpTestFiles()) {
        paths.push_back(Write(named.Tiff, named.Name));
        named.Tiff.Big = true;
        paths.push_back(Write(named.Tiff, "big-" + named.Name));
    }
    tiffw::TTiff other;
    paths.push_back(Write(other, "no-page.tif"));
    other.Mark = "PK";
    paths.push_back(Write(other, "not-tiff.zip"));
    paths.push_back((Folder / "missing.tif").string());
    const TCheckOptions options;
    const auto row = [&](TStructureChecker& checker, const std::string& path) {
        TBatchFindings findings(options);
        TCheckedFile file;
        checker.Check(path, findings, file);
        std::string text;
        AppendJsonRow(text, path, file, findings);
        return text;
    };
    TStructureChecker reused;
    for (int round = 0; round < 2; ++round)
        for (const std::string& path : paths) {
            TStructureChecker fresh;
            EXPECT_EQ(row(reused, path), row(fresh, path)) << path;
        }
}
