// The state the tag viewer shares with its page-count thread, and that thread.
// Both sides hold the state by shared pointer, so the lock, the event and the
// reader live as long as either side may still use them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/KvTiffPages.h"
#include "io/FlaggedEvent.h"
#include "io/KvThread.h"
#include "io/SynCrs.h"

struct TTrnTiffShared {
    TCrs FTiffLock;
    // Set and reset only under FTiffLock.
    TKvFlaggedEvent FTrnTiffEvent;
    // Guarded by FTiffLock from here on.
    std::unique_ptr<IKvTiffPages> FTiffCodec;
    bool FThreadRunning = false;
    // Set by the thread when a step failed; the window then stops showing the
    // count as unfinished. Cleared when the window opens a file.
    bool FCountFailed = false;
};

inline constexpr std::uint32_t PageCountPeriodMs = 500;
// The longest the thread counts under one hold of FTiffLock; the window gets
// the lock within one batch, and a stop or a reset of the event is seen
// after it. Per directory the lock and the event would cost more than the
// step itself.
inline constexpr std::chrono::microseconds PageCountBatch{1000};

// Decides when a progress message is due: at most one per period, and a mark
// left behind by a pause is moved to now instead of firing once per missed
// period.
class TKvProgressPacer {
public:
    void Restart(std::uint32_t now);
    bool Due(std::uint32_t now);

private:
    std::uint32_t FMark = 0;
};

class TFrmOrvaneTrnTiffThread : public TKvThread {
public:
    // post tells the window that the count moved on; it must stay callable
    // after the window has gone.
    TFrmOrvaneTrnTiffThread(std::shared_ptr<TTrnTiffShared> shared, std::function<void()> post);

protected:
    void Execute() override;

private:
    enum class TPass { Counted, StepAside, End };

    void WaitForWork();
    // One batch of steps under FTiffLock.
    TPass Step(bool& timing, TKvProgressPacer& pacer);
    // Steps until the chain is known to its end, a step fails, the batch's
    // time is up or another thread wants the lock; true when counting ended.
    bool RunBatch(IKvTiffPages& codec, bool& failed);
    // Lets a thread waiting for FTiffLock take it before the next batch.
    void LetWaiterIn();

    std::shared_ptr<TTrnTiffShared> FShared;
    std::function<void()> FPost;
};
