#include "TiffTestFiles.h"

#include <atomic>
#include <regex>

namespace {
std::atomic<int> FolderCounter{0};
}

void TiffFileTest::SetUp()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Folder = std::filesystem::temp_directory_path() /
             ("orvane-tiff-" + std::string(info->test_suite_name()) + "-" + info->name() + "-" +
              std::to_string(FolderCounter++));
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
    Reader.EnablePageList(true, Code, Text);
}

void TiffFileTest::TearDown()
{
    std::error_code ignored;
    std::filesystem::remove_all(Folder, ignored);
}

std::string TiffFileTest::Write(const tiffw::TTiff& tiff, const std::string& name)
{
    // A name may hold a folder: on Windows the reader keeps the file it has
    // open, so a case that writes a file of the same name again takes a
    // folder of its own.
    const std::filesystem::path file = Folder / name;
    std::filesystem::create_directories(file.parent_path());
    const std::string path = file.string();
    tiffw::WriteFile(path, tiff);
    return path;
}

void TiffFileTest::OpenTiff(const tiffw::TTiff& tiff, const std::string& name)
{
    OpenPath(Write(tiff, name));
}

void TiffFileTest::OpenPath(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    ASSERT_EQ(Outcome([&] { Reader.Open(path, name, 0, 0, Code, Text); }), "");
}

std::string TiffFileTest::Outcome(const std::function<void()>& call)
{
    Code = ErrOk;
    Text.clear();
    call();
    return Code == ErrOk ? "" : Text;
}

void TiffFileTest::LoadPage(std::uint32_t n)
{
    ASSERT_EQ(Select(n), "");
    ASSERT_EQ(Read(), "");
}

std::string TiffFileTest::Select(std::uint32_t n)
{
    return Outcome([&] { Reader.SelectPage(n, Code, Text); });
}

std::string TiffFileTest::Read()
{
    return Outcome([&] { Reader.ReadPage(Code, Text); });
}

std::string TiffFileTest::ValueFailure(std::uint32_t i)
{
    const std::uint8_t* pointer = nullptr;
    return Outcome([&] { Reader.GetValuePtr(i, pointer, Code, Text); });
}

std::string TiffFileTest::ReadPageInternal()
{
    std::string text;
    Outcome([&] { text = InternalText([&] { Reader.ReadPage(Code, Text); }); });
    static const std::regex position("^KvCodecTiff [0-9]+\\.[0-9]+");
    return std::regex_replace(text, position, "KvCodecTiff N.N");
}

std::uint32_t TiffFileTest::CountPages()
{
    bool final = false;
    for (int guard = 0; !final && guard < 1000000; ++guard) {
        Code = ErrOk;
        Reader.ScanStep(final, Code, Text);
        EXPECT_EQ(Code, ErrOk) << Text;
        if (Code != ErrOk)
            break;
    }
    bool listFinal = false;
    std::uint32_t count = 0;
    Reader.GetPageCount(listFinal, count);
    EXPECT_TRUE(listFinal);
    return count;
}

tiffw::TTiff PagesFile(std::uint32_t pages, tiffw::TOrder order)
{
    tiffw::TTiff tiff;
    tiff.Order = order;
    for (std::uint32_t i = 0; i < pages; ++i)
        tiff.Ifds.push_back(Page({tiffw::Short(297, {static_cast<std::uint16_t>(i), 0})}));
    return tiff;
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, TiffOrderTest,
                         ::testing::Values(tiffw::TOrder::Little, tiffw::TOrder::Big), OrderName);
