#include "app/FOrvaneTrnTiff.h"

#include <thread>

#include "io/SysErr.h"

namespace {

using TClock = std::chrono::steady_clock;

// Steps between two looks at the clock and at the lock's waiters: a step
// is far shorter than a clock read on some systems, and a run of steps in
// one call keeps the count near the speed of a count without a lock.
constexpr std::uint32_t StepsPerLook = 16;
// How long the thread stands back for a waiter before it counts on anyway.
constexpr std::chrono::milliseconds StepAsideLimit{50};

}  // namespace

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
        for (;;) {
            WaitForWork();
            const TPass pass = Step(timing, pacer);
            if (pass == TPass::End)
                break;
            if (pass == TPass::StepAside)
                LetWaiterIn();
        }
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
        RaiseInternal("FOrvaneTrnTiff 68:9");
}

TFrmOrvaneTrnTiffThread::TPass TFrmOrvaneTrnTiffThread::Step(bool& timing, TKvProgressPacer& pacer)
{
    std::lock_guard lock(FShared->FTiffLock);
    TTrnTiffShared& s = *FShared;
    if (!s.FTrnTiffEvent.Wait(0))
        return TPass::Counted;
    if (!s.FTiffCodec) {
        s.FTrnTiffEvent.Reset();
        s.FThreadRunning = false;
        return TPass::End;
    }
    if (!timing) {
        timing = true;
        pacer.Restart(TickCount32());
    }
    bool failed = false;
    if (RunBatch(*s.FTiffCodec, failed)) {
        if (failed)
            s.FCountFailed = true;
        FPost();
        s.FTrnTiffEvent.Reset();
        timing = false;
    } else if (pacer.Due(TickCount32())) {
        FPost();
    }
    return s.FTiffLock.HasWaiters() ? TPass::StepAside : TPass::Counted;
}

bool TFrmOrvaneTrnTiffThread::RunBatch(IKvTiffPages& codec, bool& failed)
{
    const TCrs& lock = FShared->FTiffLock;
    const auto end = TClock::now() + PageCountBatch;
    std::string errText;
    for (;;) {
        TErrCode errCode = ErrOk;
        bool final = false;
        try {
            codec.ScanSteps(StepsPerLook, final, errCode, errText);
        } catch (...) {
            errCode = ErrFailed;
        }
        failed = errCode != ErrOk;
        if (final || failed)
            return true;
        if (lock.HasWaiters() || TClock::now() >= end)
            return false;
    }
}

// A lock handed back is often taken again by the thread that left it before
// the waiter wakes; standing back until the waiter has it makes the window's
// wait one batch at most.
void TFrmOrvaneTrnTiffThread::LetWaiterIn()
{
    const auto limit = TClock::now() + StepAsideLimit;
    while (FShared->FTiffLock.HasWaiters() && TClock::now() < limit)
        std::this_thread::yield();
}
