#include "app/FOrvaneTrnTiff.h"

#include "io/SysErr.h"

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
            WaitForWork();
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

void TFrmOrvaneTrnTiffThread::WaitForWork()
{
    // An endless wait only returns false when the event itself is unusable.
    if (!FShared->TrnTiffEvent.Wait(KvWaitInfinite))
        RaiseInternal("FOrvaneTrnTiff 49:9");
}

bool TFrmOrvaneTrnTiffThread::Step(bool& timing, TKvProgressPacer& pacer)
{
    std::lock_guard lock(FShared->TiffLock);
    TTrnTiffShared& s = *FShared;
    if (!s.TrnTiffEvent.Wait(0))
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
