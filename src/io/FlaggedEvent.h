// A manual-reset event whose state is also kept in memory, so that a wait on
// a set event returns without asking the system. Under Wine every system
// wait, even one without time-out, is a round trip to the wine server; a
// worker that checks its event once per item spends more time there than on
// the item.
//
// Two rules make the memory state and the system object agree: Set and Reset
// are called under one lock of the owner's (never at the same time), and the
// object outlives every thread that may still wait on it or set it.
#pragma once

#include <atomic>
#include <cstdint>

#include "io/SysEvent.h"

class TKvFlaggedEvent {
public:
    // The memory state goes first: a waiter that sees it set has also seen
    // what the setter wrote before Set.
    void Set()
    {
        FSet.store(true, std::memory_order_release);
        FEvent.Set();
    }
    void Reset()
    {
        FSet.store(false, std::memory_order_relaxed);
        FEvent.Reset();
    }

    // As TKvEvent::Wait; only a clear event asks the system.
    bool Wait(std::uint32_t timeoutMs) const
    {
        return FSet.load(std::memory_order_acquire) || FEvent.Wait(timeoutMs);
    }

private:
    std::atomic<bool> FSet{false};
    TKvEvent FEvent;
};
