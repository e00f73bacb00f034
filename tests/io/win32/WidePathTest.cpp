#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "../StoreHelpers.h"
#include "io/win32/WidePath.h"

namespace fs = std::filesystem;

namespace {

// '写真 – Übersicht ŁÓDŹ' and a character beyond the basic plane, as UTF-8.
const std::string UnicodeName = "\xE5\x86\x99\xE7\x9C\x9F \xE2\x80\x93 \xC3\x9C"
                                "bersicht \xC5\x81\xC3\x93"
                                "D\xC5\xB9 "
                                "\xF0\x9F\x93\xB7";

std::wstring CurrentFolder()
{
    return fs::current_path().wstring();
}

// A folder of the test's own, removed with everything in it at the end.
class TTestFolder {
public:
    explicit TTestFolder(const std::wstring& name)
        : FPath(fs::temp_directory_path() / (L"orvane-wide-" + name))
    {
        fs::create_directories(FPath);
    }
    ~TTestFolder()
    {
        std::error_code ignored;
        fs::remove_all(FPath, ignored);
    }
    const fs::path& Path() const { return FPath; }

private:
    fs::path FPath;
};

TResult OpenResult(const std::string& utf8Path)
{
    auto store = NewStore(utf8Path);
    TResult result;
    NewReader(*store, result);
    return result;
}

}  // namespace

TEST(WidePath, TextsRoundTripThroughUtf16)
{
    const std::wstring wide = WideText(UnicodeName);
    EXPECT_EQ(wide, L"\u5199\u771F \u2013 \u00DCbersicht \u0141\u00D3D\u0179 \U0001F4F7");
    EXPECT_EQ(Utf8Text(wide), UnicodeName);
    EXPECT_EQ(Utf8Text(wide.c_str()), UnicodeName);
    EXPECT_EQ(WideText(""), L"");
    EXPECT_EQ(Utf8Text(static_cast<const wchar_t*>(nullptr)), "");
    EXPECT_EQ(WideText("a\xFF"
                       "b"),
              L"a\uFFFDb");
}

TEST(WidePath, ExtendedLengthFormIsAbsoluteAndResolved)
{
    const std::wstring here = CurrentFolder();
    const std::wstring drive = here.substr(0, 2);
    const std::wstring deep = L"C:\\" + std::wstring(300, L'd') + L"\\f.tif";
    const struct {
        std::wstring In, Out;
    } cases[] = {
        {L"C:\\a\\b.tif", L"\\\\?\\C:\\a\\b.tif"},
        {L"C:/a/b.tif", L"\\\\?\\C:\\a\\b.tif"},
        {L"C:\\a\\.\\b\\..\\c.tif", L"\\\\?\\C:\\a\\c.tif"},
        {L"\\\\server\\share\\x.tif", L"\\\\?\\UNC\\server\\share\\x.tif"},
        {L"\\\\server\\share\\d\\..\\x.tif", L"\\\\?\\UNC\\server\\share\\x.tif"},
        {L"\\\\?\\C:\\a\\..\\kept.tif", L"\\\\?\\C:\\a\\..\\kept.tif"},
        {L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
        {L"x.tif", L"\\\\?\\" + (fs::path(here) / L"x.tif").wstring()},
        {L"..\\x.tif", L"\\\\?\\" + (fs::path(here).parent_path() / L"x.tif").wstring()},
        {L"\\root.tif", L"\\\\?\\" + drive + L"\\root.tif"},
        {deep, L"\\\\?\\" + deep},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtendedLengthPath(c.In), c.Out) << fs::path(c.In).string();
}

// The file store opens names outside the code page, below paths longer than
// the old limit, and tells each failure by the system's reason.
TEST(WidePath, FileStoreOpensUnicodeAndLongPaths)
{
    TTestFolder root(L"\u00C4rger \u65E5\u672C");
    fs::path deep = root.Path();
    while (deep.wstring().size() < 320)
        deep /= std::wstring(40, L'\u00E9');
    fs::create_directories(ExtendedLengthPath(deep.wstring()));
    for (const fs::path& folder : {root.Path(), deep}) {
        const std::wstring file = (folder / WideText(UnicodeName + ".tif")).wstring();
        {
            std::ofstream out(fs::path(ExtendedLengthPath(file)), std::ios::binary);
            out << "II*";
        }
        auto store = NewStore(Utf8Text(file));
        TResult result;
        auto reader = NewReader(*store, result);
        ASSERT_NE(reader, nullptr) << result.Text;
        EXPECT_EQ(reader->GetFullSize(), 3u);
        EXPECT_EQ(OpenResult(Utf8Text(file) + ".missing").Text,
                  "ERROR_FILE_NOT_FOUND: The system cannot find the file specified");
    }
    const std::string base = Utf8Text(root.Path().wstring());
    EXPECT_EQ(OpenResult(base + "\\missing\\a.tif").Text,
              "ERROR_PATH_NOT_FOUND: The system cannot find the path specified");
    EXPECT_EQ(OpenResult(base + "\\a?.tif").Text,
              "ERROR_INVALID_NAME: The filename, directory name, or volume label syntax is "
              "incorrect.");
}

TEST(WidePath, FileWrittenByAnotherIsASharingViolation)
{
    TTestFolder root(L"share");
    const fs::path file = root.Path() / L"busy.tif";
    HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenResult(Utf8Text(file.wstring())).Text,
              "ERROR_SHARING_VIOLATION: The process cannot access the file because it is being "
              "used by another process");
    CloseHandle(writer);
}
