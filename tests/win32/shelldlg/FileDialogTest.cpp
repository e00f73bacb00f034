// Drives the system's open dialog as a user would, from a second thread while
// the dialog runs: a name typed into its name field, then Open.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <functional>
#include <thread>

#include "WinDriving.h"
#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"
#include "shelldlg/win32/KvDialogs.h"

namespace {

constexpr int DialogWaitMs = 15000;

bool SamePath(const std::string& a, const std::string& b)
{
    return lstrcmpiW(WideText(a).c_str(), WideText(b).c_str()) == 0;
}

// The Browse button's dialog; the user first types folder, which the dialog
// must enter, then name.
struct TDialogRun {
    TKvFileDialog Dialog;
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    bool Driven = false;

    TDialogRun(const std::string& folder, const std::string& name)
    {
        Dialog.SetFilter(TiffFilterText(), 0);
        Dialog.SetDereferenceLinks(true);
        std::thread user([&] {
            HWND dialog = nullptr;
            Driven =
                WaitFor([&] { return (dialog = OwnedDialog(nullptr)) != nullptr; }, DialogWaitMs) &&
                TypeIntoOpenDialog(dialog, folder,
                                   [&] {
                                       wchar_t path[MAX_PATH] = {};
                                       SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH,
                                                    reinterpret_cast<LPARAM>(path));
                                       return SamePath(Utf8Text(path), folder);
                                   }) &&
                TypeIntoOpenDialog(dialog, name, [&] { return !IsWindow(dialog); });
            if (IsWindow(dialog))
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        Dialog.Execute(nullptr, ErrCode, ErrText);
        user.join();
    }

    std::string ChosenPath() const
    {
        wchar_t path[MAX_PATH] = {};
        if (Dialog.ChosenItem())
            SHGetPathFromIDListW(Dialog.ChosenItem(), path);
        return Utf8Text(path);
    }
};

}  // namespace

// The confirmed file's item identifier comes from the name resolved within
// the current folder, or from the desktop when the typed name carries a path,
// relative or full. Wine's dialog refuses a name typed without its extension
// before it appends the default one, so that case is left to the native test.
// Folder and names lie outside any code page.
TEST(FileDialog, TypedNamesGiveTheFileAndItsItemIdentifier)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string temp = TempFolderPath();
    const std::string folder = temp + "orvane-dialog \xC3\x84rger \xE6\x97\xA5\xE6\x9C\xAC";
    const std::string scan = folder + "\\\xE5\x86\x99\xE7\x9C\x9F \xE2\x80\x93 \xC5\x81\xC3\x93"
                                      "D\xC5\xB9.tif",
                      deep = folder + "\\sub\\deep.tif";
    CreateDirectoryW(WideText(folder).c_str(), nullptr);
    CreateDirectoryW(WideText(folder + "\\sub").c_str(), nullptr);
    for (const std::string& path : {scan, deep})
        CloseHandle(CreateFileW(WideText(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                nullptr));
    const struct {
        std::string Folder, Typed, Expected;
    } cases[] = {
        {folder, scan.substr(folder.size() + 1), scan},
        {folder, "sub\\deep.tif", deep},
        {folder + "\\sub", scan, scan},
    };
    for (const auto& c : cases) {
        TDialogRun run(c.Folder, c.Typed);
        ASSERT_TRUE(run.Driven) << c.Typed;
        EXPECT_EQ(run.ErrCode, ErrOk) << run.ErrText;
        EXPECT_TRUE(SamePath(run.Dialog.FileName(), c.Expected)) << run.Dialog.FileName();
        EXPECT_TRUE(SamePath(run.ChosenPath(), c.Expected)) << c.Typed;
    }
    // The open dialog moves the process into the folder it opened last,
    // which then could not be removed.
    SetCurrentDirectoryW(WideText(temp).c_str());
    DeleteFileW(WideText(deep).c_str());
    DeleteFileW(WideText(scan).c_str());
    RemoveDirectoryW(WideText(folder + "\\sub").c_str());
    EXPECT_TRUE(RemoveDirectoryW(WideText(folder).c_str())) << "nothing of the test is left";
    CoUninitialize();
}
