#include "LoopbackServer.h"

#include <chrono>

namespace {
constexpr int PollMs = 20;
}

TLoopbackServer::TLoopbackServer(std::vector<TServerConnection> Connections)
    : FConnections(std::move(Connections))
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
        TTestSocket socket = NoTestSocket;
        while (!FStop && socket == NoTestSocket)
            socket = AcceptWithin(FListener, PollMs);
        if (socket == NoTestSocket)
            return;
        ++FAccepted;
        Serve(socket, turns);
        CloseTestSocket(socket);
    }
}

void TLoopbackServer::Serve(TTestSocket Socket, const TServerConnection& Turns)
{
    for (const TServerTurn& turn : Turns) {
        if (!ReadRequest(Socket))
            return;
        if (turn.Silent)
            return WaitForPeerClose(Socket);
        for (std::size_t i = 0; i < turn.Pieces.size(); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (!SendAll(Socket, turn.Pieces[i]))
                return;
        }
    }
}

bool TLoopbackServer::ReadRequest(TTestSocket Socket)
{
    std::string request;
    char buffer[1024];
    while (!FStop && request.find("\r\n\r\n") == std::string::npos) {
        int got = ReceiveWithin(Socket, buffer, sizeof buffer, PollMs);
        if (got == 0 || got == -2)
            return false;
        if (got > 0)
            request.append(buffer, static_cast<std::size_t>(got));
    }
    std::lock_guard<std::mutex> guard(FLock);
    FRequests.push_back(request);
    return !FStop;
}

void TLoopbackServer::WaitForPeerClose(TTestSocket Socket)
{
    char buffer[64];
    while (!FStop) {
        int got = ReceiveWithin(Socket, buffer, sizeof buffer, PollMs);
        if (got == 0 || got == -2)
            return;
    }
}
