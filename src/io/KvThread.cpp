#include "io/KvThread.h"

#include <chrono>

void TKvThread::Start(TErrCode& errCode, std::string& errText)
{
    // Without a thread the caller still owns the object.
    if (!StartDetachedThread([this] { Routine(this); })) {
        errCode = ErrFailed;
        errText = "Unexpected error KvThread 45.77";
    }
}

// Nothing may escape a thread routine; Execute is expected to handle its own
// failures, so anything left over ends just this worker.
void TKvThread::Routine(TKvThread* thread) noexcept
{
    try {
        SetCurrentThreadPriority(thread->FPriority);
        thread->Execute();
    } catch (...) {
    }
    delete thread;
}

std::uint32_t TickCount32()
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}
