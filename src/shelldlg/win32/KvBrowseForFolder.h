// The system's folder browser, rearranged: a places bar left of the tree,
// the descriptive texts hidden, OK and Cancel under a bevel line, and the
// dialog placed next to the control that opened it.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "io/SysErr.h"
#include "window/KvGeometry.h"

class TKvShellPlaces;
class TKvPlacesBar;
class TKvBevelBox;

class TKvBrowseForFolder {
public:
    TKvBrowseForFolder();
    ~TKvBrowseForFolder();
    TKvBrowseForFolder(const TKvBrowseForFolder&) = delete;
    TKvBrowseForFolder& operator=(const TKvBrowseForFolder&) = delete;

    void PositionNearControl(HWND control);
    void SetTitle(const std::string& title);
    // A path the shell cannot parse leaves no initial folder.
    void SetInitialFolder(const std::string& path);
    void SetCustomLayout(bool on) { FCustomLayout = on; }
    void SetPlaces(bool on);

    void Execute(HWND owner, std::uint32_t& errCode, std::string& errText);
    bool Cancelled() const { return FCancelled; }
    // The chosen folder's path; raises when it has none (the computer, say).
    std::string FolderPath() const;

    // The dialog while it is open, for tests that drive it.
    HWND Dialog() const { return FDialog; }

private:
    static int CALLBACK Callback(HWND wnd, UINT msg, LPARAM lParam, LPARAM data);
    void Initialised(HWND dialog);
    void SelectionChanged(LPCITEMIDLIST item);
    void BuildCustomLayout();
    void PlaceDialog();
    void SelectPlace(int list, int place);

    bool FNearControl = false;
    TKvRect FControlRect;
    bool FHasTitle = false;
    std::string FTitle;
    LPITEMIDLIST FInitial = nullptr;
    bool FCustomLayout = false;
    std::unique_ptr<TKvShellPlaces> FPlaces;
    HWND FDialog = nullptr;
    HWND FTree = nullptr;
    HWND FOk = nullptr;
    HWND FCancel = nullptr;
    std::unique_ptr<TKvPlacesBar> FBar;
    HWND FBevel = nullptr;
    LPITEMIDLIST FSelection = nullptr;
    bool FCancelled = false;
    LPITEMIDLIST FResult = nullptr;
    std::string FFailure;
};
