// The Explorer-style file open dialog with one filter, "tif" as default
// extension, and placement next to a control.
#pragma once

#include <windows.h>

#include <string>

#include "window/PlaceNearRect.h"
#include "io/SysErr.h"

class TKvFileDialog {
public:
    // Filter: pairs of description and pattern, each ending in a zero
    // character, the list ending in more zero characters.
    void SetFilter(const std::string& filter, std::uint32_t index);
    void SetDereferenceLinks(bool on) { FDereferenceLinks = on; }
    void PositionNearControl(HWND control);

    void Execute(HWND owner, TErrCode& errCode, std::string& errText);

    bool Cancelled() const { return FCancelled; }
    std::string FileName() const { return FFileName; }

private:
    static UINT_PTR CALLBACK Hook(HWND hookWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void PlaceDialog(HWND dialog);

    std::string FFilter;
    bool FDereferenceLinks = false;
    bool FNearControl = false;
    TKvRect FControlRect;
    char FBuffer[MAX_PATH] = {};
    bool FCancelled = false;
    std::string FFileName;
};

// The Browse button's filter text.
std::string TiffFilterText();
