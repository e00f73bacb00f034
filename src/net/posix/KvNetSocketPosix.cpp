// POSIX sockets: a receive first tries without waiting (as an overlapped
// receive may complete at once), then polls the socket and the abort event's
// descriptor together. Socket errors are reported as the Windows Sockets
// codes of the same meaning so that both platforms show the same texts.
#include "io/SysEvent.h"
#include "net/KvNetTransport.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

std::uint32_t WinsockCode(int error)
{
    switch (error) {
    case ECONNRESET: return 10054;
    case ECONNABORTED: return 10053;
    case ETIMEDOUT: return 10060;
    case ENOTCONN: return 10057;
    case ENETDOWN: return 10050;
    case ENETUNREACH: return 10051;
    case ENETRESET: return 10052;
    case EHOSTUNREACH: return 10065;
    case ECONNREFUSED: return 10061;
    default: return static_cast<std::uint32_t>(error);
    }
}

class TKvPosixTransport final : public TKvNetTransport {
public:
    ~TKvPosixTransport() override { Close(); }

    bool IsOpen() const override { return FSocket >= 0; }

    TKvOpenResult Open(const std::string& host, std::uint16_t port) override
    {
        Close();
        FSocket = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
        if (FSocket < 0)
            return TKvOpenResult::SocketFailed;
        sockaddr_in address{};
        TKvOpenResult result = Resolve(host, address);
        if (result == TKvOpenResult::Ok) {
            address.sin_port = htons(port);
            result = ConnectTo(address);
        }
        if (result != TKvOpenResult::Ok)
            Close();
        return result;
    }

    void Close() override
    {
        if (FSocket >= 0)
            close(FSocket);
        FSocket = -1;
    }

    std::int64_t Send(const char* data, std::size_t count) override
    {
        if (FSocket < 0)
            return -1;
        ssize_t sent;
        do
            sent = send(FSocket, data, count, MSG_NOSIGNAL);
        while (sent < 0 && errno == EINTR);
        return sent;
    }

    TKvRecvResult Receive(char* buffer, std::uint32_t maxCount, const TKvEvent* abort,
                          std::uint32_t timeoutMs, std::uint32_t& received,
                          std::uint32_t& sysCode) override
    {
        received = 0;
        if (FSocket < 0)
            return TKvRecvResult::StartFailed;
        ssize_t got = recv(FSocket, buffer, maxCount, MSG_DONTWAIT);
        if (got >= 0) {
            received = static_cast<std::uint32_t>(got);
            return TKvRecvResult::Ok;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return TKvRecvResult::StartFailed;
        return WaitAndReceive(buffer, maxCount, abort, timeoutMs, received, sysCode);
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
            return rc == EAI_NONAME || rc == EAI_NODATA ? TKvOpenResult::HostNotFound
                                                        : TKvOpenResult::LookupFailed;
        std::memcpy(&address, answer->ai_addr, sizeof address);
        freeaddrinfo(answer);
        return TKvOpenResult::Ok;
    }

    TKvOpenResult ConnectTo(const sockaddr_in& address)
    {
        int rc = connect(FSocket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        if (rc < 0 && errno == EINTR)
            rc = WaitForConnect();
        if (rc == 0)
            return TKvOpenResult::Ok;
        return errno == ECONNREFUSED ? TKvOpenResult::Refused : TKvOpenResult::ConnectFailed;
    }

    // An interrupted connect goes on in the background; wait for its end.
    int WaitForConnect()
    {
        pollfd pfd{FSocket, POLLOUT, 0};
        while (poll(&pfd, 1, -1) < 0)
            if (errno != EINTR)
                return -1;
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(FSocket, SOL_SOCKET, SO_ERROR, &error, &size);
        errno = error;
        return error == 0 ? 0 : -1;
    }

    TKvRecvResult WaitAndReceive(char* buffer, std::uint32_t maxCount, const TKvEvent* abort,
                                 std::uint32_t timeoutMs, std::uint32_t& received,
                                 std::uint32_t& sysCode)
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
        pollfd fds[2] = {{FSocket, POLLIN, 0}, {-1, POLLIN, 0}};
        if (abort && abort->Valid())
            fds[1].fd = static_cast<int>(abort->NativeHandle());
        for (;;) {
            auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            int n = poll(fds, 2, static_cast<int>(std::clamp<long long>(left, 0, INT_MAX)));
            if (n < 0 && errno != EINTR)
                return TKvRecvResult::StartFailed;
            // The socket is looked at first, as a wait on several objects
            // reports the first one signalled.
            if (n > 0 && fds[0].revents != 0) {
                ssize_t got = recv(FSocket, buffer, maxCount, MSG_DONTWAIT);
                if (got >= 0) {
                    received = static_cast<std::uint32_t>(got);
                    return TKvRecvResult::Ok;
                }
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                    sysCode = WinsockCode(errno);
                    return TKvRecvResult::ResultFailed;
                }
            }
            if (n > 0 && fds[1].revents != 0)
                return TKvRecvResult::Aborted;
            if (n == 0 || left <= 0)
                return TKvRecvResult::TimedOut;
        }
    }

    int FSocket = -1;
};

}  // namespace

std::unique_ptr<TKvNetTransport> CreateSocketTransport()
{
    return std::make_unique<TKvPosixTransport>();
}
