#include "app/FOrvaneTrnTiff.h"

void TKvManualEvent::Set()
{
    std::lock_guard lock(FMutex);
    FSet = true;
    FCond.notify_all();
}

void TKvManualEvent::Reset()
{
    std::lock_guard lock(FMutex);
    FSet = false;
}

bool TKvManualEvent::IsSet()
{
    std::lock_guard lock(FMutex);
    return FSet;
}

void TKvManualEvent::Wait()
{
    std::unique_lock lock(FMutex);
    FCond.wait(lock, [this] { return FSet; });
}

void TKvProgressPacer::Restart(std::uint32_t now)
{
    FMark = now;
}

bool TKvProgressPacer::Due(std::uint32_t now)
{
    if (now - FMark < PageCountPeriodMs)
        return false;
    FMark += PageCountPeriodMs;
    if (now - FMark >= PageCountPeriodMs)
        FMark = now;
    return true;
}

TFrmOrvaneTrnTiffThread::TFrmOrvaneTrnTiffThread(std::shared_ptr<TTrnTiffShared> shared,
                                                 std::function<void()> post)
    : FShared(std::move(shared)), FPost(std::move(post))
{
}

void TFrmOrvaneTrnTiffThread::Execute()
{
    bool timing = false;
    TKvProgressPacer pacer;
    try {
        do
            FShared->TrnTiffEvent.Wait();
        while (Step(timing, pacer));
    } catch (...) {
        // A failed wait: this worker is gone, and the window must know so that
        // the count shown is no longer marked as running.
        std::lock_guard lock(FShared->TiffLock);
        FShared->TrnTiffEvent.Reset();
        FShared->ThreadRunning = false;
        FShared->CountFailed = true;
        FPost();
    }
}

bool TFrmOrvaneTrnTiffThread::Step(bool& timing, TKvProgressPacer& pacer)
{
    std::lock_guard lock(FShared->TiffLock);
    TTrnTiffShared& s = *FShared;
    if (!s.TrnTiffEvent.IsSet())
        return true;
    if (!s.TiffCodec) {
        s.TrnTiffEvent.Reset();
        s.ThreadRunning = false;
        return false;
    }
    if (!timing) {
        timing = true;
        pacer.Restart(TickCount32());
    }
    TErrCode ErrCode = ErrOk;
    bool final = false;
    std::string ErrText;
    try {
        s.TiffCodec->ScanStep(ErrCode, final, ErrText);
    } catch (...) {
        ErrCode = ErrFailed;
    }
    if (ErrCode != ErrOk)
        s.CountFailed = true;
    if (final || ErrCode != ErrOk) {
        FPost();
        s.TrnTiffEvent.Reset();
        timing = false;
    } else if (pacer.Due(TickCount32())) {
        FPost();
    }
    return true;
}
