// The update download window on Win32: a label, the progress bar and Cancel,
// hosting the portable logic of TFrmUpdate.
#pragma once

#include <memory>

#include "update/FUpdate.h"
#include "window/win32/KvWindow.h"

class TFrmUpdateWin : public TKvWindow, public IKvUpdateHost, public IKvProgressWidget {
public:
    static constexpr int ClientWidth = 460;
    static constexpr int ClientHeight = 130;

    explicit TFrmUpdateWin(TUpdateSource source);
    ~TFrmUpdateWin() override;

    // Shows the window modally over owner until the download ends or the
    // user cancels; the worker has stopped when this returns.
    TModalResult ShowModal(HWND owner);

    TErrCode DownloadStatus() const { return FLogic->FDownloadStatus; }
    const std::string& DownloadMessage() const { return FLogic->FDownloadMessage; }

    // IKvUpdateHost
    void PostToWindow(TUpdateMessage msg, std::uint32_t total) override;
    void RepaintNow() override;
    void EndModal(TModalResult result) override;
    void StartHandOver(const std::string& fileName, TErrCode& errCode,
                       std::string& errText) override;
    // IKvProgressWidget
    void SetPosition(int position) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool Create(HWND owner);
    HWND AddControl(const char* cls, const char* text, DWORD style, int x, int y, int w, int h,
                    UINT_PTR id);

    std::unique_ptr<TFrmUpdate> FLogic;
    HWND FProgressBar1 = nullptr;
    HWND FButton1 = nullptr;
    TModalResult FModalResult = TModalResult::None;
    bool FDone = false;
};
