// The main window's side of the live update and the auto-update.
#include "app/FOrvane.h"
#include "app/FOrvaneLiveUpdateThread.h"
#include "app/OrvaneLiveUpdateHost.h"
#include "net/KvWsa.h"
#include "product/OrvaneProduct.h"

void TFrmOrvane::StartLiveUpdate()
{
    if (!FLiveUpdateHost)
        return;
    TErrCode errCode = ErrOk;
    std::string errText;
    LoadWinsock(errCode, errText);
    if (errCode != ErrOk)
        return;
    auto* thread =
        new (std::nothrow) TFrmOrvaneLiveUpdateThread(WebHost, FLiveUpdateHost->LiveUpdatePoster());
    if (!thread)
        return;
    if (!thread->FStopEvent->Valid()) {
        delete thread;
        return;
    }
    FLiveUpdateHost->PrepareLiveUpdateThread(*thread);
    thread->Start(errCode, errText);
    if (errCode != ErrOk) {
        delete thread;
        return;
    }
    FLiveUpdateThread = thread;
}

void TFrmOrvane::StopLiveUpdate()
{
    if (FLiveUpdateThread) {
        // The worker frees itself, and its share of the event, once the event
        // is set; this share keeps the event alive until Set has returned.
        std::shared_ptr<TKvEvent> stop = FLiveUpdateThread->FStopEvent;
        stop->Set();
        FLiveUpdateThread = nullptr;
    }
}

void TFrmOrvane::LiveUpdateDone()
{
    if (!FLiveUpdateThread || !FLiveUpdateHost)
        return;
    std::string text = FLiveUpdateThread->FBody;
    StopLiveUpdate();
    // A text refused here leaves the known facts and pages as they were.
    AcceptLiveUpdate(FLiveUpdateHost->LiveUpdateRegistry(), text);
    FLiveUpdateHost->RebuildLiveUpdatePages();
    PromptForUpdate();
}

void TFrmOrvane::PromptForUpdate()
{
    if (!FLiveUpdateHost || FUpdatePrompted || LatestVersion() == ProgramVersion)
        return;
    FUpdatePrompted = true;
    if (FLiveUpdateHost->AskForUpdate())
        RunAutoUpdate();
}

// One update window at a time: a second one, opened from inside the first's
// modal loop, would download and hand over a second time.
void TFrmOrvane::RunAutoUpdate()
{
    if (!FLiveUpdateHost || FUpdateWindowOpen)
        return;
    TErrCode status = ErrOk;
    std::string message;
    struct TOpenWhileInScope {
        bool& FOpen;
        explicit TOpenWhileInScope(bool& open) : FOpen(open) { FOpen = true; }
        ~TOpenWhileInScope() { FOpen = false; }
    } open(FUpdateWindowOpen);
    if (!FLiveUpdateHost->ShowUpdateWindow(status, message))
        return;
    if (status != ErrOk)
        FHost.ShowError(message);
    else
        FHost.CloseWindow();
}
