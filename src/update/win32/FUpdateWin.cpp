#include "update/win32/FUpdateWin.h"
#include "update/win32/UpdateProcessWin32.h"

#include <commctrl.h>

#include <string>

#include "io/SysErr.h"
#include "io/win32/WideCalls.h"
#include "window/win32/KvMessages.h"

namespace {

constexpr const char* UpdateFormClass = "Kestrova TFrmUpdate";

}  // namespace

TFrmUpdateWin::TFrmUpdateWin(TUpdateSource source)
    : FLogic(std::make_unique<TFrmUpdate>(*this, *this, std::move(source)))
{
}

TFrmUpdateWin::~TFrmUpdateWin()
{
    FLogic->FormClose();
    if (Handle())
        DestroyWindow(Handle());
}

bool TFrmUpdateWin::Create(HWND owner)
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    RegisterOnce(UpdateFormClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    RECT frame{0, 0, ScaleToDpi(ClientWidth), ScaleToDpi(ClientHeight)};
    DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    if (!CreateHandle(WS_EX_DLGMODALFRAME, UpdateFormClass, "Orvane Update", style, x, y, w, h,
                      owner, 0))
        return false;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    AddControl("STATIC", "Downloading update...", SS_CENTER | SS_CENTERIMAGE, 20, 10, 431, 31, 0);
    FProgressBar1 = AddControl(PROGRESS_CLASSA, "", 0, 20, 60, 431, 13, 0);
    SendMessageA(FProgressBar1, PBM_SETRANGE32, 0, UpdateProgressMax);
    FButton1 =
        AddControl("BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 370, 100, 81, 21, IDCANCEL);
    return true;
}

HWND TFrmUpdateWin::AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w,
                               int h, UINT_PTR id)
{
    HWND wnd = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, ScaleToDpi(x),
                               ScaleToDpi(y), ScaleToDpi(w), ScaleToDpi(h), Handle(),
                               reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    return wnd;
}

TModalResult TFrmUpdateWin::ShowModal(HWND owner)
{
    if (!Create(owner))
        RaiseInternal("FUpdate 88.12");
    FDone = false;
    FModalResult = TModalResult::None;
    ShowWindow(Handle(), SW_SHOW);
    SetFocus(FButton1);
    FLogic->FormShow();
    RunModalLoop(Handle(), owner, FDone);
    FLogic->FormClose();
    if (Handle())
        ShowWindow(Handle(), SW_HIDE);
    return FModalResult == TModalResult::None ? TModalResult::Cancel : FModalResult;
}

void TFrmUpdateWin::PostToWindow(TUpdateMessage msg, std::uint32_t total)
{
    PostMessageA(Handle(), WM_UPDATESTEP, msg, static_cast<LPARAM>(total));
}

void TFrmUpdateWin::RepaintNow()
{
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TFrmUpdateWin::EndModal(TModalResult result)
{
    FModalResult = result;
    FDone = true;
}

void TFrmUpdateWin::SetPosition(int position)
{
    SendMessageA(FProgressBar1, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TFrmUpdateWin::StartHandOver(const std::string& fileName, TErrCode& errCode,
                                  std::string& errText)
{
    HANDLE self = OpenProcess(SYNCHRONIZE, TRUE, GetCurrentProcessId());
    if (!self)
        RaiseInternal("FUpdate 123.84");
    std::string commandLine = "\"" + fileName + "\" /update " +
                              std::to_string(reinterpret_cast<std::uintptr_t>(self)) + " \"" +
                              ModulePath() + "\"";
    if (!StartProgramLine(commandLine)) {
        errCode = ErrFailed;
        errText = SysErrorText(GetLastError());
    }
    CloseHandle(self);
}

LRESULT TFrmUpdateWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_UPDATESTEP:
        FLogic->HandleMessage(static_cast<TUpdateMessage>(wParam),
                              static_cast<std::uint32_t>(lParam));
        return 0;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL)
            FLogic->Button1Click();
        return 0;
    case WM_CLOSE: FLogic->Button1Click(); return 0;
    case WM_GETMINMAXINFO:
        SetFixedTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam), ScaleToDpi(ClientWidth),
                          ScaleToDpi(ClientHeight));
        return 0;
    }
    return Default(msg, wParam, lParam);
}
