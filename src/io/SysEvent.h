// The program's manual-reset event: a flag that one thread sets and others
// wait for, with a time-out. Worker threads are stopped through it, and a
// socket receive waits on it together with the socket, so it exposes the
// waitable object of the platform (a HANDLE on Windows, a file descriptor on
// POSIX) through NativeHandle.
#pragma once

#include <atomic>
#include <cstdint>

inline constexpr std::uint32_t KvWaitInfinite = 0xFFFFFFFFu;

class TKvEvent {
public:
    // Starts unsignalled. When the system refuses the event, Valid() is false
    // and every other operation does nothing (Wait reports a time-out).
    TKvEvent();
    ~TKvEvent();
    TKvEvent(const TKvEvent&) = delete;
    TKvEvent& operator=(const TKvEvent&) = delete;

    bool Valid() const { return FNative != InvalidNative; }

    void Set();
    void Reset();

    // True when the event is signalled within timeoutMs milliseconds
    // (KvWaitInfinite waits without limit); false when the time ran out.
    bool Wait(std::uint32_t timeoutMs) const;

    // The platform object: cast it to HANDLE (Windows) or int (POSIX).
    std::intptr_t NativeHandle() const { return FNative; }

    static constexpr std::intptr_t InvalidNative = -1;

private:
    std::intptr_t FNative = InvalidNative;
    // Set publishes what the setting thread wrote before it, and a Wait that
    // sees the event takes it over: the system object orders memory too, but
    // only these atomics make the order visible to thread checkers.
    std::atomic<std::uint32_t> FSetCount{0};
};
