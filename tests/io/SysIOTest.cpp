#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "InternalText.h"
#include "StoreHelpers.h"
#include "TempFile.h"
#include "io/SysFile.h"

namespace {

// Walks a chunked reader to its end; returns the chunk lengths and the bytes
// and leaves the final failure in result.
std::vector<std::uint32_t> WalkChunks(TIOReader& reader, std::string& bytes, TResult& result)
{
    std::vector<std::uint32_t> lengths;
    for (int guard = 0; guard < 1000; ++guard) {
        std::uint32_t length = 0;
        const std::uint8_t* data = nullptr;
        result = {};  // callers start every call from success
        reader.NextChunk(length, data, result.Code, result.Text);
        if (result.Code != ErrOk)
            break;
        lengths.push_back(length);
        bytes.append(reinterpret_cast<const char*>(data), length);
    }
    return lengths;
}

}  // namespace

TEST(StoreFile, MissingFileTexts)
{
    auto store = NewStore(MissingPath());
    for (TIOReaderMode mode : {iorBuffer, iorRandom}) {
        TResult result;
        EXPECT_EQ(NewReader(*store, mode, result), nullptr);
        EXPECT_EQ(result, (TResult{ErrFailed, "ERROR_FILE_NOT_FOUND: The system cannot find the "
                                              "file specified"}));
    }
    TResult result;
    EXPECT_EQ(NewReader(*store, iorBufferMulrea, result), nullptr);
    EXPECT_EQ(result, (TResult{ErrFailed, "Unexpected error: SysIO 375.80"}));
    EXPECT_EQ(store->GetShareState(), 0);
}

TEST(StoreFile, Describe)
{
    auto store = NewStore("/nowhere/a.tif", "a.tif");
    EXPECT_EQ(store->Describe(), "file 'a.tif'");

    TIOStore* part = nullptr;
    TResult result;
    store->CreatePart(0, 100, part, result.Code, result.Text);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->Describe(), "file 'a.tif', offset=0 and length=100");

    TIOStore* inner = nullptr;
    part->CreatePart(4000000000u, 5, inner, result.Code, result.Text);
    EXPECT_EQ(inner->Describe(), "file 'a.tif', offset=4000000000 and length=5");
    inner->Release();
    part->Release();
}

TEST(StoreFile, OperationsNotOfferedRaise)
{
    TTempFile file("data");
    auto store = NewStore(file.Path());
    TIOStore* part = nullptr;
    TResult result;
    store->CreatePart(1, 2, part, result.Code, result.Text);
    auto* filePart = static_cast<TIOStoreFile*>(part);
    std::uint32_t size = 0;
    TIOChunk* cursor = nullptr;
    std::string text;

    EXPECT_EQ(InternalText([&] { store->GetKindName(text); }),
              "SysIO 1103:32; rekening houden met partial");
    EXPECT_EQ(InternalText([&] { part->GetSize(size, result.Code, result.Text); }),
              "SysIO 3171:32; rekening houden met partial");
    EXPECT_EQ(InternalText([&] { filePart->GetNextChunk(cursor, result.Code, result.Text); }),
              "SysIO 2480:52; rekening houden met partial");
    EXPECT_EQ(InternalText([&] { store->CreateOverlappedReader(); }), "SysIO 651:32");
    EXPECT_EQ(InternalText([&] { NewStore(MissingPath())->GetSize(size, result.Code, text); }),
              "SysIO 2833:65");
    EXPECT_EQ(result.Code, ErrOk);
    part->Release();
}

TEST(StoreFile, SizeIsAskedOnce)
{
    TTempFile file(std::string(10, 'x'));
    auto store = NewStore(file.Path());
    TResult result;
    std::uint32_t size = 0;
    store->GetSize(size, result.Code, result.Text);
    EXPECT_EQ(size, 10u);
    file.Rewrite(std::string(20, 'y'));
    store->GetSize(size, result.Code, result.Text);
    EXPECT_EQ(size, 10u);
    auto reader = NewReader(*store, iorRandom, result);
    reader->GetSize(size, result.Code, result.Text);
    EXPECT_EQ(size, 10u);
}

TEST(ChunkReaders, SplitAtBufferSize)
{
    const struct {
        std::size_t Size;
        std::vector<std::uint32_t> Lengths;
    } cases[] = {
        {0, {}},        {1, {1}},          {8191, {8191}},
        {8192, {8192}}, {8193, {8192, 1}}, {20000, {8192, 8192, 3616}},
    };
    for (const auto& c : cases) {
        std::string content = PatternBytes(c.Size, static_cast<std::uint32_t>(c.Size));
        TTempFile file(content);
        for (TIOReaderMode mode : {iorBuffer, iorBufferMulrea}) {
            auto store = NewStore(file.Path());
            TResult result;
            auto reader = NewReader(*store, mode, result);
            ASSERT_NE(reader, nullptr) << result.Text;
            std::string bytes;
            EXPECT_EQ(WalkChunks(*reader, bytes, result), c.Lengths) << c.Size << " mode " << mode;
            EXPECT_TRUE(bytes == content);
            EXPECT_EQ(result, Premature);
            // Asking again past the end keeps failing rather than starting over.
            std::string again;
            EXPECT_TRUE(WalkChunks(*reader, again, result).empty());
            EXPECT_EQ(result, Premature);
            if (mode == iorBuffer) {
                EXPECT_EQ(reader->GetPosition(), c.Size);
            }
        }
    }
}

TEST(SharedReaders, ReadTheFileOnce)
{
    std::string content = PatternBytes(3 * 8192 + 100);
    TTempFile file(content);
    auto store = NewStore(file.Path());
    TResult result;
    auto first = NewReader(*store, iorBufferMulrea, result);
    auto second = NewReader(*store, iorBufferMulrea, result);
    ASSERT_EQ(store->GetShareState(), 1);

    std::uint64_t readsBefore = TSysFile::ReadCallCount();
    std::string a, b;
    WalkChunks(*first, a, result);
    EXPECT_EQ(store->GetShareState(), 2);
    WalkChunks(*second, b, result);
    EXPECT_EQ(TSysFile::ReadCallCount() - readsBefore, 4u);
    EXPECT_TRUE(a == content);
    EXPECT_TRUE(b == content);

    std::uint32_t size = 0;
    first->GetSize(size, result.Code, result.Text);
    EXPECT_EQ(size, content.size());
}

TEST(SharedReaders, ConcurrentWalksSeeTheSameBytes)
{
    std::string content = PatternBytes(40 * 8192 + 7);
    TTempFile file(content);
    auto store = NewStore(file.Path());
    std::uint64_t readsBefore = TSysFile::ReadCallCount();
    std::vector<std::string> seen(4);
    std::vector<std::thread> threads;
    for (auto& bytes : seen)
        threads.emplace_back([&store, &bytes] {
            TResult result;
            auto reader = NewReader(*store, iorBufferMulrea, result);
            if (reader)
                WalkChunks(*reader, bytes, result);
        });
    for (auto& thread : threads)
        thread.join();
    for (const auto& bytes : seen)
        EXPECT_TRUE(bytes == content);
    EXPECT_EQ(TSysFile::ReadCallCount() - readsBefore, 41u);
}

TEST(SharedReaders, KeepTheirStoreAlive)
{
    TTempFile file("0123456789");
    TIOStoreFile* store = new TIOStoreFile(file.Path(), "x");
    TResult result;
    auto reader = NewReader(*store, iorBufferMulrea, result);
    store->Release();  // the reader's reference remains
    std::string bytes;
    WalkChunks(*reader, bytes, result);
    EXPECT_EQ(bytes, "0123456789");
}

TEST(Handles, ClosedWhenReadersAndStoresGo)
{
    TTempFile file(PatternBytes(3 * 8192));
    int before = OpenHandleCount();
    {
        auto store = NewStore(file.Path());
        TResult result;
        auto random = NewReader(*store, iorRandom, result);
        auto buffered = NewReader(*store, iorBuffer, result);
        auto shared = NewReader(*store, iorBufferMulrea, result);
        std::uint32_t length = 0;
        const std::uint8_t* data = nullptr;
        shared->NextChunk(length, data, result.Code, result.Text);  // mid-file: handle open
        if (before >= 0) {
            EXPECT_EQ(OpenHandleCount(), before + 3);
        } else {  // read sharing only: the open file cannot be deleted
            EXPECT_FALSE(file.TryRemove());
        }
    }
    if (before >= 0) {
        EXPECT_EQ(OpenHandleCount(), before);
    }
    EXPECT_TRUE(file.TryRemove());
}
