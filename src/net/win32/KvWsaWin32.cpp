#include "net/KvWsa.h"

#include <mutex>
#include <winsock2.h>

namespace {
// Locked although the program loads from one thread only: a second loader
// must not start Windows Sockets twice or see a half-filled block.
std::mutex WsaLock;
bool Loaded = false;
WSADATA* StartupData = nullptr;
}  // namespace

void LoadWinsock(TErrCode& errCode, std::string& errText)
{
    std::lock_guard<std::mutex> guard(WsaLock);
    if (Loaded)
        return;
    void* block = nullptr;
    AllocBlock(sizeof(WSADATA), block, errCode, errText);
    if (errCode != ErrOk)
        return;
    StartupData = static_cast<WSADATA*>(block);
    ZeroMemory(StartupData, sizeof(WSADATA));
    if (WSAStartup(0x0202, StartupData) != 0) {
        FreeBlock(StartupData);
        StartupData = nullptr;
        errCode = ErrFailed;
        errText = "Loading winsock DLL: Unexpected error";
        return;
    }
    Loaded = true;
}

void LoadWinsockRaising()
{
    TErrCode code = ErrOk;
    std::string text;
    LoadWinsock(code, text);
    if (code != ErrOk)
        RaiseInternal(text);
}

void UnloadWinsock()
{
    std::lock_guard<std::mutex> guard(WsaLock);
    if (!Loaded)
        return;
    WSACleanup();
    FreeBlock(StartupData);
    StartupData = nullptr;
    Loaded = false;
}

bool WinsockLoaded()
{
    std::lock_guard<std::mutex> guard(WsaLock);
    return Loaded;
}
