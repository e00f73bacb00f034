#include "io/KvThread.h"

#include <windows.h>

void SetCurrentThreadPriority(std::int32_t priority)
{
    SetThreadPriority(GetCurrentThread(), priority);
}
