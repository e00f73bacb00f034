// The tag viewer's Win32 window: the controls at their places, the messages
// of the page-count thread and of start-up, and the host services of the
// window logic.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "app/FOrvane.h"
#include <windows.h>
#include <shellapi.h>

#include "app/win32/FOrvaneAboutWin.h"
#include "app/win32/FOrvaneStructureWin.h"
#include "app/win32/KvLiveUpdateRegistry.h"
#include "app/win32/OrvaneLiveUpdateWin.h"
#include "app/win32/WinWidgets.h"
#include "window/win32/KvApplicationWindow.h"
#include "window/win32/KvWindow.h"

enum TOrvaneControlId : UINT_PTR {
    idButBrowse = 101,
    idButViewTagValue,
    idButCopyTagsAsText,
    idLivTags,
    idPageControl,
};

class TFrmOrvaneWin : public TKvWindow, public IKvOrvaneHost {
public:
    static constexpr int ClientWidth = 780;
    // The client area the controls are laid out in.
    static constexpr int ClientHeight = 398;
    // The outer size, fixed by tracking, is taken from a height two pixels
    // more than the client area (plus frame and caption).
    static constexpr int TrackClientHeight = ClientHeight + 2;

    TFrmOrvaneWin(std::string argument, TKvTiffPagesFactory factory);
    ~TFrmOrvaneWin() override;

    // Creates the window, shown unless the argument is a switch.
    bool Create();
    // Runs until the window is closed (WM_QUIT); the result is the exit code.
    int RunMessageLoop();

    TFrmOrvane& Logic() { return *FLogic; }
    TOrvaneLiveUpdateWin& LiveUpdate() { return *FLiveUpdate; }
    HWND Control(UINT_PTR id) const { return GetDlgItem(FSheet, static_cast<int>(id)); }
    HWND Sheet() const { return FSheet; }
    HWND EditOf(int row) const { return FStats[row].FWnd; }
    HWND PageLabel() const { return FLabPage.FWnd; }
    HWND FileNameEdit() const { return FEdiFilename.FWnd; }
    TKvExplorerButton& NavButton(int i) { return FNav[i].FButton; }
    // The task bar's text: the caption of the application window, which
    // owns this one.
    std::string ApplicationTitle() const { return FApplication.Title(); }
    HWND ApplicationWindow() const { return FApplication.Handle(); }
    HWND ToolTips() const { return FToolTips; }

    // IKvOrvaneHost
    void SetCaption(const std::string& text) override;
    void SetApplicationTitle(const std::string& text) override;
    void ShowError(const std::string& text) override;
    void SetClipboardText(const std::string& text) override;
    std::string DisplayPath(const std::string& path) override;
    bool ChooseTiffFile(std::string& path, TErrCode& errCode, std::string& errText) override;
    void ShowTagValue(const TKvTagValue& value) override;
    std::function<void()> PageCountPoster() override;
    void RepaintNow() override;
    void CloseWindow() override;
    void RunSwitchRole(int role) override;
    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return FRegistry; }
    std::uint32_t WindowColour() override;
    void SetAboutHtml(const std::string& html) override;
    void OpenInShell(const std::string& href) override;
    void InstallHelpKey() override;
    void RebuildManualPage() override;

    TOrvaneAboutWin& AboutPage() { return *FAboutPage; }
    TOrvaneStructureWin& StructurePage() { return *FStructure; }
    HWND TabControl() const { return FTabs; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void MakeLogic();
    void FormCreate();
    void CreateTabs();
    HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                    UINT_PTR id = 0, DWORD exStyle = 0, HWND parent = nullptr);
    void CreateStatistics();
    void CreateNavigation();
    void AddToolTips();
    void OnCommand(UINT_PTR id);
    void OnNotify(const NMHDR& hdr);
    void OnDropFiles(HDROP drop);

    std::string FArgument;
    TKvTiffPagesFactory FFactory;
    TKvApplicationWindow FApplication;
    HWND FTabs = nullptr;
    HWND FSheet = nullptr;
    HWND FAbout = nullptr;
    HWND FToolTips = nullptr;
    TWinPathText FEdiFilename;
    TWinText FLabPage;
    TWinText FStats[5];
    TWinList FLivTags;
    TWinButton FButView, FButCopy;
    TWinGlyphButton FNav[4];
    std::unique_ptr<TOrvaneLiveUpdateWin> FLiveUpdate;
    std::unique_ptr<TFrmOrvane> FLogic;
    // Where the page-count thread posts its progress, once the window exists.
    std::shared_ptr<std::atomic<HWND>> FCountWindow = std::make_shared<std::atomic<HWND>>();
    TKvLiveUpdateRegistryWin FRegistry;
    std::unique_ptr<TOrvaneAboutWin> FAboutPage;
    std::unique_ptr<TOrvaneStructureWin> FStructure;
    RECT FSheetPlace{};
};
