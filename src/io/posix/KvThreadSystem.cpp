#include "io/KvThread.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <system_error>
#include <thread>

bool StartDetachedThread(std::function<void()> routine)
{
    try {
        std::thread(std::move(routine)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

// Linux keeps a nice value per thread; a worker lowers only its own.
void SetCurrentThreadPriority(std::int32_t priority)
{
    if (priority < 0)
        setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), -priority * 2);
}
