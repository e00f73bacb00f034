#include "hexview/win32/FHex.h"

#include <commdlg.h>

#include <algorithm>
#include <utility>

#include "io/SysErr.h"
#include "io/SysFile.h"
#include "io/win32/WidePath.h"

namespace {

constexpr const char* HexFormClass = "Kestrova TFrmHex";
constexpr DWORD SaveNameLength = 32768;

// A file name from the caption: characters the file system refuses become
// underscores.
std::wstring SuggestedName(const std::string& caption)
{
    std::wstring name = WideText(caption.empty() ? std::string("value") : caption);
    std::replace_if(
        name.begin(), name.end(), [](wchar_t c) { return c < 32 || wcschr(L"<>:\"/\\|?*", c); },
        L'_');
    return name + L".bin";
}

}  // namespace

HWND TFrmHex::AddButton(const char* text, DWORD style, int id)
{
    HWND button = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                                  Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                  GetModuleHandleA(nullptr), nullptr);
    SendMessageA(button, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    return button;
}

bool TFrmHex::Create(HWND owner)
{
    FOwner = owner;
    RegisterOnce(HexFormClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    if (!CreateHandle(WS_EX_DLGMODALFRAME, HexFormClass, "Tag view",
                      WS_OVERLAPPEDWINDOW & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX), CW_USEDEFAULT,
                      CW_USEDEFAULT, ScaleToDpi(OuterWidth), ScaleToDpi(OuterHeight), owner, 0))
        return false;
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    FBev = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, 0, 0,
                           Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    FButClose = AddButton("Close", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK);
    FButSave = AddButton("&Save...", WS_TABSTOP | BS_PUSHBUTTON, idButSave);
    FRadHex = AddButton("&Hex", WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON, idRadHex);
    FRadDecoded = AddButton("&Decoded", BS_AUTORADIOBUTTON, idRadDecoded);
    // A wide window, so text outside the ANSI code page is kept as it is.
    FEdiDecoded =
        CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                        WS_CHILD | WS_GROUP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY |
                            ES_AUTOVSCROLL | ES_AUTOHSCROLL,
                        0, 0, 0, 0, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    SendMessageW(FEdiDecoded, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    return true;
}

void TFrmHex::SetValue(TKvTagValue value)
{
    FModel.SetValue(std::move(value));
    const TKvTagValue& shown = FModel.Value();
    FHexview = std::make_unique<TKvHexview>();
    FHexview->Create(Handle(), 10, 10, 41, 41);
    FHexview->SetData(static_cast<std::uint32_t>(shown.Bytes.size()), shown.Bytes.data());
    SendMessageW(FEdiDecoded, EM_LIMITTEXT, 0, 0);
    SetWindowTextW(FEdiDecoded, WideText(FModel.DecodedEditText()).c_str());
    CheckRadioButton(Handle(), idRadHex, idRadDecoded, idRadHex);
    ShowControls();
}

void TFrmHex::ShowControls()
{
    const TTagValueControls controls = FModel.Controls();
    auto show = [](HWND wnd, bool on) { ShowWindow(wnd, on ? SW_SHOWNA : SW_HIDE); };
    if (FHexview)
        show(FHexview->Handle(), controls.HexVisible);
    show(FEdiDecoded, controls.DecodedVisible);
    show(FRadHex, controls.SwitchVisible);
    show(FRadDecoded, controls.SwitchVisible);
    EnableWindow(FButSave, controls.SaveEnabled);
}

void TFrmHex::MoveTo(int left, int top)
{
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmHex::FormShow()
{
    LayoutControls();
    FLayoutActive = true;
}

void TFrmHex::LayoutControls()
{
    FLayoutActive = false;
    RECT rc;
    GetClientRect(Handle(), &rc);
    int w = rc.right, h = rc.bottom;
    auto s = ScaleToDpi;
    if (FHexview)
        MoveWindow(FHexview->Handle(), s(10), s(10), w - s(19), h - s(69), TRUE);
    MoveWindow(FEdiDecoded, s(10), s(10), w - s(19), h - s(69), TRUE);
    // The bevel is (10, H - 50, W - 19, 11), drawn as its bottom line: an
    // etched line of two pixels at its lower edge.
    MoveWindow(FBev, s(10), h - s(50) + s(11) - 2, w - s(19), 2, TRUE);
    MoveWindow(FRadHex, s(10), h - s(30), s(45), s(21), TRUE);
    MoveWindow(FRadDecoded, s(58), h - s(30), s(72), s(21), TRUE);
    MoveWindow(FButSave, w - s(180), h - s(30), s(81), s(21), TRUE);
    MoveWindow(FButClose, w - s(90), h - s(30), s(81), s(21), TRUE);
    FLayoutActive = true;
}

void TFrmHex::ShowModal()
{
    FDone = false;
    TFrmHex* outer = FShowing;
    FShowing = this;
    FormShow();
    EnableWindow(FOwner, FALSE);
    ShowWindow(Handle(), SW_SHOW);
    SetFocus(FButClose);
    RunModalLoop(Handle(), FOwner, FDone);
    if (Handle())
        ShowWindow(Handle(), SW_HIDE);
    FShowing = outer;
}

void TFrmHex::Command(WORD id)
{
    switch (id) {
    case IDOK:
    case IDCANCEL: ButCloseClick(); break;
    case idRadHex:
    case idRadDecoded:
        FModel.ShowPane(id == idRadDecoded ? TTagValuePane::Decoded : TTagValuePane::Hex);
        ShowControls();
        break;
    case idButSave: ButSaveClick(); break;
    }
}

void TFrmHex::ButSaveClick()
{
    std::string path;
    if (ChooseSavePath(path))
        SaveTo(path);
}

bool TFrmHex::SaveTo(const std::string& path)
{
    std::string failure;
    if (WriteWholeFile(path, FModel.Value().FileBytes, failure))
        return true;
    ShowError(failure);
    return false;
}

// False when cancelled; a failing dialog says why.
bool TFrmHex::ChooseSavePath(std::string& path)
{
    std::wstring buffer = SuggestedName(FModel.Value().Caption);
    buffer.resize(SaveNameLength, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = Handle();
    ofn.lpstrFilter = L"All files (*.*)\0*.*\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = SaveNameLength;
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (GetSaveFileNameW(&ofn)) {
        path = Utf8Text(buffer.c_str());
        return true;
    }
    if (DWORD failure = CommDlgExtendedError())
        ShowError(UnexpectedText("FHex; dialog error " + std::to_string(failure)));
    return false;
}

void TFrmHex::ShowError(const std::string& text)
{
    MessageBoxW(Handle(), WideText(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

LRESULT TFrmHex::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0)
            Command(LOWORD(wParam));
        return 0;
    case WM_CLOSE: ButCloseClick(); return 0;
    case WM_SIZE:
        if (FLayoutActive)
            LayoutControls();
        return 0;
    }
    return Default(msg, wParam, lParam);
}
