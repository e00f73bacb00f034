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
        std::lock_guard lock(FShared->FTiffLock);
        FShared->FTrnTiffEvent.Reset();
        FShared->FThreadRunning = false;
        FShared->FCountFailed = true;
        FPost();
    }
}

void TFrmOrvaneTrnTiffThread::WaitForWork()
{
    // An endless wait only returns false when the event itself is unusable.
    if (!FShared->FTrnTiffEvent.Wait(KvWaitInfinite))
        RaiseInternal("FOrvaneTrnTiff 49:9");
}

bool TFrmOrvaneTrnTiffThread::Step(bool& timing, TKvProgressPacer& pacer)
{
    std::lock_guard lock(FShared->FTiffLock);
    TTrnTiffShared& s = *FShared;
    if (!s.FTrnTiffEvent.Wait(0))
        return true;
    if (!s.FTiffCodec) {
        s.FTrnTiffEvent.Reset();
        s.FThreadRunning = false;
        return false;
    }
    if (!timing) {
        timing = true;
        pacer.Restart(TickCount32());
    }
    TErrCode errCode = ErrOk;
    bool final = false;
    std::string errText;
    try {
        s.FTiffCodec->ScanStep(final, errCode, errText);
    } catch (...) {
        errCode = ErrFailed;
    }
    if (errCode != ErrOk)
        s.FCountFailed = true;
    if (final || errCode != ErrOk) {
        FPost();
        s.FTrnTiffEvent.Reset();
        timing = false;
    } else if (pacer.Due(TickCount32())) {
        FPost();
    }
    return true;
}
