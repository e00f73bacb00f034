#include "install/win32/KvWizardWin.h"

#include <cstring>

#include "io/win32/WidePath.h"
#include "shelldlg/win32/KvBrowseForFolder.h"
#include "window/win32/KvMessages.h"

namespace {

const char* const WizardClass = "TKvWizard";
constexpr UINT FirstControlId = 100;

struct TWinControlKind {
    const char* FClass;
    DWORD FStyle;
    DWORD FExStyle;
};

TWinControlKind KindOf(const TKvControlDef& def)
{
    switch (def.FKind) {
    case ckLabel:
        return {"STATIC",
                static_cast<DWORD>(def.FWordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP) |
                    (std::strcmp(def.FName, "LabDirLut") == 0 ? SS_CENTERIMAGE : 0u),
                0};
    case ckBevel: return {"STATIC", SS_ETCHEDHORZ, 0};
    case ckButton: return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ckEdit: return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ckCheckBox: return {"BUTTON", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 0};
    case ckPanel: break;
    }
    return {nullptr, 0, 0};
}

UINT IdOf(const TKvControlDef& def, UINT index)
{
    if (std::strcmp(def.FName, "ButNext") == 0)
        return IDOK;  // Enter
    if (std::strcmp(def.FName, "ButCancel") == 0)
        return IDCANCEL;  // Escape
    return FirstControlId + index;
}

}  // namespace

TKvWizardWin::TKvWizardWin(TLogicFactory factory) : FLogic(factory(*this)) {}

TKvModalResult TKvWizardWin::ShowModal(HWND owner)
{
    RegisterOnce(WizardClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    RECT r{0, 0, ScaleToDpi(WizardClientWidth), ScaleToDpi(WizardClientHeight)};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    int w = r.right - r.left, h = r.bottom - r.top;
    TKvRect wa = ScreenWorkArea();
    if (!CreateHandle(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, WizardClass, FLogic->Caption(),
                      style, wa.Left + (wa.Width() - w) / 2, wa.Top + (wa.Height() - h) / 2, w, h,
                      owner, 0))
        return mrCancel;
    CreateControls();
    ShowWindow(Handle(), SW_SHOW);
    PostMessageA(Handle(), WM_WIZARDSHOWN, 0, 0);
    RunModalLoop(Handle(), owner, FDone);
    if (Handle())
        DestroyWindow(Handle());
    return FResult;
}

void TKvWizardWin::CreateControls()
{
    std::vector<TKvControlDef> defs = FLogic->Controls();
    for (UINT i = 0; i < defs.size(); ++i) {
        const TKvControlDef& s = defs[i];
        TWinControlKind kind = KindOf(s);
        HWND wnd = nullptr;
        if (kind.FClass) {
            TKvRect b = s.FBounds;
            if (s.FKind == ckBevel)  // a line at the bottom of its rectangle
                b.Top = b.Bottom - 2;
            // Wide controls: the folder field and the report carry paths.
            wnd = CreateWindowExW(kind.FExStyle, WideText(kind.FClass).c_str(),
                                  WideText(s.FCaption).c_str(), WS_CHILD | kind.FStyle,
                                  ScaleToDpi(b.Left), ScaleToDpi(b.Top), ScaleToDpi(b.Width()),
                                  ScaleToDpi(b.Height()), Handle(),
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IdOf(s, i))),
                                  GetModuleHandleA(nullptr), nullptr);
            SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
            if (s.FChecked)
                SendMessageA(wnd, BM_SETCHECK, BST_CHECKED, 0);
            if (s.FPage < 0)
                ShowWindow(wnd, SW_SHOW);
        }
        FControls.push_back({s, wnd});
    }
    SendMessageA(Control("ButNext"), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

HWND TKvWizardWin::Control(const char* name) const
{
    for (const TControl& c : FControls)
        if (std::strcmp(c.FSpec.FName, name) == 0)
            return c.FWnd;
    return nullptr;
}

void TKvWizardWin::ShowPanel(int page, bool visible)
{
    for (const TControl& c : FControls)
        if (c.FWnd && c.FSpec.FPage == page)
            ShowWindow(c.FWnd, visible ? SW_SHOW : SW_HIDE);
}

void TKvWizardWin::SetButtonEnabled(TKvWizardButton button, bool enabled)
{
    static const char* const names[] = {"ButPrevious", "ButNext", "ButCancel"};
    EnableWindow(Control(names[button]), enabled);
}

void TKvWizardWin::SetNextCaption(const std::string& caption)
{
    SetWindowTextA(Control("ButNext"), caption.c_str());
}

void TKvWizardWin::SetReport(const std::string& text)
{
    SetWindowTextW(Control("LabReport"), WideText(text).c_str());
}

void TKvWizardWin::PostWork()
{
    PostMessageA(Handle(), WM_WIZARDWORK, 0, 0);
}

// An internal failure of the work is shown by the window procedure; the
// wizard stays on its work page, where Cancel (and so closing) now ends it.
void TKvWizardWin::RunWork()
{
    try {
        FLogic->RunWork();
    } catch (...) {
        EnableWindow(Control("ButCancel"), TRUE);
        throw;
    }
}

void TKvWizardWin::RepaintNow()
{
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TKvWizardWin::EndModal(TKvModalResult result)
{
    FResult = result;
    FDone = true;
}

void TKvWizardWin::SetFolderText(const std::string& text)
{
    SetWindowTextW(Control("EdiFolder"), WideText(text).c_str());
}

bool TKvWizardWin::StartMenuChecked()
{
    return SendMessageA(Control("ChbStartMenu"), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TKvWizardWin::DesktopIconChecked()
{
    return SendMessageA(Control("ChbDesktopIcon"), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

bool TKvWizardWin::BrowseForFolder(const std::string& title, const std::string& start,
                                   std::string& chosen, std::uint32_t& errCode,
                                   std::string& errText)
{
    TKvBrowseForFolder browser;
    browser.PositionNearControl(Control("ButFolderBrowse"));
    browser.SetTitle(title);
    browser.SetInitialFolder(start);
    browser.SetCustomLayout(true);
    browser.SetPlaces(true);
    browser.Execute(Handle(), errCode, errText);
    if (errCode != 0 || browser.Cancelled())
        return false;
    chosen = browser.FolderPath();
    return true;
}

void TKvWizardWin::ShowError(const std::string& text)
{
    MessageBoxW(Handle(), WideText(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

void TKvWizardWin::OnCommand(UINT id, UINT code)
{
    HWND from = GetDlgItem(Handle(), static_cast<int>(id));
    if (code == EN_CHANGE && from == Control("EdiFolder")) {
        std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(from)) + 1, L'\0');
        text.resize(static_cast<std::size_t>(
            GetWindowTextW(from, text.data(), static_cast<int>(text.size()))));
        if (auto* install = dynamic_cast<TFrmInstallSec*>(FLogic.get()))
            install->EdiFolderChange(Utf8Text(text));
        return;
    }
    if (code != BN_CLICKED || !from || !IsWindowEnabled(from) || !IsWindowVisible(from))
        return;  // Escape and Enter arrive for disabled buttons too
    if (id == IDOK)
        FLogic->ButNextClick();
    else if (id == IDCANCEL)
        FLogic->ButCancelClick();
    else if (from == Control("ButPrevious"))
        FLogic->ButPreviousClick();
    else if (from == Control("ButFolderBrowse"))
        if (auto* install = dynamic_cast<TFrmInstallSec*>(FLogic.get()))
            install->ButFolderBrowseClick();
}

LRESULT TKvWizardWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_WIZARDSHOWN: FLogic->Shown(); return 0;
    case WM_WIZARDWORK: RunWork(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_GETMINMAXINFO:
        SetFixedTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam), ScaleToDpi(WizardClientWidth),
                          ScaleToDpi(WizardClientHeight));
        return 0;
    case WM_CLOSE:
        // Closing is cancelling where Cancel works, and finishing on the last
        // page. Anywhere else (the work page, which runs to its end before
        // the loop looks at the result) it still closes: a wizard stuck with
        // every button disabled must never keep the user from closing it.
        if (IsWindowEnabled(Control("ButCancel")))
            FLogic->ButCancelClick();
        else if (IsWindowEnabled(Control("ButNext")))
            EndModal(mrOk);
        else
            EndModal(mrCancel);
        return 0;
    }
    return Default(msg, wParam, lParam);
}
