// The installer's background: a borderless maximised window with the
// gradient and the banner, which runs the wizard once it is on screen.
#pragma once

#include "install/KvWizard.h"
#include "window/win32/KvWindow.h"

class TFrmInstallWin : public TKvPaintedWindow {
public:
    TKvModalResult ShowModal(HWND owner);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& band) override;

private:
    TKvModalResult FResult = mrNone;
    bool FDone = false;
};

// The roles "/install", "/uninstall" and "/uninstallsec"; false for others.
bool RunInstallRole(int role, HWND owner);

// The downloaded copy that ran the update hand-over goes once this process
// has ended, as the uninstaller's copy does; an installed program never.
void DeleteTemporaryCopyWhenEnded();
