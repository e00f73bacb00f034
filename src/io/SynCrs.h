// The program's one lock type for data shared between threads; re-entrant for
// the thread that holds it.
#pragma once

#include <mutex>

class TCrs {
public:
    TCrs() = default;
    TCrs(const TCrs&) = delete;
    TCrs& operator=(const TCrs&) = delete;

    void Enter() { FMutex.lock(); }
    void Leave() { FMutex.unlock(); }

    // Lets std::lock_guard / std::unique_lock hold a TCrs, so every path out of
    // a guarded block leaves it.
    void lock() { Enter(); }
    void unlock() { Leave(); }

private:
    std::recursive_mutex FMutex;
};
