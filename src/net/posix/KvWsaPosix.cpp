// POSIX sockets need no start-up; the flag keeps the calling pattern alike.
#include "net/KvWsa.h"

#include <atomic>

namespace {
std::atomic<bool> Loaded{false};
}

void LoadWinsock(TErrCode&, std::string&)
{
    Loaded = true;
}

void LoadWinsockRaising()
{
    Loaded = true;
}

void UnloadWinsock()
{
    Loaded = false;
}

bool WinsockLoaded()
{
    return Loaded;
}
