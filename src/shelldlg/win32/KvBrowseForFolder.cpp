#include "shelldlg/win32/KvBrowseForFolder.h"

#include <cstring>

#include "io/win32/WidePath.h"
#include "shelldlg/KvBrowseLayout.h"
#include "shelldlg/KvShellPath.h"
#include "shelldlg/win32/KvPlacesBar.h"
#include "shelldlg/win32/KvShellPlaces.h"
#include "window/PlaceNearRect.h"
#include "window/win32/KvWindow.h"

namespace {

void FreeItem(LPITEMIDLIST& item)
{
    if (item)
        CoTaskMemFree(item);
    item = nullptr;
}

std::string ClassOf(HWND wnd)
{
    char name[64] = {};
    GetClassNameA(wnd, name, sizeof(name));
    return name;
}

struct TChildWalk {
    HWND FDialog = nullptr;
    HWND FTree = nullptr;
    HWND FButtons[2] = {};
    int FButtonCount = 0;
};

BOOL CALLBACK VisitChild(HWND wnd, LPARAM data)
{
    auto& walk = *reinterpret_cast<TChildWalk*>(data);
    if (GetAncestor(wnd, GA_PARENT) != walk.FDialog)
        return TRUE;
    std::string cls = ClassOf(wnd);
    if (cls == "Static")
        ShowWindow(wnd, SW_HIDE);
    else if (cls == "Button" && walk.FButtonCount < 2)
        walk.FButtons[walk.FButtonCount++] = wnd;
    else if (cls == "SysTreeView32" && !walk.FTree)
        walk.FTree = wnd;
    return TRUE;
}

void MoveTo(HWND wnd, const TKvRect& r)
{
    MoveWindow(wnd, r.Left, r.Top, r.Width(), r.Height(), TRUE);
}

}  // namespace

TKvBrowseForFolder::TKvBrowseForFolder() = default;

TKvBrowseForFolder::~TKvBrowseForFolder()
{
    FBar.reset();
    FreeItem(FInitial);
    FreeItem(FSelection);
    FreeItem(FResult);
}

void TKvBrowseForFolder::PositionNearControl(HWND control)
{
    FNearControl = true;
    FControlRect = WindowRectOf(control);
}

void TKvBrowseForFolder::SetTitle(const std::string& title)
{
    FHasTitle = true;
    FTitle = title;
}

void TKvBrowseForFolder::SetInitialFolder(const std::string& path)
{
    FreeItem(FInitial);
    if (!ShellCanParse(path))
        return;  // the browser opens at its default folder
    const std::wstring wide = WideText(path);
    if (wide.empty())
        return;
    PIDLIST_ABSOLUTE item = nullptr;
    if (SUCCEEDED(SHParseDisplayName(wide.c_str(), nullptr, &item, 0, nullptr)))
        FInitial = item;
}

void TKvBrowseForFolder::SetPlaces(bool on)
{
    if (!on) {
        FPlaces.reset();
        return;
    }
    FPlaces.reset(new (std::nothrow) TKvShellPlaces);
    if (!FPlaces)
        RaiseInternal("KvDialogs 493:53");
    FPlaces->Load();
}

void TKvBrowseForFolder::Execute(HWND owner, std::uint32_t& errCode, std::string& errText)
{
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpfn = &TKvBrowseForFolder::Callback;
    info.lParam = reinterpret_cast<LPARAM>(this);
    FreeItem(FResult);
    FFailure.clear();
    FResult = SHBrowseForFolderW(&info);
    FBar.reset();
    FDialog = nullptr;
    FCancelled = FResult == nullptr;
    if (!FFailure.empty()) {
        errCode = ErrFailed;
        errText = FFailure;
    }
}

std::string TKvBrowseForFolder::FolderPath() const
{
    wchar_t path[MAX_PATH] = {};
    if (!FResult || !SHGetPathFromIDListW(FResult, path))
        RaiseInternal("KvDialogs 517:53");
    return Utf8Text(path);
}

// Failures cannot cross the shell's code: they end the dialog and Execute
// reports them.
int CALLBACK TKvBrowseForFolder::Callback(HWND wnd, UINT msg, LPARAM lParam, LPARAM data)
{
    auto* self = reinterpret_cast<TKvBrowseForFolder*>(data);
    try {
        if (msg == BFFM_INITIALIZED)
            self->Initialised(wnd);
        else if (msg == BFFM_SELCHANGED)
            self->SelectionChanged(reinterpret_cast<LPCITEMIDLIST>(lParam));
    } catch (const std::exception& e) {
        self->FFailure = e.what();
        PostMessageA(wnd, WM_COMMAND, IDCANCEL, 0);
    }
    return 0;
}

void TKvBrowseForFolder::Initialised(HWND dialog)
{
    FDialog = dialog;
    if (FHasTitle)
        SetWindowTextA(dialog, FTitle.c_str());
    if (FCustomLayout)
        BuildCustomLayout();
    PlaceDialog();
    if (FInitial) {
        SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(FInitial));
        return;
    }
    auto* desktop = static_cast<LPITEMIDLIST>(CoTaskMemAlloc(sizeof(USHORT)));
    if (!desktop)
        RaiseInternal("KvDialogs 765:48");
    std::memset(desktop, 0, sizeof(USHORT));
    SendMessageA(dialog, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(desktop));
    CoTaskMemFree(desktop);
}

void TKvBrowseForFolder::PlaceDialog()
{
    TKvRect own = WindowRectOf(FDialog), wa = ScreenWorkArea();
    TKvPoint at{wa.Left + (wa.Width() - own.Width()) / 2,
                wa.Top + (wa.Height() - own.Height()) / 2};
    if (FNearControl)
        at = PlaceNearRect(FControlRect, own.Width(), own.Height(), wa);
    SetWindowPos(FDialog, nullptr, at.X, at.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TKvBrowseForFolder::SelectionChanged(LPCITEMIDLIST item)
{
    FreeItem(FSelection);
    if (item)
        FSelection = ILClone(item);
    if (FBar)
        FBar->SetCurrentItem(FSelection);
}

void TKvBrowseForFolder::SelectPlace(int, int place)
{
    if (FPlaces && FPlaces->Item(place))
        SendMessageA(FDialog, BFFM_SETSELECTIONA, FALSE,
                     reinterpret_cast<LPARAM>(FPlaces->Item(place)));
}

void TKvBrowseForFolder::BuildCustomLayout()
{
    TChildWalk walk;
    walk.FDialog = FDialog;
    EnumChildWindows(FDialog, &VisitChild, reinterpret_cast<LPARAM>(&walk));
    FTree = walk.FTree;
    if (!FTree)
        RaiseInternal("KvDialogs 321:60");
    SetLastError(0);
    LONG_PTR style = GetWindowLongPtrA(FTree, GWL_STYLE);
    if (style == 0 && GetLastError() != 0)
        RaiseInternal("KvDialogs 323:44");
    SetLastError(0);
    if (SetWindowLongPtrA(FTree, GWL_STYLE, style | TVS_SHOWSELALWAYS) == 0 && GetLastError() != 0)
        RaiseInternal("KvDialogs 324:110");
    FOk = walk.FButtons[0];
    FCancel = walk.FButtons[1];
    RECT client;
    if (!GetClientRect(FDialog, &client))
        RaiseInternal("KvDialogs 330:71");

    std::int32_t barWidth = 0;
    if (FPlaces) {
        FBar = std::make_unique<TKvPlacesBar>(std::vector<TKvShellPlaces*>{FPlaces.get()});
        barWidth = FBar->BarWidth();
    }
    TKvBrowseLayout l = BrowseForFolderLayout(client.right, client.bottom, barWidth);
    if (FBar) {
        FBar->Create(FDialog, l.FPlaces.Left, l.FPlaces.Top, l.FPlaces.Width(), l.FPlaces.Height());
        FBar->SetOnClick([this](int list, int place) { SelectPlace(list, place); });
    }
    FBevel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 10,
                             l.FBottom.Top + 10, l.FBevelWidth, 2, FDialog, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    MoveTo(FTree, l.FTree);
    if (FOk)
        MoveTo(FOk, l.FOk);
    if (FCancel)
        MoveTo(FCancel, l.FCancel);
    RECT r;
    if (!GetWindowRect(FDialog, &r))
        RaiseInternal("KvDialogs 416:73");
    SetWindowPos(FDialog, nullptr, 0, 0, r.right - r.left + l.FWiden, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
