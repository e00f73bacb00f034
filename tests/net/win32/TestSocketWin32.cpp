#include "TestSocket.h"

#include <winsock2.h>

namespace {
bool Readable(SOCKET s, int ms)
{
    WSAPOLLFD pfd{s, POLLRDNORM, 0};
    return WSAPoll(&pfd, 1, ms) > 0;
}

SOCKET Native(TTestSocket s)
{
    return static_cast<SOCKET>(s);
}
}  // namespace

TTestSocket ListenLoopback(std::uint16_t& port)
{
    WSADATA data;
    WSAStartup(0x0202, &data);  // counted: the client's own start-up is independent
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        listen(s, 8) != 0 || getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        if (s != INVALID_SOCKET)
            closesocket(s);
        return NoTestSocket;
    }
    port = ntohs(address.sin_port);
    return static_cast<TTestSocket>(s);
}

TTestSocket AcceptWithin(TTestSocket listener, int ms)
{
    if (!Readable(Native(listener), ms))
        return NoTestSocket;
    SOCKET s = accept(Native(listener), nullptr, nullptr);
    if (s == INVALID_SOCKET)
        return NoTestSocket;
    BOOL one = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return static_cast<TTestSocket>(s);
}

int ReceiveWithin(TTestSocket peer, char* buffer, int size, int ms)
{
    if (!Readable(Native(peer), ms))
        return -1;
    int got = recv(Native(peer), buffer, size, 0);
    return got < 0 ? -2 : got;
}

bool SendAll(TTestSocket peer, const std::string& data)
{
    std::size_t sent = 0;
    while (sent < data.size()) {
        int n = send(Native(peer), data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void CloseTestSocket(TTestSocket peer)
{
    closesocket(Native(peer));
}
