// Windows Sockets 2: an overlapped receive whose event is waited on together
// with the caller's abort event. A receive that is given up (time-out or
// abort) is cancelled and its completion awaited before returning, so the
// system never writes into a buffer the caller may free.
#include "io/SysEvent.h"
#include "net/KvNetTransport.h"

#include <cstring>
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

constexpr DWORD PartialMessageFlag = 0x8000;
// How long a cancelled or closed receive may take to report its end.
constexpr DWORD CancelWaitMs = 5000;

class TKvWinsockTransport final : public TKvNetTransport {
public:
    ~TKvWinsockTransport() override
    {
        Close();
        if (FOverlapped.hEvent)
            WSACloseEvent(FOverlapped.hEvent);
    }

    bool IsOpen() const override { return FSocket != INVALID_SOCKET; }

    TKvOpenResult Open(const std::string& host, std::uint16_t port) override
    {
        Close();
        if (!FOverlapped.hEvent) {
            WSAEVENT event = WSACreateEvent();
            FOverlapped.hEvent = event == WSA_INVALID_EVENT ? nullptr : event;
        }
        if (!FOverlapped.hEvent)
            return TKvOpenResult::EventFailed;
        FSocket = WSASocketA(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
        if (FSocket == INVALID_SOCKET)
            return TKvOpenResult::SocketFailed;
        sockaddr_in address{};
        TKvOpenResult result = Resolve(host, address);
        if (result == TKvOpenResult::Ok) {
            address.sin_port = htons(port);
            if (connect(FSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
                result = WSAGetLastError() == WSAECONNREFUSED ? TKvOpenResult::Refused
                                                              : TKvOpenResult::ConnectFailed;
        }
        if (result != TKvOpenResult::Ok)
            Close();
        return result;
    }

    void Close() override
    {
        if (FSocket != INVALID_SOCKET)
            closesocket(FSocket);
        FSocket = INVALID_SOCKET;
    }

    std::int64_t Send(const char* data, std::size_t count) override
    {
        if (FSocket == INVALID_SOCKET)
            return -1;
        int sent = send(FSocket, data, static_cast<int>(count), 0);
        return sent == SOCKET_ERROR ? -1 : sent;
    }

    TKvRecvResult Receive(char* buffer, std::uint32_t maxCount, const TKvEvent* abort,
                          std::uint32_t timeoutMs, std::uint32_t& received,
                          std::uint32_t& sysCode) override
    {
        received = 0;
        if (FSocket == INVALID_SOCKET)
            return TKvRecvResult::StartFailed;
        WSABUF piece{maxCount, buffer};
        DWORD count = 0;
        DWORD flags = PartialMessageFlag;
        WSAResetEvent(FOverlapped.hEvent);
        if (WSARecv(FSocket, &piece, 1, &count, &flags, &FOverlapped, nullptr) == 0) {
            received = count;
            return TKvRecvResult::Ok;
        }
        if (WSAGetLastError() != WSA_IO_PENDING)
            return TKvRecvResult::StartFailed;
        HANDLE handles[2] = {FOverlapped.hEvent, nullptr};
        DWORD handleCount = 1;
        if (abort && abort->Valid()) {
            handles[1] = reinterpret_cast<HANDLE>(abort->NativeHandle());
            handleCount = 2;
        }
        DWORD wait = WaitForMultipleObjects(handleCount, handles, FALSE, timeoutMs);
        if (wait != WAIT_OBJECT_0) {
            CancelPending();
            return wait == WAIT_OBJECT_0 + 1 ? TKvRecvResult::Aborted : TKvRecvResult::TimedOut;
        }
        if (!WSAGetOverlappedResult(FSocket, &FOverlapped, &count, FALSE, &flags)) {
            sysCode = static_cast<std::uint32_t>(WSAGetLastError());
            return TKvRecvResult::ResultFailed;
        }
        received = count;
        return TKvRecvResult::Ok;
    }

private:
    static TKvOpenResult Resolve(const std::string& host, sockaddr_in& address)
    {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* answer = nullptr;
        int rc = getaddrinfo(host.c_str(), nullptr, &hints, &answer);
        if (rc != 0 || !answer)
            return rc == WSAHOST_NOT_FOUND ? TKvOpenResult::HostNotFound
                                           : TKvOpenResult::LookupFailed;
        std::memcpy(&address, answer->ai_addr, sizeof address);
        freeaddrinfo(answer);
        return TKvOpenResult::Ok;
    }

    // Ends a receive that was given up. Where the system refuses the cancel
    // (a layered provider may not take the socket for a file handle), closing
    // the socket ends it instead; the wait for its end is bounded either way,
    // so a refused cancel never hangs the caller.
    void CancelPending()
    {
        if (!CancelIoEx(reinterpret_cast<HANDLE>(FSocket), &FOverlapped) &&
            GetLastError() != ERROR_NOT_FOUND)
            Close();
        if (WaitForSingleObject(FOverlapped.hEvent, CancelWaitMs) != WAIT_OBJECT_0 && IsOpen()) {
            Close();
            WaitForSingleObject(FOverlapped.hEvent, CancelWaitMs);
        }
    }

    SOCKET FSocket = INVALID_SOCKET;
    WSAOVERLAPPED FOverlapped{};
};

}  // namespace

std::unique_ptr<TKvNetTransport> CreateSocketTransport()
{
    return std::make_unique<TKvWinsockTransport>();
}
