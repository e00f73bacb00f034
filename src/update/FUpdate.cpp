#include "update/FUpdate.h"

#include <cmath>

#include "io/SysFile.h"
#include "net/KvWsa.h"

int UpdateProgressPosition(std::uint32_t total, std::int32_t installerSize)
{
    if (installerSize <= 0)
        return 0;
    double position = std::nearbyint(static_cast<double>(total) / installerSize * 100.0);
    if (position > UpdateProgressMax)
        return UpdateProgressMax;
    return static_cast<int>(position);
}

TFrmUpdate::TFrmUpdate(IKvUpdateHost& host, IKvProgressWidget& progressBar, TUpdateSource source)
    : FHost(host), FProgressBar(progressBar), FSource(std::move(source))
{
}

TFrmUpdate::~TFrmUpdate()
{
    FormClose();
}

void TFrmUpdate::FormShow()
{
    FHost.PostToWindow(umStartDownload, 0);
}

void TFrmUpdate::HandleMessage(TUpdateMessage msg, std::uint32_t total)
{
    switch (msg) {
    case umStartDownload: StartDownload(); break;
    case umProgress: DownloadProgress(total); break;
    case umFinished: DownloadFinished(); break;
    }
}

void TFrmUpdate::StartDownload()
{
    if (FWorker)
        return;
    FHost.RepaintNow();
    LoadWinsockRaising();
    FDoneEvent = std::make_shared<TKvEvent>();
    auto worker = std::make_shared<TFrmUpdateThread>(FHost, FSource, FDoneEvent);
    if (!worker->FAbortEvent->Valid())
        RaiseInternal("FUpdate 222.97");
    if (!FDoneEvent->Valid())
        RaiseInternal("FUpdate 224.89");
    TErrCode errCode = ErrOk;
    std::string errText;
    TFrmUpdateThread::Start(worker, errCode, errText);
    if (errCode != ErrOk)
        RaiseInternal(errText);
    FWorker = worker;
}

void TFrmUpdate::DownloadProgress(std::uint32_t total)
{
    FProgressBar.SetPosition(UpdateProgressPosition(total, FSource.FInstallerSize));
}

// The worker waits for its abort event after posting this, so its fields no
// longer change.
void TFrmUpdate::DownloadFinished()
{
    if (!FWorker)
        return;
    FDownloadStatus = FWorker->FStatus;
    FDownloadMessage = FWorker->FMessage;
    if (FDownloadStatus == ErrOk) {
        // A copy that cannot be started updates nothing: say so and keep
        // this program running rather than close as if all went well.
        FHost.StartHandOver(FWorker->FFileName, FDownloadStatus, FDownloadMessage);
        if (FDownloadStatus != ErrOk)
            DeleteFileAt(FWorker->FFileName);
    }
    FHost.EndModal(TModalResult::Ok);
}

void TFrmUpdate::Button1Click()
{
    FHost.EndModal(TModalResult::Cancel);
}

void TFrmUpdate::FormClose()
{
    if (FWorker) {
        FWorker->FAbortEvent->Set();
        FDoneEvent->Wait(KvWaitInfinite);
        FWorker.reset();
    }
    FDoneEvent.reset();
}
