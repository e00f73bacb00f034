// Writes described TIFF files into a private temporary folder and opens them
// with the reader.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "InternalText.h"
#include "TiffWriter.h"
#include "tiff/KvCodecTiff.h"

class TiffFileTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the file; its display name is its file name.
    std::string Write(const tiffw::TTiff& tiff, const std::string& name = "t.tif");
    // Writes the file and opens it in Reader with the page list on, as the
    // window does.
    void OpenTiff(const tiffw::TTiff& tiff, const std::string& name = "t.tif");
    void OpenPath(const std::string& path);

    // Selects and loads page n; fails the test on an error.
    void LoadPage(std::uint32_t n);
    // SelectPage, ReadPage and GetValuePtr of entry i: "" on success, else
    // the failure text (left in Text too).
    std::string Select(std::uint32_t n);
    std::string Read();
    std::string ValueFailure(std::uint32_t i);
    // The internal failure ReadPage raises, its position in the reader's
    // source written "N.N"; "" when it raises none.
    std::string ReadPageInternal();
    // Runs the call from success and gives its failure text, "" on success.
    std::string Outcome(const std::function<void()>& call);
    // Runs ScanStep until final and returns the page count.
    std::uint32_t CountPages();
    // GetPageCount as (final, count).
    std::pair<bool, std::uint32_t> PageCountNow() const
    {
        bool final = false;
        std::uint32_t count = 0;
        Reader.GetPageCount(final, count);
        return {final, count};
    }

    std::filesystem::path Folder;
    TKvCodecTrnTiff Reader;
    TErrCode Code = ErrOk;
    std::string Text;
};

// Tests that run once in each byte order (instantiated in TiffTestFiles.cpp).
class TiffOrderTest : public TiffFileTest, public ::testing::WithParamInterface<tiffw::TOrder> {};

// A page with only the given entries.
inline tiffw::TIfd Page(std::vector<tiffw::TEntry> entries)
{
    tiffw::TIfd ifd;
    ifd.Entries = std::move(entries);
    return ifd;
}

// Test name suffix of a byte order parameter.
inline std::string OrderName(const ::testing::TestParamInfo<tiffw::TOrder>& info)
{
    return info.param == tiffw::TOrder::Big ? "Big" : "Little";
}

// A file of n pages of one small entry each.
tiffw::TTiff PagesFile(std::uint32_t pages, tiffw::TOrder order = tiffw::TOrder::Little);
