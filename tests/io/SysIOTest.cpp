#include <gtest/gtest.h>

#include <filesystem>
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
        result = {};
        reader.NextChunk(length, data, result.Code, result.Text);
        if (result.Code != ErrOk)
            break;
        lengths.push_back(length);
        bytes.append(reinterpret_cast<const char*>(data), length);
    }
    return lengths;
}

}  // namespace

TEST(StoreFile, MissingFileTextsAndDescription)
{
    auto store = NewStore(MissingPath(), "a.tif");
    EXPECT_EQ(store->Describe(), "file 'a.tif'");
    TResult result;
    EXPECT_EQ(NewReader(*store, result), nullptr);
    EXPECT_EQ(result, (TResult{ErrFailed, "ERROR_FILE_NOT_FOUND: The system cannot find the "
                                          "file specified"}));
    std::uint32_t size = 0;
    EXPECT_EQ(InternalText([&] { store->GetSize(size, result.Code, result.Text); }),
              "SysIO 2833:65");
}

// Each reason is the user's to act on, in every reader mode.
TEST(StoreFile, OpenFailuresSayWhyInTheSystemsWords)
{
    TTempFile file("II*");
    const std::string folder = file.Path() + ".d";
    std::filesystem::create_directory(folder);
    const struct {
        std::string Path;
        const char* Text;
    } cases[] = {
        {file.Path() + "/inner.tif",
         "ERROR_PATH_NOT_FOUND: The system cannot find the path specified"},
        {folder, "ERROR_ACCESS_DENIED: Access is denied"},
    };
    for (const auto& c : cases)
        for (TIOReaderMode mode : {iorRandom, iorBuffer, iorBufferMulrea}) {
            auto store = NewStore(c.Path);
            TResult result;
            EXPECT_EQ(NewReader(*store, result, mode), nullptr);
            EXPECT_EQ(result, (TResult{ErrFailed, c.Text})) << c.Path << " mode " << mode;
        }
    std::filesystem::remove(folder);
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
    EXPECT_EQ(NewReader(*store, result)->GetFullSize(), 10u);
}

TEST(Handles, ClosedWhenReadersAndStoresGo)
{
    TTempFile file(PatternBytes(3 * 8192));
    int before = OpenHandleCount();
    {
        auto store = NewStore(file.Path());
        TResult result;
        auto first = NewReader(*store, result);
        auto second = NewReader(*store, result);
        if (before >= 0) {
            EXPECT_EQ(OpenHandleCount(), before + 2);
        } else {  // read sharing only: the open file cannot be deleted
            EXPECT_FALSE(file.TryRemove());
        }
    }
    if (before >= 0) {
        EXPECT_EQ(OpenHandleCount(), before);
    }
    EXPECT_TRUE(file.TryRemove());
}

// The chunked readers are not used by the viewer; one walk each keeps them
// honest at the buffer's edges, and several threads sharing one store's
// chunks must read the file once and all see the same bytes.
TEST(ChunkReaders, SplitAtBufferSizeAndShareOneRead)
{
    std::string content = PatternBytes(20000, 7);
    TTempFile file(content);
    for (TIOReaderMode mode : {iorBuffer, iorBufferMulrea}) {
        auto store = NewStore(file.Path());
        TResult result;
        auto reader = NewReader(*store, result, mode);
        ASSERT_NE(reader, nullptr) << result.Text;
        std::string bytes;
        EXPECT_EQ(WalkChunks(*reader, bytes, result),
                  (std::vector<std::uint32_t>{8192, 8192, 3616}))
            << "mode " << mode;
        EXPECT_TRUE(bytes == content);
        EXPECT_EQ(result, Premature);
    }

    auto store = NewStore(file.Path());
    std::uint64_t readsBefore = TSysFile::ReadCallCount();
    std::vector<std::string> seen(4);
    std::vector<std::thread> threads;
    for (auto& bytes : seen)
        threads.emplace_back([&store, &bytes] {
            TResult result;
            if (auto reader = NewReader(*store, result, iorBufferMulrea))
                WalkChunks(*reader, bytes, result);
        });
    for (auto& thread : threads)
        thread.join();
    for (const auto& bytes : seen)
        EXPECT_TRUE(bytes == content);
    EXPECT_EQ(TSysFile::ReadCallCount() - readsBefore, 3u);
}
