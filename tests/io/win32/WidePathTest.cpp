#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

#include "../StoreHelpers.h"
#include "io/win32/WidePath.h"

namespace fs = std::filesystem;

TEST(WidePath, ExtendedLengthFormIsAbsoluteAndResolved)
{
    const fs::path here = fs::current_path();
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\f.tif";
    const struct {
        std::wstring In, Out;
    } cases[] = {
        {L"C:\\a\\b.tif", L"\\\\?\\C:\\a\\b.tif"},
        {L"C:/a/b.tif", L"\\\\?\\C:\\a\\b.tif"},
        {L"C:\\a\\.\\b\\..\\c.tif", L"\\\\?\\C:\\a\\c.tif"},
        {L"\\\\server\\share\\d\\..\\x.tif", L"\\\\?\\UNC\\server\\share\\x.tif"},
        {L"\\\\?\\C:\\a\\..\\kept.tif", L"\\\\?\\C:\\a\\..\\kept.tif"},
        {L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
        {L"..\\x.tif", L"\\\\?\\" + (here.parent_path() / L"x.tif").wstring()},
        {L"\\root.tif", L"\\\\?\\" + here.wstring().substr(0, 2) + L"\\root.tif"},
        {deep, L"\\\\?\\" + deep},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtendedLengthPath(c.In), c.Out) << fs::path(c.In).string();
}

// Each reason a file cannot be opened is told in the system's words, for
// names outside the code page too.
TEST(WidePath, OpenFailuresOfUnicodeNamesSayWhy)
{
    const fs::path folder = fs::temp_directory_path() / L"orvane-wide-\u00C4rger \u65E5\u672C";
    fs::create_directories(folder);
    const std::string base = Utf8Text(folder.wstring());
    HANDLE writer =
        CreateFileW((folder / L"\u5199\u771F.tif").c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const struct {
        std::string Path, Text;
    } cases[] = {
        {base + "\\\xE5\x86\x99\xE7\x9C\x9F.tif",
         "ERROR_SHARING_VIOLATION: The process cannot access the file because it is being used "
         "by another process"},
        {base + "\\\xE5\x86\x99.tif", "ERROR_FILE_NOT_FOUND: The system cannot find the file "
                                      "specified"},
        {base + "\\missing\\a.tif", "ERROR_PATH_NOT_FOUND: The system cannot find the path "
                                    "specified"},
        {base + "\\a?.tif", "ERROR_INVALID_NAME: The filename, directory name, or volume label "
                            "syntax is incorrect."},
    };
    for (const auto& c : cases) {
        auto store = NewStore(c.Path);
        TResult result;
        EXPECT_EQ(NewReader(*store, result), nullptr);
        EXPECT_EQ(result.Text, c.Text) << c.Path;
    }
    CloseHandle(writer);
    std::error_code ignored;
    fs::remove_all(ExtendedLengthPath(folder.wstring()), ignored);
}
