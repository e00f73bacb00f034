// The Windows window of both wizards: creates the controls of the wizard's
// table, shows the page's controls, and forwards clicks to the logic.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "install/FInstallSec.h"
#include "window/win32/KvWindow.h"

class TKvWizardWin : public TKvWindow, public IKvInstallHost {
public:
    using TLogicFactory = std::function<std::unique_ptr<TKvWizard>(TKvWizardWin&)>;
    explicit TKvWizardWin(TLogicFactory factory);

    // Shows the wizard centred on the screen and returns when it closes.
    TKvModalResult ShowModal(HWND owner);

    void ShowPanel(int page, bool visible) override;
    void SetButtonEnabled(TKvWizardButton button, bool enabled) override;
    void SetNextCaption(const std::string& caption) override;
    void SetReport(const std::string& text) override;
    void PostWork() override;
    void RepaintNow() override;
    void EndModal(TKvModalResult result) override;
    void SetFolderText(const std::string& text) override;
    bool StartMenuChecked() override;
    bool DesktopIconChecked() override;
    bool BrowseForFolder(const std::string& title, const std::string& start, std::string& chosen,
                         std::uint32_t& errCode, std::string& errText) override;
    void ShowError(const std::string& text) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    struct TControl {
        TKvControlDef FSpec;
        HWND FWnd;
    };
    void CreateControls();
    HWND Control(const char* name) const;
    void OnCommand(UINT id, UINT code);
    void RunWork();

    std::unique_ptr<TKvWizard> FLogic;
    std::vector<TControl> FControls;
    TKvModalResult FResult = mrNone;
    bool FDone = false;
};
