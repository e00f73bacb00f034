#include "app/win32/FOrvaneWin.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "app/OrvaneGlyphs.h"
#include "app/StartUp.h"
#include "install/win32/FInstallWin.h"
#include "io/win32/CommandLine.h"
#include "io/win32/WidePath.h"
#include "hexview/win32/FHex.h"
#include "shelldlg/KvShellPath.h"
#include "shelldlg/win32/KvDialogs.h"
#include "update/FUpdateHandOver.h"
#include "window/win32/KvMessages.h"

namespace {

constexpr const char* MainClass = "Kestrova TFrmOrvane";
constexpr const char* SheetClass = "Kestrova TTabSheet";

// The first tab's page: a plain child that passes its controls' notifications
// on to the main window.
class TSheet : public TKvWindow {
public:
    bool Create(HWND parent, const RECT& r)
    {
        RegisterOnce(SheetClass, 0, GetSysColorBrush(COLOR_BTNFACE));
        return CreateHandle(WS_EX_CONTROLPARENT, SheetClass, "", WS_CHILD | WS_VISIBLE, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, parent, 0);
    }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_COMMAND || msg == WM_NOTIFY)
            return SendMessageA(GetAncestor(Handle(), GA_ROOT), msg, wParam, lParam);
        return Default(msg, wParam, lParam);
    }
};

// Sheets live as long as the process; there is one main window.
TSheet Sheets[2];

const char* const StatLabels[5] = {"TIFF file size", "Byte order", "Number of pages", "Page offset",
                                   "Page raster data size"};

}  // namespace

TFrmOrvaneWin::TFrmOrvaneWin(std::string argument, TKvTiffPagesFactory factory)
    : FArgument(std::move(argument)), FFactory(std::move(factory))
{
}

TFrmOrvaneWin::~TFrmOrvaneWin()
{
    if (Handle())
        DestroyWindow(Handle());
}

bool TFrmOrvaneWin::Create()
{
    // The page count of the file named on the command line runs while the
    // window is made, which takes longer than counting a large file.
    MakeLogic();
    FLogic->OpenBeforeWindow(FArgument);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterOnce(MainClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    int w = ScaleToDpi(ClientWidth) + 2 * GetSystemMetrics(SM_CXFIXEDFRAME);
    int h = ScaleToDpi(TrackClientHeight) + 2 * GetSystemMetrics(SM_CYFIXEDFRAME) +
            GetSystemMetrics(SM_CYCAPTION);
    TKvRect wa = ScreenWorkArea();
    int x = wa.Left + (wa.Width() - w) / 2, y = wa.Top + (wa.Height() - h) / 2;
    if (!FApplication.Create(ProgramTitle))
        return false;
    if (!CreateHandle(0, MainClass, InitialCaption, WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, x, y,
                      w, h, FApplication.Handle(), 0))
        return false;
    FApplication.SetMainWindow(Handle());
    FCountWindow->store(Handle());
    if (RoleOfArgument(FArgument) == orViewer) {
        FApplication.ShowInTaskBar();
        ShowWindow(Handle(), SW_SHOW);
    }
    return true;
}

HWND TFrmOrvaneWin::AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w,
                               int h, UINT_PTR id, DWORD exStyle, HWND parent)
{
    return AddScaledControl(parent ? parent : FSheet, cls, text, style, x, y, w, h, id, exStyle);
}

void TFrmOrvaneWin::CreateTabs()
{
    FTabs = AddControl(WC_TABCONTROLA, "", WS_CLIPSIBLINGS, 10, 10, 761, 381, idPageControl, 0,
                       Handle());
    const char* captions[3] = {"Orvane", "Structure", "About"};
    for (int i = 0; i < 3; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(captions[i]);
        SendMessageA(FTabs, TCM_INSERTITEMA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
    }
    RECT r{ScaleToDpi(10), ScaleToDpi(10), ScaleToDpi(10 + 761), ScaleToDpi(10 + 381)};
    SendMessageA(FTabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    FSheetPlace = r;
    Sheets[0].Create(Handle(), r);
    Sheets[1].Create(Handle(), r);
    ShowWindow(Sheets[1].Handle(), SW_HIDE);
    FSheet = Sheets[0].Handle();
    FAbout = Sheets[1].Handle();
}

void TFrmOrvaneWin::CreateStatistics()
{
    HWND grb = AddControl("BUTTON", "Statistics", BS_GROUPBOX, 500, 45, 241, 286);
    SendMessageA(grb, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont(true)), FALSE);
    for (int i = 0; i < 5; ++i) {
        AddControl("STATIC", StatLabels[i], SS_LEFT | SS_CENTERIMAGE, 500 + 20, 45 + 25 + 50 * i,
                   181, 21);
        FStats[i].FWnd = AddControl("EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 500 + 80,
                                    45 + 45 + 50 * i, 141, 21, 0, WS_EX_CLIENTEDGE);
    }
}

void TFrmOrvaneWin::CreateNavigation()
{
    const int lefts[4] = {10, 30, 180, 200};
    const TNavGlyph order[4] = {TNavGlyph::Previous, TNavGlyph::First, TNavGlyph::Next,
                                TNavGlyph::Last};
    const int slot[4] = {1, 0, 2, 3};
    for (int i = 0; i < 4; ++i)
        FNav[i].FButton.Create(FSheet, ScaleToDpi(lefts[i]), ScaleToDpi(310), ScaleToDpi(21),
                               ScaleToDpi(21));
    for (int k = 0; k < 4; ++k)
        FNav[slot[k]].FButton.SetGlyph(DrawNavGlyph(order[k]));
    TFrmOrvane* logic = FLogic.get();
    FNav[0].FButton.OnClick = [logic] { logic->ButFirstClick(); };
    FNav[1].FButton.OnClick = [logic] { logic->ButPreviousClick(); };
    FNav[2].FButton.OnClick = [logic] { logic->ButNextClick(); };
    FNav[3].FButton.OnClick = [logic] { logic->ButLastClick(); };
}

void TFrmOrvaneWin::AddToolTips()
{
    HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                0, 0, 0, 0, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    const struct {
        UINT_PTR FId;
        const char* FHint;
    } hints[] = {
        {idButBrowse, "Pops up a file dialog and opens a TIFF file"},
        {idButViewTagValue, "Pops up a hex dump window to display the selected tag's value"},
        {idButCopyTagsAsText, "Sends a plain-text tag list dump to the clipboard"},
    };
    // Each hint is two tools: the button's own window while it is enabled,
    // and its area of the sheet while it is disabled (a disabled button gets
    // no mouse messages; the sheet does).
    for (const auto& h : hints) {
        HWND control = Control(h.FId);
        TTTOOLINFOA ti{};
        ti.cbSize = sizeof(ti);
        ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        ti.hwnd = FSheet;
        ti.uId = reinterpret_cast<UINT_PTR>(control);
        ti.lpszText = const_cast<char*>(h.FHint);
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
        ti.uFlags = TTF_SUBCLASS;
        ti.uId = h.FId;
        GetWindowRect(control, &ti.rect);
        MapWindowPoints(nullptr, FSheet, reinterpret_cast<POINT*>(&ti.rect), 2);
        SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
    }
    FToolTips = tips;
}

void TFrmOrvaneWin::FormCreate()
{
    SendMessageA(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    CreateTabs();
    FEdiFilename.FWnd = AddControl("EDIT", "", ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 10, 10,
                                   631, 21, 0, WS_EX_CLIENTEDGE);
    AddControl("BUTTON", "Browse", BS_PUSHBUTTON | WS_TABSTOP, 650, 10, 91, 21, idButBrowse);
    FLivTags.FWnd =
        AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                   10, 50, 471, 251, idLivTags, WS_EX_CLIENTEDGE);
    FLivTags.AddColumns();
    FLabPage.FWnd = AddControl("STATIC", "", SS_CENTER | SS_CENTERIMAGE, 50, 310, 121, 21);
    FButView.FWnd = AddControl("BUTTON", "View Tag Value", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                               230, 310, 121, 21, idButViewTagValue);
    FButCopy.FWnd =
        AddControl("BUTTON", "Copy Tags as Text", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 360,
                   310, 121, 21, idButCopyTagsAsText);
    CreateStatistics();
    // The Structure tab makes its windows when first selected.
    FStructure =
        std::make_unique<TOrvaneStructureWin>(*this, FLogic->Shared(), Handle(), FSheetPlace);
    FLogic->OnFileShown = [this](const std::string& path, const std::string& display) {
        FStructure->FileShown(path, display);
    };
    FAboutPage = std::make_unique<TOrvaneAboutWin>(*FLogic);
    FAboutPage->Create(Handle(), FAbout);
    FLiveUpdate = std::make_unique<TOrvaneLiveUpdateWin>(Handle());
    FLogic->SetLiveUpdateHost(FLiveUpdate.get());
    FLiveUpdate->OnRebuildPages = [this] {
        FLogic->BuildAboutPage();
        RebuildManualPage();
    };
    CreateNavigation();
    AddToolTips();
    DragAcceptFiles(Handle(), TRUE);
    PostMessageA(Handle(), WM_STARTUP, 0, 0);
}

// The widgets are the window's members: the logic can hold them before
// their controls exist.
void TFrmOrvaneWin::MakeLogic()
{
    TOrvaneWidgets w{&FEdiFilename, &FLivTags,  &FNav[0],   &FNav[1],  &FLabPage,
                     &FNav[2],      &FNav[3],   &FButView,  &FButCopy, &FStats[0],
                     &FStats[1],    &FStats[2], &FStats[3], &FStats[4]};
    FLogic = std::make_unique<TFrmOrvane>(*this, w, FFactory);
}

void TFrmOrvaneWin::OnCommand(UINT_PTR id)
{
    switch (id) {
    case idButBrowse: FLogic->ButBrowseClick(); break;
    case idButViewTagValue: FLogic->ButViewTagValueClick(); break;
    case idButCopyTagsAsText: FLogic->ButCopyTagsAsTextClick(); break;
    }
}

void TFrmOrvaneWin::OnNotify(const NMHDR& hdr)
{
    if (hdr.idFrom == idLivTags && hdr.code == LVN_ITEMCHANGED) {
        const auto& nm = reinterpret_cast<const NMLISTVIEW&>(hdr);
        if ((nm.uChanged & LVIF_STATE) && ((nm.uNewState ^ nm.uOldState) & LVIS_SELECTED))
            FLogic->LivTagsSelectItem();
    } else if (hdr.idFrom == idPageControl && hdr.code == TCN_SELCHANGE) {
        const LRESULT tab = SendMessageA(FTabs, TCM_GETCURSEL, 0, 0);
        ShowWindow(FSheet, tab == 0 ? SW_SHOW : SW_HIDE);
        FStructure->Show(tab == 1);
        ShowWindow(FAbout, tab == 2 ? SW_SHOW : SW_HIDE);
    }
}

// The path is asked for at its full length: a cut path would open another
// file, or none.
void TFrmOrvaneWin::OnDropFiles(HDROP drop)
{
    UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(length, L'\0');
    if (length > 0)
        DragQueryFileW(drop, 0, path.data(), length + 1);
    DragFinish(drop);
    if (length > 0)
        FLogic->OpenDroppedFile(Utf8Text(path));
}

LRESULT TFrmOrvaneWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: FormCreate(); return 0;
    case WM_STARTUP: FLogic->StartUp(FArgument); return 0;
    case WM_LIVEUPDATE: FLogic->LiveUpdateDone(); return 0;
    case WM_PAGECOUNT:
        FLogic->PageCountProgress();
        FStructure->PageCountProgress();
        return 0;
    case WM_SHOWMANUAL: FAboutPage->ShowManual(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_NOTIFY: OnNotify(*reinterpret_cast<NMHDR*>(lParam)); return 0;
    case WM_DROPFILES: OnDropFiles(reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_GETMINMAXINFO: {
        SetFixedTrackSize(*reinterpret_cast<MINMAXINFO*>(lParam), ScaleToDpi(ClientWidth),
                          ScaleToDpi(TrackClientHeight));
        return 0;
    }
    case WM_SYSCOMMAND:
        // Minimising is the application's: the task bar button then restores
        // this window with every other window of the program.
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            ShowWindow(FApplication.Handle(), SW_MINIMIZE);
            return 0;
        }
        return Default(msg, wParam, lParam);
    case WM_CANCELMODE: {
        // A message box or menu takes over: a control of this window that
        // holds the mouse (a hot glyph button) must let it go and know it.
        HWND captured = GetCapture();
        if (captured && IsChild(Handle(), captured))
            ReleaseCapture();
        return Default(msg, wParam, lParam);
    }
    case WM_CLOSE:
        if (FLogic)
            FLogic->FormClose();
        DestroyWindow(Handle());
        return 0;
    case WM_DESTROY:
        FCountWindow->store(nullptr);
        if (FAboutPage)
            FAboutPage->FormDestroy();
        // The task bar button goes with the window, not when the process ends.
        ShowWindow(FApplication.Handle(), SW_HIDE);
        PostQuitMessage(0);
        return 0;
    }
    return Default(msg, wParam, lParam);
}

void TFrmOrvaneWin::SetCaption(const std::string& text)
{
    SetCaptionText(Handle(), text);
}

void TFrmOrvaneWin::SetApplicationTitle(const std::string& text)
{
    FApplication.SetTitle(text);
}

// The loop of the program: dialog keys (Tab, Enter, Escape) go through the
// dialog manager.
int TFrmOrvaneWin::RunMessageLoop()
{
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!Handle() || !IsDialogMessageW(Handle(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

void TFrmOrvaneWin::ShowError(const std::string& text)
{
    MessageBoxW(Handle(), WideText(text).c_str(), L"Error", MB_OK | MB_ICONERROR);
}

// Every step is checked; a failure leaves the clipboard closed and is shown
// with the system's text.
void TFrmOrvaneWin::SetClipboardText(const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    void* bytes = block ? GlobalLock(block) : nullptr;
    if (!bytes) {
        DWORD failure = GetLastError();
        if (block)
            GlobalFree(block);
        ShowError(SysErrorText(failure));
        return;
    }
    std::memcpy(bytes, text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    DWORD failure = 0;
    if (!OpenClipboard(Handle())) {
        failure = GetLastError();
    } else {
        if (!EmptyClipboard() || !SetClipboardData(CF_TEXT, block))
            failure = GetLastError();
        else
            block = nullptr;
        CloseClipboard();
    }
    if (block)
        GlobalFree(block);
    if (block || failure)
        ShowError(SysErrorText(failure ? failure : ERROR_ACCESS_DENIED));
}

std::string TFrmOrvaneWin::DisplayPath(const std::string& path)
{
    if (!ShellCanParse(path))
        return "";
    const std::wstring wide = WideText(path);
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &pidl, 0, nullptr)) || !pidl)
        return "";
    wchar_t buffer[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(pidl, buffer);
    CoTaskMemFree(pidl);
    return ok ? Utf8Text(buffer) : "";
}

bool TFrmOrvaneWin::ChooseTiffFile(std::string& path, TErrCode& errCode, std::string& errText)
{
    TKvFileDialog dialog;
    dialog.SetFilter(TiffFilterText(), 0);
    dialog.SetDereferenceLinks(true);
    dialog.PositionNearControl(Control(idButBrowse));
    dialog.Execute(Handle(), errCode, errText);
    if (errCode != ErrOk || dialog.Cancelled())
        return false;
    path = dialog.FileName();
    return true;
}

void TFrmOrvaneWin::ShowTagValue(const TKvTagValue& value)
{
    TFrmHex hex;
    if (!hex.Create(Handle()))
        return;
    TKvPoint pos =
        PlaceNearRect(WindowRectOf(Control(idButViewTagValue)), ScaleToDpi(TFrmHex::OuterWidth),
                      ScaleToDpi(TFrmHex::OuterHeight), ScreenWorkArea());
    hex.MoveTo(pos.X, pos.Y);
    SetWindowTextA(hex.Handle(), value.Caption.c_str());
    hex.SetValue(value);
    hex.ShowModal();
}

// A count started before the window exists posts nothing until it does
// (StartUp reads the count itself), nor after it is gone.
std::function<void()> TFrmOrvaneWin::PageCountPoster()
{
    return [target = FCountWindow] {
        if (HWND wnd = target->load())
            PostMessageA(wnd, WM_PAGECOUNT, 0, 0);
    };
}

void TFrmOrvaneWin::RepaintNow()
{
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TFrmOrvaneWin::CloseWindow()
{
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
}

// The windows and routines of the switches come with their own units. Their
// windows are owned by the application window, so that the task bar shows
// the application title for them as it does for the viewer.
void TFrmOrvaneWin::RunSwitchRole(int role)
{
    if (role == orInstall || role == orUninstall || role == orManual)
        FApplication.ShowInTaskBar();
    if (RunInstallRole(role, FApplication.Handle()))
        return;
    if (role == orManual)
        FAboutPage->RunManual();
    else if (role == orUpdate) {
        RunUpdateHandOver(CommandLineWords());
        DeleteTemporaryCopyWhenEnded();
    }
}

std::uint32_t TFrmOrvaneWin::WindowColour()
{
    return GetSysColor(COLOR_BTNFACE);
}

void TFrmOrvaneWin::SetAboutHtml(const std::string& html)
{
    FAboutPage->HtmAbout().SetHtmlQuiet(html);
}

void TFrmOrvaneWin::OpenInShell(const std::string& href)
{
    ShellExecuteA(Handle(), "open", href.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void TFrmOrvaneWin::InstallHelpKey()
{
    FAboutPage->InstallHelpKey();
}

void TFrmOrvaneWin::RebuildManualPage()
{
    if (TFrmHelp* manual = FAboutPage->Manual())
        manual->BuildManualPage();
}
