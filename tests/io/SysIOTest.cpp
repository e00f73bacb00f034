#include <gtest/gtest.h>

#include "InternalText.h"
#include "StoreHelpers.h"
#include "TempFile.h"

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
