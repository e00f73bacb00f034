// The update download window's logic: it starts the worker that fetches the
// new installer, moves the bar with the worker's progress, and on success
// hands over to the downloaded copy. The Win32 window supplies the controls
// and the process start; tests supply fakes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/SysErr.h"
#include "update/FUpdateThread.h"

// Steps the window posts to itself or gets from its worker.
enum TUpdateMessage : std::uint32_t {
    umStartDownload,
    umProgress,  // the last parameter carries the body bytes so far
    umFinished,
};

enum class TModalResult : std::uint8_t { None, Ok, Cancel };

inline constexpr int UpdateProgressMax = 100;

// The bar position for total bytes of an announced size: rounded, halves to
// the even neighbour. An unknown size (0 or less) keeps the bar at 0; more
// bytes than announced keep it at the maximum.
int UpdateProgressPosition(std::uint32_t total, std::int32_t installerSize);

class IKvProgressWidget {
public:
    virtual ~IKvProgressWidget() = default;
    virtual void SetPosition(int position) = 0;
};

class IKvUpdateHost {
public:
    virtual ~IKvUpdateHost() = default;
    // Safe from any thread, also once the window is gone.
    virtual void PostToWindow(TUpdateMessage msg, std::uint32_t total) = 0;
    virtual void RepaintNow() = 0;
    // Ends the modal loop with the given result.
    virtual void EndModal(TModalResult result) = 0;
    // Starts fileName with "/update", an inheritable handle to this process
    // and this executable's path.
    virtual void StartHandOver(const std::string& fileName, TErrCode& errCode,
                               std::string& errText) = 0;
};

class TFrmUpdate {
public:
    TFrmUpdate(IKvUpdateHost& host, IKvProgressWidget& progressBar, TUpdateSource source);
    ~TFrmUpdate();
    TFrmUpdate(const TFrmUpdate&) = delete;
    TFrmUpdate& operator=(const TFrmUpdate&) = delete;

    void FormShow();
    void HandleMessage(TUpdateMessage msg, std::uint32_t total);
    void Button1Click();
    // Any close: stops the worker and waits until it has let go of its file.
    void FormClose();

    bool WorkerRunning() const { return FWorker != nullptr; }

    TErrCode FDownloadStatus = ErrOk;
    std::string FDownloadMessage;

private:
    void StartDownload();
    void DownloadProgress(std::uint32_t total);
    void DownloadFinished();

    IKvUpdateHost& FHost;
    IKvProgressWidget& FProgressBar;
    TUpdateSource FSource;
    std::shared_ptr<TFrmUpdateThread> FWorker;
    std::shared_ptr<TKvEvent> FDoneEvent;
};
