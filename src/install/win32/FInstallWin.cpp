#include "install/win32/FInstallWin.h"

#include <cstdlib>
#include <cstring>

#include "install/FInstall.h"
#include "install/FInstallSec.h"
#include "install/FUninstall.h"
#include "install/InstallShell.h"
#include "install/win32/KvWizardWin.h"
#include "install/win32/WinInstallSystem.h"
#include "install/win32/WinUninstallSystem.h"
#include "io/win32/CommandLine.h"
#include "io/win32/WideCalls.h"
#include "product/OrvaneProduct.h"
#include "product/OrvaneRoles.h"
#include "window/win32/KvMessages.h"

namespace {

const char* const InstallBackgroundClass = "TFrmInstall";

TKvRgb RgbOf(COLORREF c)
{
    return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

std::string Argument(std::size_t index)
{
    const std::vector<std::string> words = CommandLineWords();
    return index < words.size() ? words[index] : "";
}

// Only the temporary copy deletes itself, never an installed executable.
bool RunsAsTemporaryCopy()
{
    const std::string own = ModulePath(), temp = TempFolderPath();
    if (own.empty() || temp.empty())
        return false;
    const std::string folder = LongPathName(temp), exe = LongPathName(own);
    return exe.size() > folder.size() && SameTextAscii(exe.substr(0, folder.size()), folder) &&
           SameTextAscii(exe.substr(folder.size(), 3), TempCopyPrefix);
}

}  // namespace

TKvModalResult TFrmInstallWin::ShowModal(HWND owner)
{
    RegisterOnce(InstallBackgroundClass, CS_HREDRAW | CS_VREDRAW, nullptr);
    if (!CreateHandle(0, InstallBackgroundClass, ProgramTitle, WS_POPUP, 0, 0, 0, 0, owner, 0))
        return mrCancel;
    ShowWindow(Handle(), SW_SHOWMAXIMIZED);
    PostMessageA(Handle(), WM_WIZARDSHOWN, 0, 0);
    RunModalLoop(Handle(), owner, FDone);
    if (Handle())
        DestroyWindow(Handle());
    return FResult;
}

void TFrmInstallWin::Paint(HDC dc, const RECT&)
{
    RECT client;
    GetClientRect(Handle(), &client);
    for (const TKvBand& b :
         InstallBackgroundBands(client.bottom, RgbOf(GetSysColor(COLOR_ACTIVECAPTION)),
                                RgbOf(GetSysColor(COLOR_BTNFACE)))) {
        RECT r{0, b.FTop, client.right, b.FBottom};
        HBRUSH brush = CreateSolidBrush(RGB(b.FColour.R, b.FColour.G, b.FColour.B));
        FillRect(dc, &r, brush);
        DeleteObject(brush);
    }
    HFONT font = CreateFontA(-InstallBannerHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, "Arial");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    const std::string banner = InstallBannerText();
    SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 24, 24, banner.c_str(), static_cast<int>(banner.size()));
    SetTextColor(dc, RGB(255, 255, 255));
    TextOutA(dc, 20, 20, banner.c_str(), static_cast<int>(banner.size()));
    SelectObject(dc, old);
    DeleteObject(font);
}

LRESULT TFrmInstallWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (HandlePaintMessage(msg, wParam, result))
        return result;
    if (msg == WM_WIZARDSHOWN) {
        TKvWinInstallSystem sys;
        TKvWizardWin wizard([&sys](TKvWizardWin& host) -> std::unique_ptr<TKvWizard> {
            return std::make_unique<TFrmInstallSec>(host, sys);
        });
        FResult = wizard.ShowModal(Handle());
        FDone = true;
        return 0;
    }
    if (msg == WM_CLOSE)
        return 0;  // the wizard ends the installer, nothing else
    return Default(msg, wParam, lParam);
}

bool RunInstallRole(int role, HWND owner)
{
    switch (role) {
    case orInstall: {
        if (Argument(2) == InstallElevatedMark) {
            TKvWinInstallSystem sys;
            ExitProcess(RunElevatedInstall(sys, Argument(3)));
        }
        TFrmInstallWin background;
        background.ShowModal(owner);
        return true;
    }
    case orUninstall: {
        TKvWinInstallSystem sys;
        TKvWinUninstallSystem procs;
        TKvWizardWin wizard([&](TKvWizardWin& host) -> std::unique_ptr<TKvWizard> {
            return std::make_unique<TFrmUninstall>(host, sys, procs);
        });
        wizard.ShowModal(owner);
        return true;
    }
    case orUninstallSec: {
        TKvWinInstallSystem sys;
        TKvWinUninstallSystem procs;
        std::uintptr_t handle = HandleArgument(Argument(2));
        UninstallSecondStage(sys, procs, Argument(2), Argument(3));
        if (handle != 0 && RunsAsTemporaryCopy())
            DeleteOwnCopyWhenEnded();
        return true;
    }
    }
    return false;
}

void DeleteTemporaryCopyWhenEnded()
{
    if (RunsAsTemporaryCopy())
        DeleteOwnCopyWhenEnded();
}
