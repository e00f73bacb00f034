// What a finished download must be before it is started: its size against
// the response and the announcement, and its bytes against this product.
#include <gtest/gtest.h>

#include "FakeInstaller.h"
#include "update/InstallerCheck.h"

namespace {

class TStringBytes : public TKvByteSource {
public:
    explicit TStringBytes(std::string bytes) : FBytes(std::move(bytes)) {}
    std::uint32_t Size() const override { return static_cast<std::uint32_t>(FBytes.size()); }
    bool Read(std::uint32_t offset, std::uint32_t count, char* out) override
    {
        if (offset > FBytes.size() || count > FBytes.size() - offset)
            return false;
        FBytes.copy(out, count, offset);
        return true;
    }

private:
    std::string FBytes;
};

bool IsInstaller(const std::string& bytes)
{
    TStringBytes source(bytes);
    return IsProductInstaller(source);
}

TEST(DownloadSize, OnlyAWholeBodyOfTheAnnouncedSizeCounts)
{
    const struct {
        bool Framed;
        std::uint32_t Received;
        std::int32_t Announced;
        bool Accepted;
    } cases[] = {
        {true, 100000, 100000, true},  {false, 100000, 100000, true},
        {false, 2, 100000, false},     {true, 99999, 100000, false},
        {true, 100001, 100000, false}, {true, 5000, 0, true},
        {false, 5000, 0, false},       {true, 0, 0, false},
        {false, 0, 0, false},          {true, UnannouncedDownloadLimit + 1, -1, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DownloadSizeAccepted({c.Framed, c.Received, c.Announced}), c.Accepted)
            << c.Framed << " " << c.Received << " " << c.Announced;
    EXPECT_EQ(DownloadLimit(100000), 100000u);
    EXPECT_EQ(DownloadLimit(0), UnannouncedDownloadLimit);
}

TEST(InstallerBytes, OnlyAnExecutableNamingThisProductCounts)
{
    EXPECT_TRUE(IsInstaller(FakeInstaller("Orvane")));
    EXPECT_TRUE(IsInstaller(FakeInstaller("Orvane", 100000)));
    EXPECT_FALSE(IsInstaller(FakeInstaller("Orvane Viewer")));
    EXPECT_FALSE(IsInstaller(FakeInstaller("Other")));
    EXPECT_FALSE(IsInstaller("<html><body>Please sign in</body></html>"));
    EXPECT_FALSE(IsInstaller("MZ"));
    EXPECT_FALSE(IsInstaller(""));
}

// Every length field can lie: no cut and no changed byte may read outside
// the bytes (the sanitizer builds watch), and no cut file passes.
TEST(InstallerBytes, CutOrDamagedFilesAreReadSafely)
{
    const std::string exe = FakeInstaller("Orvane");
    for (std::size_t length = 0; length < exe.size(); ++length)
        EXPECT_FALSE(IsInstaller(exe.substr(0, length))) << length;
    for (std::size_t at = 0; at < exe.size(); ++at)
        for (char value : {'\0', '\x7F', '\xFF'}) {
            std::string damaged = exe;
            damaged[at] = value;
            IsInstaller(damaged);
        }
}

}  // namespace
