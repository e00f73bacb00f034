// The tag value window on the sample with an XMP packet in non-Latin scripts
// and an ICC profile, added by exiftool when the test was built.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <sstream>
#include <thread>

#include "DumpDecode.h"
#include "DumpOptions.h"
#include "WinDriving.h"
#include "app/KvTiffCodecPages.h"
#include "app/win32/FOrvaneWin.h"
#include "hexview/win32/FHex.h"
#include "io/SysFile.h"
#include "io/win32/WidePath.h"

namespace {

std::string TempPath(const std::string& name)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return Utf8Text(dir) + name;
}

std::string WideTextOf(HWND wnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(wnd, text.data(), int(text.size()))));
    return Utf8Text(text);
}

bool Visible(HWND wnd)
{
    return (GetWindowLongW(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::function<void(TFrmHex&)> Inspect;
void CALLBACK InspectTimer(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    if (TFrmHex* hex = TFrmHex::Showing()) {
        Inspect(*hex);
        PostMessageA(hex->Handle(), WM_COMMAND, IDCANCEL, 0);
    }
}

// Opens the value window on the first page's row of the tag and runs
// inspect inside it; false when the window did not open.
bool ViewTag(TFrmOrvaneWin& win, const std::string& tag, std::function<void(TFrmHex&)> inspect)
{
    HWND list = win.Control(idLivTags);
    Pump([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) > 0; });
    LVFINDINFOA find{LVFI_STRING, tag.c_str(), 0, {}, 0};
    const LRESULT row = SendMessageA(list, LVM_FINDITEMA, WPARAM(-1), LPARAM(&find));
    LVITEMA item{};
    item.stateMask = item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&item));
    bool ran = false;
    Inspect = [&](TFrmHex& hex) {
        inspect(hex);
        ran = true;
    };
    SetTimer(nullptr, 0, 100, InspectTimer);
    SendMessageA(win.Control(idButViewTagValue), BM_CLICK, 0, 0);
    return row >= 0 && ran;
}

// Switches to the decoded view and returns its text, read back wide.
std::string DecodedText(TFrmHex& hex)
{
    EXPECT_TRUE(Visible(hex.Control(TFrmHex::idRadDecoded)));
    EXPECT_FALSE(Visible(hex.DecodedEdit()));
    SendMessageA(hex.Control(TFrmHex::idRadDecoded), BM_CLICK, 0, 0);
    EXPECT_TRUE(Visible(hex.DecodedEdit()));
    EXPECT_FALSE(Visible(hex.Hexview()->Handle()));
    return WideTextOf(hex.DecodedEdit());
}

// What orvane-dump --extract writes for the tag.
std::string Extracted(const std::string& tiff, const std::string& tag)
{
    TDumpOptions options;
    options.Path = tiff;
    options.ExtractTag = tag;
    options.ExtractPath = TempPath("orvane-extracted.bin");
    std::ostringstream out, err;
    EXPECT_EQ(RunDecodeOrExtract(options, out, err), 0) << err.str();
    return ReadWholeFile(options.ExtractPath);
}

}  // namespace

// A tag without a decoder keeps the hex dump alone; XMP and ICC show their
// decoded texts as they are, Save writes what --extract writes, and a file
// that cannot be written is an error, never a success.
TEST(ValueWindow, DecodedViewShowsNonLatinTextAndSaveWritesTheValue)
{
    if (std::string(ORVANE_VALUES_TIFF).empty())
        GTEST_SKIP() << "exiftool or its ICC profile was missing when the test was built";
    const std::string tiff = WindowsPathOf(ORVANE_VALUES_TIFF);
    TFrmOrvaneWin win(tiff, &CreateTiffCodecPages);
    ASSERT_TRUE(win.Create());
    EXPECT_TRUE(ViewTag(win, "ImageWidth", [](TFrmHex& hex) {
        EXPECT_FALSE(Visible(hex.Control(TFrmHex::idRadHex)));
        EXPECT_FALSE(Visible(hex.Control(TFrmHex::idRadDecoded)));
        EXPECT_TRUE(Visible(hex.Hexview()->Handle()));
    }));

    const std::string saved = TempPath("orvane-saved \xE6\x97\xA5.xmp");
    DeleteFileAt(saved);
    std::string xmp, icc, boxText;
    bool driven = false, savedToMissing = true;
    EXPECT_TRUE(ViewTag(win, "700", [&](TFrmHex& hex) {
        xmp = DecodedText(hex);
        std::thread user([&] {
            HWND dialog = nullptr;
            driven = WaitFor([&] { return (dialog = OwnedDialog(hex.Handle())) != nullptr; }) &&
                     TypeIntoOpenDialog(dialog, saved, [&] { return !IsWindow(dialog); });
            if (dialog && IsWindow(dialog))
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        SendMessageA(hex.Control(TFrmHex::idButSave), BM_CLICK, 0, 0);
        user.join();
    }));
    EXPECT_NE(xmp.find("\r\n          <rdf:li xml:lang='x-default'>Hafen \xE2\x80\x93 "
                       "\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2"
                       "\xD0\xB5\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC</rdf:li>\r\n"),
              std::string::npos)
        << xmp;
    EXPECT_TRUE(driven);
    EXPECT_EQ(ReadWholeFile(saved), Extracted(tiff, "700"));
    EXPECT_GT(ReadWholeFile(saved).size(), 1000u);

    const std::string missing = TempPath("orvane-no-such-folder\\value.icc");
    EXPECT_TRUE(ViewTag(win, "ICCProfile", [&](TFrmHex& hex) {
        icc = DecodedText(hex);
        std::thread user([&] {
            HWND box = nullptr;
            if (WaitFor([&] { return (box = OwnedDialog(hex.Handle())) != nullptr; })) {
                boxText = CaptionOf(box) + ": " + MessageTextOf(box);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        });
        savedToMissing = hex.SaveTo(missing);
        user.join();
    }));
    EXPECT_NE(icc.find("\r\nColour space: 'RGB ' RGB\r\n"), std::string::npos) << icc;
    EXPECT_FALSE(savedToMissing);
    EXPECT_EQ(boxText, "Error: Cannot write " + missing);
    DeleteFileAt(saved);
    SendMessageA(win.Handle(), WM_CLOSE, 0, 0);
    Pump([] { return false; }, 50);
}
