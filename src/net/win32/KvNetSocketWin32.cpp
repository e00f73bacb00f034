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

class TKvWinsockTransport final : public TKvNetTransport {
public:
    ~TKvWinsockTransport() override
    {
        Close();
        if (FOverlapped.hEvent)
            WSACloseEvent(FOverlapped.hEvent);
    }

    bool IsOpen() const override { return FSocket != INVALID_SOCKET; }

    TKvOpenResult Open(const std::string& Host, std::uint16_t Port) override
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
        TKvOpenResult result = Resolve(Host, address);
        if (result == TKvOpenResult::Ok) {
            address.sin_port = htons(Port);
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

    std::int64_t Send(const char* Data, std::size_t Count) override
    {
        if (FSocket == INVALID_SOCKET)
            return -1;
        int sent = send(FSocket, Data, static_cast<int>(Count), 0);
        return sent == SOCKET_ERROR ? -1 : sent;
    }

    TKvRecvResult Receive(char* Buffer, std::uint32_t MaxCount, const TKvEvent* Abort,
                          std::uint32_t TimeoutMs, std::uint32_t& Received,
                          std::uint32_t& SysCode) override
    {
        Received = 0;
        if (FSocket == INVALID_SOCKET)
            return TKvRecvResult::StartFailed;
        WSABUF buffer{MaxCount, Buffer};
        DWORD count = 0;
        DWORD flags = PartialMessageFlag;
        WSAResetEvent(FOverlapped.hEvent);
        if (WSARecv(FSocket, &buffer, 1, &count, &flags, &FOverlapped, nullptr) == 0) {
            Received = count;
            return TKvRecvResult::Ok;
        }
        if (WSAGetLastError() != WSA_IO_PENDING)
            return TKvRecvResult::StartFailed;
        HANDLE handles[2] = {FOverlapped.hEvent, nullptr};
        DWORD handleCount = 1;
        if (Abort && Abort->Valid()) {
            handles[1] = reinterpret_cast<HANDLE>(Abort->NativeHandle());
            handleCount = 2;
        }
        DWORD wait = WaitForMultipleObjects(handleCount, handles, FALSE, TimeoutMs);
        if (wait != WAIT_OBJECT_0) {
            CancelPending();
            return wait == WAIT_OBJECT_0 + 1 ? TKvRecvResult::Aborted : TKvRecvResult::TimedOut;
        }
        if (!WSAGetOverlappedResult(FSocket, &FOverlapped, &count, FALSE, &flags)) {
            SysCode = static_cast<std::uint32_t>(WSAGetLastError());
            return TKvRecvResult::ResultFailed;
        }
        Received = count;
        return TKvRecvResult::Ok;
    }

private:
    static TKvOpenResult Resolve(const std::string& Host, sockaddr_in& address)
    {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* answer = nullptr;
        int rc = getaddrinfo(Host.c_str(), nullptr, &hints, &answer);
        if (rc != 0 || !answer)
            return rc == WSAHOST_NOT_FOUND ? TKvOpenResult::HostNotFound : TKvOpenResult::LookupFailed;
        std::memcpy(&address, answer->ai_addr, sizeof address);
        freeaddrinfo(answer);
        return TKvOpenResult::Ok;
    }

    void CancelPending()
    {
        DWORD count = 0;
        DWORD flags = 0;
        CancelIoEx(reinterpret_cast<HANDLE>(FSocket), &FOverlapped);
        WSAGetOverlappedResult(FSocket, &FOverlapped, &count, TRUE, &flags);
    }

    SOCKET FSocket = INVALID_SOCKET;
    WSAOVERLAPPED FOverlapped{};
};

} // namespace

std::unique_ptr<TKvNetTransport> CreateSocketTransport()
{
    return std::make_unique<TKvWinsockTransport>();
}
