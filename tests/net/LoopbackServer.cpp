#include "LoopbackServer.h"

#include <chrono>

namespace {
constexpr int PollMs = 20;
}

TLoopbackServer::TLoopbackServer(std::vector<TServerConnection> connections)
    : FConnections(std::move(connections))
{
    FListener = ListenLoopback(FPort);
    if (FListener != NoTestSocket)
        FThread = std::thread([this] { Run(); });
}

TLoopbackServer::~TLoopbackServer()
{
    FStop = true;
    if (FThread.joinable())
        FThread.join();
    if (FListener != NoTestSocket)
        CloseTestSocket(FListener);
}

std::vector<std::string> TLoopbackServer::Requests()
{
    std::lock_guard<std::mutex> guard(FLock);
    return FRequests;
}

void TLoopbackServer::Run()
{
    for (const TServerConnection& turns : FConnections) {
        TTestSocket peer = NoTestSocket;
        while (!FStop && peer == NoTestSocket)
            peer = AcceptWithin(FListener, PollMs);
        if (peer == NoTestSocket)
            return;
        ++FAccepted;
        Serve(peer, turns);
        CloseTestSocket(peer);
    }
}

void TLoopbackServer::Serve(TTestSocket peer, const TServerConnection& turns)
{
    for (const TServerTurn& turn : turns) {
        if (!ReadRequest(peer))
            return;
        if (turn.FSilent)
            return WaitForPeerClose(peer);
        for (std::size_t i = 0; i < turn.FPieces.size(); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (!SendAll(peer, turn.FPieces[i]))
                return;
        }
    }
}

bool TLoopbackServer::ReadRequest(TTestSocket peer)
{
    std::string request;
    char buffer[1024];
    while (!FStop && request.find("\r\n\r\n") == std::string::npos) {
        int got = ReceiveWithin(peer, buffer, sizeof buffer, PollMs);
        if (got == 0 || got == -2)
            return false;
        if (got > 0)
            request.append(buffer, static_cast<std::size_t>(got));
    }
    std::lock_guard<std::mutex> guard(FLock);
    FRequests.push_back(request);
    return !FStop;
}

void TLoopbackServer::WaitForPeerClose(TTestSocket peer)
{
    char buffer[64];
    while (!FStop) {
        int got = ReceiveWithin(peer, buffer, sizeof buffer, PollMs);
        if (got == 0 || got == -2)
            return;
    }
}

std::uint16_t ClosedPort()
{
    std::uint16_t port = 0;
    CloseTestSocket(ListenLoopback(port));
    return port;
}
