// The base of the program's worker threads. Once started, the system thread
// owns the object and destroys it when Execute returns; an owner never
// touches a started object again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "io/SysErr.h"

class TKvThread {
public:
    TKvThread() = default;
    virtual ~TKvThread() = default;
    TKvThread(const TKvThread&) = delete;
    TKvThread& operator=(const TKvThread&) = delete;

    // On failure the caller still owns the object and destroys it.
    void Start(TErrCode& errCode, std::string& errText);

    std::int32_t FPriority = -1;

protected:
    virtual void Execute() = 0;

private:
    static void Routine(TKvThread* thread) noexcept;
};

// Runs routine on a new system thread nobody joins; false when none could be
// made (routine is then dropped).
bool StartDetachedThread(std::function<void()> routine);

// Applies a system priority (-1 is below normal) to the calling thread.
void SetCurrentThreadPriority(std::int32_t priority);

// The system's millisecond tick count, wrapping at 32 bits.
std::uint32_t TickCount32();
