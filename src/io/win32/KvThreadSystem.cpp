#include <process.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <new>

#include "io/KvThread.h"

namespace {

unsigned __stdcall RunRoutine(void* routine)
{
    std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(routine));
    (*owned)();
    return 0;
}

}  // namespace

// The C runtime's own thread start rather than std::thread: under Wine, a
// detached std::thread started soon after another one ended was seen to
// hang before it ran, in most runs of five thousand such starts.
bool StartDetachedThread(std::function<void()> routine)
{
    auto* owned = new (std::nothrow) std::function<void()>(std::move(routine));
    if (!owned)
        return false;
    const std::uintptr_t handle = _beginthreadex(nullptr, 0, RunRoutine, owned, 0, nullptr);
    if (handle == 0) {
        delete owned;
        return false;
    }
    CloseHandle(reinterpret_cast<HANDLE>(handle));
    return true;
}

void SetCurrentThreadPriority(std::int32_t priority)
{
    SetThreadPriority(GetCurrentThread(), priority);
}
