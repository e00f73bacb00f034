#include "io/SysEvent.h"

#include <windows.h>

TKvEvent::TKvEvent()
{
    HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (handle)
        FNative = reinterpret_cast<std::intptr_t>(handle);
}

TKvEvent::~TKvEvent()
{
    if (Valid())
        CloseHandle(reinterpret_cast<HANDLE>(FNative));
}

void TKvEvent::Set()
{
    if (!Valid())
        return;
    // A waiter may free the event as soon as it is set: nothing of it is
    // touched after the release.
    HANDLE handle = reinterpret_cast<HANDLE>(FNative);
    FSetCount.fetch_add(1, std::memory_order_release);
    SetEvent(handle);
}

void TKvEvent::Reset()
{
    if (Valid())
        ResetEvent(reinterpret_cast<HANDLE>(FNative));
}

bool TKvEvent::Wait(std::uint32_t timeoutMs) const
{
    if (!Valid())
        return false;
    DWORD timeout = timeoutMs == KvWaitInfinite ? INFINITE : timeoutMs;
    if (WaitForSingleObject(reinterpret_cast<HANDLE>(FNative), timeout) != WAIT_OBJECT_0)
        return false;
    (void)FSetCount.load(std::memory_order_acquire);
    return true;
}
