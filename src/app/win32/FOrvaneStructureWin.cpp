#include "app/win32/FOrvaneStructureWin.h"

#include <commctrl.h>

namespace {

constexpr const char* StructureSheetClass = "Kestrova TStructureSheet";
constexpr UINT_PTR AnalysisTimer = 1;
constexpr UINT AnalysisTickMs = 100;

}  // namespace

void TWinTree::Clear()
{
    SendMessageA(FWnd, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    FItems.clear();
}

// Labels and buttons are asked for when drawn, so a range that grows needs
// no new texts, and a million pages cost only the items someone opened.
void TWinTree::Add(TKvNodeId parent, const std::vector<TKvNodeId>& ids)
{
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent == NoNode ? TVI_ROOT : ItemOf(parent);
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_CHILDREN | TVIF_PARAM;
    insert.item.pszText = LPSTR_TEXTCALLBACKA;
    insert.item.cChildren = I_CHILDRENCALLBACK;
    for (TKvNodeId id : ids) {
        insert.item.lParam = id;
        auto item = reinterpret_cast<HTREEITEM>(
            SendMessageA(FWnd, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (FItems.size() <= std::size_t(id))
            FItems.resize(std::size_t(id) + 1, nullptr);
        FItems[std::size_t(id)] = item;
    }
}

HTREEITEM TWinTree::ItemOf(TKvNodeId id) const
{
    return std::size_t(id) < FItems.size() ? FItems[std::size_t(id)] : nullptr;
}

void TWinTree::SelectPath(const std::vector<TKvNodeId>& path)
{
    for (std::size_t i = 0; i + 1 < path.size(); ++i)
        SendMessageA(FWnd, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(ItemOf(path[i])));
    if (path.empty())
        return;
    HTREEITEM item = ItemOf(path.back());
    SendMessageA(FWnd, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageA(FWnd, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
}

void TWinTree::Redraw()
{
    InvalidateRect(FWnd, nullptr, FALSE);
}

void TWinRowList::SelectRow(std::int32_t row)
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(FList.FWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    SendMessageA(FList.FWnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

TOrvaneStructureWin::TOrvaneStructureWin(IKvOrvaneHost& host,
                                         std::shared_ptr<TTrnTiffShared> shared, HWND parent,
                                         const RECT& place)
    : FHost(host), FShared(std::move(shared)), FParent(parent), FPlace(place)
{
}

void TOrvaneStructureWin::Show(bool shown)
{
    if (!shown) {
        if (Handle())
            ShowWindow(Handle(), SW_HIDE);
        return;
    }
    if (!Handle()) {
        CreateControls();
        FLogic = std::make_unique<TFrmOrvaneStructure>(
            FHost,
            TStructureWidgets{&FTree, &FLivTags, &FButView, &FButCopy, &FLivProblems, &FLabProgress,
                              &FByteMap},
            FShared);
        if (!FPath.empty()) {
            FLogic->FileShown(FPath, FDisplay);
            WatchAnalysis();
        }
    }
    ShowWindow(Handle(), SW_SHOW);
}

void TOrvaneStructureWin::FileShown(const std::string& path, const std::string& display)
{
    FPath = path;
    FDisplay = display;
    if (FLogic) {
        FLogic->FileShown(path, display);
        WatchAnalysis();
    }
}

void TOrvaneStructureWin::WatchAnalysis()
{
    SetTimer(Handle(), AnalysisTimer, AnalysisTickMs, nullptr);
}

void TOrvaneStructureWin::PageCountProgress()
{
    if (FLogic)
        FLogic->PageCountProgress();
}

HWND TOrvaneStructureWin::Control(UINT_PTR id) const
{
    return GetDlgItem(Handle(), static_cast<int>(id));
}

HWND TOrvaneStructureWin::AddControl(const char* cls, const char* text, DWORD style, int x, int y,
                                     int w, int h, UINT_PTR id, DWORD exStyle)
{
    return AddScaledControl(Handle(), cls, text, style, x, y, w, h, id, exStyle);
}

// The tree on the left at the first tab's list height with the check's
// progress below it; on the right the tags with their buttons below, as on
// the first tab, then the problems or the byte map.
void TOrvaneStructureWin::CreateControls()
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterOnce(StructureSheetClass, 0, GetSysColorBrush(COLOR_BTNFACE));
    CreateHandle(WS_EX_CONTROLPARENT, StructureSheetClass, "", WS_CHILD, FPlace.left, FPlace.top,
                 FPlace.right - FPlace.left, FPlace.bottom - FPlace.top, FParent, 0);
    FTree.FWnd =
        AddControl(WC_TREEVIEWA, "",
                   TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_TABSTOP,
                   10, 10, 281, 296, idTreDirectories, WS_EX_CLIENTEDGE);
    FLabProgress.FWnd =
        AddControl("STATIC", "", SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS, 10, 310, 281, 21, 0);
    FLivTags.FList.FWnd =
        AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                   300, 10, 441, 150, idLivStructureTags, WS_EX_CLIENTEDGE);
    FLivTags.FList.AddColumns();
    FButView.FWnd = AddControl("BUTTON", "View Tag Value", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED,
                               300, 168, 111, 21, idButStructureView);
    FButCopy.FWnd =
        AddControl("BUTTON", "Copy Tags as Text", BS_PUSHBUTTON | WS_TABSTOP | WS_DISABLED, 416,
                   168, 121, 21, idButStructureCopy);
    CreateProblemPanel();
}

// Problems and the byte map share the space below the tags, one at a time,
// behind two toggle buttons; the problems come first.
void TOrvaneStructureWin::CreateProblemPanel()
{
    AddControl("BUTTON", "Problems", BS_AUTORADIOBUTTON | BS_PUSHLIKE | WS_GROUP | WS_TABSTOP, 561,
               168, 89, 21, idButShowProblems);
    AddControl("BUTTON", "Byte Map", BS_AUTORADIOBUTTON | BS_PUSHLIKE, 652, 168, 89, 21,
               idButShowByteMap);
    SendMessageA(Control(idButShowProblems), BM_SETCHECK, BST_CHECKED, 0);
    FLivProblems.FList.FWnd =
        AddControl(WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP,
                   300, 197, 441, 134, idLivProblems, WS_EX_CLIENTEDGE);
    FLivProblems.FList.AddColumns(
        {{"Severity", 60}, {"Offset", 70}, {"Directory", 130}, {"Problem", 400}});
    FByteMap.FWin.Create(Handle(), ScaleToDpi(300), ScaleToDpi(197), ScaleToDpi(441),
                         ScaleToDpi(134), idByteMap);
    ShowWindow(FByteMap.FWin.Handle(), SW_HIDE);
    FByteMap.FWin.FOnClick = [this](std::uint64_t offset) { FLogic->ByteMapClick(offset); };
}

void TOrvaneStructureWin::ShowPanel(bool problems)
{
    ShowWindow(FLivProblems.FList.FWnd, problems ? SW_SHOW : SW_HIDE);
    ShowWindow(FByteMap.FWin.Handle(), problems ? SW_HIDE : SW_SHOW);
}

LRESULT TOrvaneStructureWin::OnNotify(const NMHDR& hdr)
{
    if (hdr.idFrom == idTreDirectories) {
        const auto& nm = reinterpret_cast<const NMTREEVIEWA&>(hdr);
        switch (hdr.code) {
        case TVN_GETDISPINFOA: {
            auto& info = const_cast<NMTVDISPINFOA&>(reinterpret_cast<const NMTVDISPINFOA&>(hdr));
            const auto id = static_cast<TKvNodeId>(info.item.lParam);
            if (info.item.mask & TVIF_CHILDREN)
                info.item.cChildren = FLogic->NodeHasChildren(id) ? 1 : 0;
            if ((info.item.mask & TVIF_TEXT) && info.item.cchTextMax > 0)
                lstrcpynA(info.item.pszText, FLogic->NodeLabel(id).c_str(), info.item.cchTextMax);
            return 0;
        }
        case TVN_ITEMEXPANDINGA:
            if (nm.action & TVE_EXPAND)
                FLogic->TreeOpening(static_cast<TKvNodeId>(nm.itemNew.lParam));
            return 0;
        case TVN_SELCHANGEDA:
            FLogic->TreeSelect(nm.itemNew.hItem ? static_cast<TKvNodeId>(nm.itemNew.lParam)
                                                : NoNode);
            return 0;
        }
    } else if (hdr.code == LVN_ITEMCHANGED) {
        const auto& nm = reinterpret_cast<const NMLISTVIEW&>(hdr);
        const bool selected = (nm.uChanged & LVIF_STATE) && (nm.uNewState & LVIS_SELECTED) &&
                              !(nm.uOldState & LVIS_SELECTED);
        if (hdr.idFrom == idLivStructureTags && (nm.uChanged & LVIF_STATE) &&
            ((nm.uNewState ^ nm.uOldState) & LVIS_SELECTED))
            FLogic->LivTagsSelectItem();
        else if (hdr.idFrom == idLivProblems && selected)
            FLogic->LivProblemsSelectItem();
    }
    return 0;
}

void TOrvaneStructureWin::OnCommand(UINT_PTR id)
{
    switch (id) {
    case idButStructureView: FLogic->ButViewTagValueClick(); break;
    case idButStructureCopy: FLogic->ButCopyTagsAsTextClick(); break;
    case idButShowProblems: ShowPanel(true); break;
    case idButShowByteMap: ShowPanel(false); break;
    }
}

LRESULT TOrvaneStructureWin::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && FLogic)
        return OnNotify(*reinterpret_cast<NMHDR*>(lParam));
    if (msg == WM_COMMAND && FLogic) {
        OnCommand(LOWORD(wParam));
        return 0;
    }
    if (msg == WM_TIMER && wParam == AnalysisTimer) {
        if (!FLogic || !FLogic->AnalysisTick())
            KillTimer(Handle(), AnalysisTimer);
        return 0;
    }
    return Default(msg, wParam, lParam);
}
