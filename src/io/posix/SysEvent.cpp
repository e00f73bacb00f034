// POSIX event on an eventfd: the counter stays non-zero (the descriptor
// readable) from Set until Reset drains it, which is exactly manual reset, and
// poll can wait on it together with a socket.
#include "io/SysEvent.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

TKvEvent::TKvEvent()
{
    int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (fd >= 0)
        FNative = fd;
}

TKvEvent::~TKvEvent()
{
    if (Valid())
        close(static_cast<int>(FNative));
}

void TKvEvent::Set()
{
    if (!Valid())
        return;
    // A waiter may free the event as soon as it is set: nothing of it is
    // touched after the release.
    const int fd = static_cast<int>(FNative);
    FSetCount.fetch_add(1, std::memory_order_release);
    std::uint64_t one = 1;
    // A full counter (EAGAIN) is still signalled, so the result can be ignored.
    ssize_t written = write(fd, &one, sizeof one);
    (void)written;
}

void TKvEvent::Reset()
{
    if (!Valid())
        return;
    std::uint64_t value;
    ssize_t got = read(static_cast<int>(FNative), &value, sizeof value);
    (void)got;
}

bool TKvEvent::Wait(std::uint32_t timeoutMs) const
{
    if (!Valid())
        return false;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    pollfd pfd{static_cast<int>(FNative), POLLIN, 0};
    for (;;) {
        int wait = -1;
        if (timeoutMs != KvWaitInfinite) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            wait = static_cast<int>(std::clamp<long long>(left, 0, INT_MAX));
        }
        int n = poll(&pfd, 1, wait);
        if (n > 0) {
            (void)FSetCount.load(std::memory_order_acquire);
            return true;
        }
        if (n == 0 || errno != EINTR)
            return false;
    }
}
