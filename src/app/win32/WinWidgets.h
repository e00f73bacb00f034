// The viewer's widget interfaces over Win32 controls.
#pragma once

#include <windows.h>

#include <initializer_list>

#include "app/OrvaneWidgets.h"
#include "shelldlg/win32/KvExplorerButton.h"

class TWinText : public IKvTextWidget {
public:
    HWND FWnd = nullptr;
    void SetText(const std::string& text) override { SetWindowTextA(FWnd, text.c_str()); }
};

// A field that shows a path: UTF-8 through the wide function, so names
// outside the code page keep their characters.
class TWinPathText : public TWinText {
public:
    void SetText(const std::string& text) override;
};

class TWinButton : public IKvButtonWidget {
public:
    HWND FWnd = nullptr;
    void SetEnabled(bool enabled) override { EnableWindow(FWnd, enabled); }
};

class TWinGlyphButton : public IKvButtonWidget {
public:
    TKvExplorerButton FButton;
    void SetEnabled(bool enabled) override { FButton.SetEnabled(enabled); }
};

class TWinList : public IKvListWidget {
public:
    HWND FWnd = nullptr;
    void Clear() override;
    void AddRow(const TKvTagRow& row) override;
    std::int32_t SelectedIndex() override;
    void SelectNone() override;
    // The tag list's four columns.
    void AddColumns();
    struct TColumn {
        const char* Title;
        int Width;  // at 96 DPI
    };
    void AddColumns(std::initializer_list<TColumn> columns);
};

// A child control at a place given at 96 DPI, in the program's font.
HWND AddScaledControl(HWND parent, const char* cls, const char* text, DWORD style, int x, int y,
                      int w, int h, UINT_PTR id, DWORD exStyle);
