#include "shelldlg/win32/KvDialogs.h"

#include <exception>
#include <new>
#include <vector>

#include "io/win32/WidePath.h"
#include "shelldlg/KvFileDialogModel.h"
#include "window/win32/KvWindow.h"

std::string TiffFilterText()
{
    return std::string("TIFF (Tagged Image File Format)") + '\0' + "*.tif;*.tiff" +
           std::string(4, '\0');
}

namespace {

// The item identifier of the dialog's current folder (empty for the
// desktop), freed by the caller.
PIDLIST_ABSOLUTE CurrentFolder(HWND dialog)
{
    LRESULT size = SendMessageA(dialog, CDM_GETFOLDERIDLIST, 0, 0);
    if (size <= 0)
        RaiseInternal(FileOkFailureText(TFileOkStep::FolderId));
    auto folder = static_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(static_cast<SIZE_T>(size)));
    if (!folder)
        throw std::bad_alloc();
    if (SendMessageA(dialog, CDM_GETFOLDERIDLIST, static_cast<WPARAM>(size),
                     reinterpret_cast<LPARAM>(folder)) <= 0) {
        CoTaskMemFree(folder);
        RaiseInternal(FileOkFailureText(TFileOkStep::FolderId));
    }
    return folder;
}

std::string CurrentSpec(HWND dialog)
{
    LRESULT size = SendMessageW(dialog, CDM_GETSPEC, 0, 0);
    if (size <= 0)
        RaiseInternal(FileOkFailureText(TFileOkStep::Name));
    std::vector<wchar_t> text(static_cast<std::size_t>(size) + 1, L'\0');
    if (SendMessageW(dialog, CDM_GETSPEC, static_cast<WPARAM>(size),
                     reinterpret_cast<LPARAM>(text.data())) <= 0)
        RaiseInternal(FileOkFailureText(TFileOkStep::Name));
    return Utf8Text(text.data());
}

// The absolute item identifier of name, within folder or, for a full path,
// from the desktop; null when the shell cannot resolve it.
PIDLIST_ABSOLUTE Resolve(HWND dialog, PCIDLIST_ABSOLUTE folder, const TFileOkName& name)
{
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)))
        return nullptr;
    IShellFolder* parent = desktop;
    bool bound = name.WithinFolder && folder->mkid.cb != 0;
    if (bound && FAILED(desktop->BindToObject(folder, nullptr, IID_IShellFolder,
                                              reinterpret_cast<void**>(&parent))))
        parent = nullptr;
    PIDLIST_RELATIVE child = nullptr;
    std::wstring wide = WideText(name.Name);
    if (parent)
        parent->ParseDisplayName(dialog, nullptr, wide.data(), nullptr, &child, nullptr);
    PIDLIST_ABSOLUTE item = nullptr;
    if (child && name.WithinFolder)
        item = ILCombine(folder, child);
    else if (child)
        item = reinterpret_cast<PIDLIST_ABSOLUTE>(ILClone(child));
    if (child)
        CoTaskMemFree(child);
    if (parent && parent != desktop)
        parent->Release();
    desktop->Release();
    return item;
}

}  // namespace

TKvFileDialog::~TKvFileDialog()
{
    ReleaseChosenItem();
}

void TKvFileDialog::ReleaseChosenItem()
{
    if (FChosenItem)
        CoTaskMemFree(FChosenItem);
    FChosenItem = nullptr;
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
    ReleaseChosenItem();
    FHookFailure.clear();
    const std::wstring filter = WideText(FFilter);
    std::wstring buffer(FileBufferLength, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = FileBufferLength;
    ofn.Flags =
        OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    if (!FDereferenceLinks)
        ofn.Flags |= OFN_NODEREFERENCELINKS;
    ofn.lpstrDefExt = L"tif";
    ofn.lCustData = reinterpret_cast<LPARAM>(this);
    ofn.lpfnHook = &TKvFileDialog::Hook;
    FCancelled = !GetOpenFileNameW(&ofn);
    DWORD failure = FCancelled ? CommDlgExtendedError() : 0;
    if (!FHookFailure.empty()) {
        FCancelled = true;
        ReleaseChosenItem();
        errCode = ErrFailed;
        errText = FHookFailure;
    } else if (failure != 0) {
        errCode = ErrFailed;
        errText = UnexpectedText("KvDialogs; dialog error " + std::to_string(failure));
    }
    FFileName = FCancelled ? std::string() : Utf8Text(buffer.c_str());
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

// Keeps the item identifier of the confirmed file: the current folder's,
// the name, and the name resolved within the folder (or from the desktop).
void TKvFileDialog::FileOk(HWND dialog, const OPENFILENAMEW& ofn)
{
    PIDLIST_ABSOLUTE folder = CurrentFolder(dialog);
    TFileOkName name;
    PIDLIST_ABSOLUTE item = nullptr;
    bool named = false;
    try {
        named = FileOkName(CurrentSpec(dialog), Utf8Text(ofn.lpstrFile), name);
        if (named)
            item = Resolve(dialog, folder, name);
    } catch (...) {
        CoTaskMemFree(folder);
        throw;
    }
    CoTaskMemFree(folder);
    if (!named)
        RaiseInternal(FileOkFailureText(TFileOkStep::Name));
    if (!item)
        RaiseInternal(FileOkFailureText(TFileOkStep::Resolution));
    ReleaseChosenItem();
    FChosenItem = item;
}

// No exception may leave the hook into the system's dialog code: a failure
// refuses the name, closes the dialog and is reported by Execute.
UINT_PTR CALLBACK TKvFileDialog::Hook(HWND hookWnd, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        auto* ofn = reinterpret_cast<OPENFILENAMEW*>(lParam);
        SetWindowLongPtrA(hookWnd, GWLP_USERDATA, ofn->lCustData);
        return 0;
    }
    auto* self = reinterpret_cast<TKvFileDialog*>(GetWindowLongPtrA(hookWnd, GWLP_USERDATA));
    if (msg != WM_NOTIFY || !self)
        return 0;
    const auto& notify = *reinterpret_cast<OFNOTIFYW*>(lParam);
    HWND dialog = GetParent(hookWnd);
    if (notify.hdr.code == CDN_INITDONE) {
        self->PlaceDialog(dialog);
    } else if (notify.hdr.code == CDN_FILEOK) {
        try {
            self->FileOk(dialog, *notify.lpOFN);
            return 0;
        } catch (const std::bad_alloc&) {
            self->FHookFailure = OutOfMemoryText;
        } catch (const std::exception& e) {
            self->FHookFailure = UnexpectedText(e.what());
        } catch (...) {
            self->FHookFailure = UnexpectedText("KvDialogs");
        }
        SetWindowLongPtrA(hookWnd, DWLP_MSGRESULT, 1);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return 1;
    }
    return 0;
}
