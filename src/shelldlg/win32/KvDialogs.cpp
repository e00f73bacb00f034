#include "shelldlg/win32/KvDialogs.h"

#include <commdlg.h>

#include "window/win32/KvWindow.h"

std::string TiffFilterText()
{
    return std::string("TIFF (Tagged Image File Format)") + '\0' + "*.tif;*.tiff" +
           std::string(4, '\0');
}

void TKvFileDialog::SetFilter(const std::string& filter, std::uint32_t)
{
    FFilter = filter;
}

void TKvFileDialog::PositionNearControl(HWND control)
{
    FControlRect = WindowRectOf(control);
    FNearControl = true;
}

void TKvFileDialog::Execute(HWND owner, TErrCode& errCode, std::string& errText)
{
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = FFilter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = FBuffer;
    ofn.nMaxFile = MAX_PATH;
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    if (!FDereferenceLinks)
        ofn.Flags |= OFN_NODEREFERENCELINKS;
    ofn.lpstrDefExt = "tif";
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = &TKvFileDialog::Hook;
    FCancelled = !GetOpenFileNameA(&ofn);
    DWORD failure = FCancelled ? CommDlgExtendedError() : 0;
    if (failure != 0) {
        errCode = ErrFailed;
        errText = UnexpectedText("KvDialogs; dialog error " + std::to_string(failure));
    }
    FFileName = FCancelled ? std::string() : std::string(FBuffer);
}

// Centred first, then beside the control when one was given.
void TKvFileDialog::PlaceDialog(HWND dialog)
{
    TKvRect r = WindowRectOf(dialog);
    int w = r.Width(), h = r.Height();
    TKvPoint pos{(GetSystemMetrics(SM_CXSCREEN) - w) / 2, (GetSystemMetrics(SM_CYSCREEN) - h) / 2};
    if (FNearControl)
        pos = PlaceNearRect(FControlRect, w, h, ScreenWorkArea());
    SetWindowPos(dialog, nullptr, pos.X, pos.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

UINT_PTR CALLBACK TKvFileDialog::Hook(HWND hookWnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEA*>(lParam);
        SetWindowLongPtrA(hookWnd, GWLP_USERDATA, ofn->lCustData);
        return 0;
    }
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE) {
        auto* self = reinterpret_cast<TKvFileDialog*>(GetWindowLongPtrA(hookWnd, GWLP_USERDATA));
        if (self)
            self->PlaceDialog(GetParent(hookWnd));
    }
    return 0;
}
