// The Explorer-style file open dialog with one filter, "tif" as default
// extension, and placement next to a control.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <string>

#include "window/PlaceNearRect.h"
#include "io/SysErr.h"

class TKvFileDialog {
public:
    TKvFileDialog() = default;
    ~TKvFileDialog();
    TKvFileDialog(const TKvFileDialog&) = delete;
    TKvFileDialog& operator=(const TKvFileDialog&) = delete;

    // Filter: pairs of description and pattern, each ending in a zero
    // character, the list ending in more zero characters.
    void SetFilter(const std::string& filter, std::uint32_t index);
    void SetDereferenceLinks(bool on) { FDereferenceLinks = on; }
    void PositionNearControl(HWND control);

    void Execute(HWND owner, TErrCode& errCode, std::string& errText);

    bool Cancelled() const { return FCancelled; }
    std::string FileName() const { return FFileName; }
    // The shell item identifier of the chosen file, kept until the object
    // is destroyed; null when none was chosen.
    PCIDLIST_ABSOLUTE ChosenItem() const { return FChosenItem; }

private:
    // Room for a name of the longest path the system takes.
    static constexpr DWORD FileBufferLength = 32768;

    static UINT_PTR CALLBACK Hook(HWND hookWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void PlaceDialog(HWND dialog);
    void FileOk(HWND dialog, const OPENFILENAMEW& ofn);
    void ReleaseChosenItem();

    std::string FFilter;
    bool FDereferenceLinks = false;
    bool FNearControl = false;
    TKvRect FControlRect;
    bool FCancelled = false;
    std::string FFileName;
    PIDLIST_ABSOLUTE FChosenItem = nullptr;
    // The error text of a failure inside the hook, which ends the dialog and
    // is reported by Execute.
    std::string FHookFailure;
};

// The Browse button's filter text.
std::string TiffFilterText();
