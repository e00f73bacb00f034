#include "app/win32/WinWidgets.h"

#include <commctrl.h>

#include "io/win32/WidePath.h"
#include "window/win32/KvWindow.h"

void TWinList::Clear()
{
    SendMessageA(FWnd, LVM_DELETEALLITEMS, 0, 0);
}

void TWinList::AddRow(const TKvTagRow& row)
{
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageA(FWnd, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(row[0].c_str());
    int index =
        static_cast<int>(SendMessageA(FWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    for (int sub = 1; sub < 4; ++sub) {
        LVITEMA s{};
        s.iSubItem = sub;
        s.pszText = const_cast<char*>(row[static_cast<std::size_t>(sub)].c_str());
        SendMessageA(FWnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&s));
    }
}

std::int32_t TWinList::SelectedIndex()
{
    return static_cast<std::int32_t>(
        SendMessageA(FWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void TWinList::SelectNone()
{
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(FWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

void TWinList::AddColumns()
{
    AddColumns({{"Tag Code", 120}, {"Data Type", 70}, {"Count", 70}, {"Value", 180}});
}

void TWinList::AddColumns(std::initializer_list<TColumn> columns)
{
    int i = 0;
    for (const TColumn& c : columns) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<char*>(c.Title);
        col.cx = ScaleToDpi(c.Width);
        col.iSubItem = i;
        SendMessageA(FWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i++),
                     reinterpret_cast<LPARAM>(&col));
    }
    SendMessageA(FWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

HWND AddScaledControl(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                      int w, int h, UINT_PTR id, DWORD exStyle)
{
    HWND wnd = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, ScaleToDpi(x),
                               ScaleToDpi(y), ScaleToDpi(w), ScaleToDpi(h), parent,
                               reinterpret_cast<HMENU>(id), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultUiFont()), FALSE);
    return wnd;
}

void TWinPathText::SetText(const std::string& text)
{
    SetWindowTextW(FWnd, WideText(text).c_str());
}
