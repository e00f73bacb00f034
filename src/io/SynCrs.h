// The program's one lock type for data shared between threads; re-entrant for
// the thread that holds it. Its holder can ask whether another thread waits
// for it, so that long work under it can step aside in time.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

class TCrs {
public:
    TCrs() = default;
    TCrs(const TCrs&) = delete;
    TCrs& operator=(const TCrs&) = delete;

    void Enter()
    {
        if (FMutex.try_lock())
            return;
        FWaiting.fetch_add(1, std::memory_order_relaxed);
        FMutex.lock();
        FWaiting.fetch_sub(1, std::memory_order_relaxed);
    }
    void Leave() { FMutex.unlock(); }

    // True while another thread is held up in Enter. A hint for the holder:
    // it reads no system object and may be a moment late.
    bool HasWaiters() const { return FWaiting.load(std::memory_order_relaxed) != 0; }

    // Lets std::lock_guard / std::unique_lock hold a TCrs, so every path out of
    // a guarded block leaves it.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex FMutex;
    std::atomic<std::uint32_t> FWaiting{0};
};
