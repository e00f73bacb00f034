#include "TestSocket.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
bool Readable(int fd, int ms)
{
    pollfd pfd{fd, POLLIN, 0};
    return poll(&pfd, 1, ms) > 0;
}
}  // namespace

TTestSocket ListenLoopback(std::uint16_t& port)
{
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(fd, 8) != 0 || getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (fd >= 0)
            close(fd);
        return NoTestSocket;
    }
    port = ntohs(address.sin_port);
    return fd;
}

TTestSocket AcceptWithin(TTestSocket listener, int ms)
{
    if (!Readable(static_cast<int>(listener), ms))
        return NoTestSocket;
    int fd = accept(static_cast<int>(listener), nullptr, nullptr);
    if (fd < 0)
        return NoTestSocket;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

int ReceiveWithin(TTestSocket peer, char* buffer, int size, int ms)
{
    if (!Readable(static_cast<int>(peer), ms))
        return -1;
    ssize_t got = recv(static_cast<int>(peer), buffer, static_cast<std::size_t>(size), 0);
    return got < 0 ? -2 : static_cast<int>(got);
}

bool SendAll(TTestSocket peer, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        ssize_t n =
            send(static_cast<int>(peer), data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void CloseTestSocket(TTestSocket peer)
{
    close(static_cast<int>(peer));
}
