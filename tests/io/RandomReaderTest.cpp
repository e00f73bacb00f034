#include <gtest/gtest.h>

#include <random>

#include "StoreHelpers.h"
#include "TempFile.h"

namespace {

class RandomReader : public ::testing::Test {
protected:
    void Open(const std::string& path)
    {
        Store = NewStore(path);
        Reader = NewReader(*Store, Result);
        ASSERT_NE(Reader, nullptr) << Result.Text;
    }

    TResult Seek(std::uint32_t position)
    {
        TResult r;
        Reader->Seek(position, r.Code, r.Text);
        return r;
    }

    TResult Read(std::uint32_t count, std::string& bytes)
    {
        TResult r;
        bytes.assign(count, '\0');
        Reader->Read(count, bytes.data(), r.Code, r.Text);
        return r;
    }

    TStorePtr Store;
    std::unique_ptr<TIOReader> Reader;
    TResult Result;
};

}  // namespace

TEST_F(RandomReader, ReadsAndPositions)
{
    std::string content = PatternBytes(1000);
    TTempFile file(content);
    Open(file.Path());
    std::string bytes;

    EXPECT_EQ(Seek(990), TResult{});
    EXPECT_EQ(Read(10, bytes), TResult{});
    EXPECT_EQ(bytes, content.substr(990));
    EXPECT_EQ(Reader->GetPosition(), 1000u);

    EXPECT_EQ(Read(0, bytes), TResult{});  // at the end
    EXPECT_EQ(Seek(5000), TResult{});      // beyond the end is accepted
    EXPECT_EQ(Read(0, bytes), TResult{});
    EXPECT_EQ(Read(1, bytes), Premature);

    Seek(995);
    EXPECT_EQ(Read(6, bytes), Premature);  // across the end
    EXPECT_EQ(Reader->GetPosition(), 995u);
}

// TIFF offsets are unsigned 32-bit, so the second half of a file of 2-4 GiB
// must be reachable, and BigTIFF's reach past 4 GiB; past the end a read
// still fails the ordinary way.
TEST_F(RandomReader, SeeksBeyondTwoAndFourGiB)
{
    TTempFile file("II*\0");
    const std::uint64_t size = 0x140000000ull;  // 5 GiB
    file.Extend(size);
    file.WriteAt(0xC0000000u, "marker");
    file.WriteAt(0x100000010ull, "beyond");
    Open(file.Path());

    EXPECT_EQ(Reader->GetFullSize(), size);
    std::string bytes;
    EXPECT_EQ(Seek(0xC0000000u), TResult{});
    EXPECT_EQ(Read(6, bytes), TResult{});
    EXPECT_EQ(bytes, "marker");
    EXPECT_EQ(Seek(0x80000000u), TResult{});
    EXPECT_EQ(Read(4, bytes), TResult{});
    EXPECT_EQ(bytes, std::string(4, '\0'));

    Reader->SeekFull(0x100000010ull, Result.Code, Result.Text);  // the high half of a position
    EXPECT_EQ(Read(6, bytes), TResult{});
    EXPECT_EQ(bytes, "beyond");
    Reader->SeekFull(size - 2, Result.Code, Result.Text);
    EXPECT_EQ(Read(4, bytes), Premature);
}

// The read-ahead window must be invisible: the same operations give the same
// results, texts, positions and bytes with it and without it, and the bytes it
// lends are those a read gives.
TEST_F(RandomReader, ReadAheadChangesNothing)
{
    const std::uint32_t size = 300000;
    TTempFile file(PatternBytes(size, 7));
    auto store = NewStore(file.Path());
    TResult opened;
    auto windowed = NewReader(*store, opened);
    auto direct = NewReader(*store, opened);
    static_cast<TIOReaderFileRandom&>(*direct).SetReadAhead(false);
    auto& window = static_cast<TIOReaderFileRandom&>(*windowed);

    std::mt19937 random(42);
    const std::uint32_t counts[] = {0, 1, 2, 4, 12, 100, 4096, 4097, 70000};
    for (int step = 0; step < 20000; ++step) {
        TResult a, b;
        std::uint32_t position = static_cast<std::uint32_t>(
            random() % 3 == 0 ? random() % (size + 200) : windowed->GetPosition() + random() % 64);
        windowed->Seek(position, a.Code, a.Text);
        direct->Seek(position, b.Code, b.Text);
        std::uint32_t count = counts[random() % std::size(counts)];
        std::string x(count, '\0'), y(count, '\0');
        // What the window lends is what a read gives.
        const std::uint8_t* lent = random() % 2 ? window.Peek(position, count) : nullptr;
        if (lent) {
            x.assign(reinterpret_cast<const char*>(lent), count);
            windowed->Seek(position + count, a.Code, a.Text);
        } else {
            windowed->Read(count, x.data(), a.Code, a.Text);
        }
        direct->Read(count, y.data(), b.Code, b.Text);
        ASSERT_EQ(a, b) << "step " << step << " at " << position;
        ASSERT_EQ(windowed->GetPosition(), direct->GetPosition());
        if (a.Code == ErrOk) {
            ASSERT_EQ(x, y) << "step " << step << " at " << position;
        }
    }
}
