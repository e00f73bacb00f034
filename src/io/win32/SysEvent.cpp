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
    if (Valid())
        SetEvent(reinterpret_cast<HANDLE>(FNative));
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
    return WaitForSingleObject(reinterpret_cast<HANDLE>(FNative), timeout) == WAIT_OBJECT_0;
}
