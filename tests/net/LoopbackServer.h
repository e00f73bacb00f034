// A scripted HTTP server on 127.0.0.1 for the client's socket tests. It runs
// on its own thread and serves its connections in order; on each one it reads
// a request (up to the empty line) per turn and answers with the turn's
// pieces, a few milliseconds apart so that they tend to arrive separately.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSocket.h"

struct TServerTurn {
    std::vector<std::string> Pieces;
    bool Silent = false; // read the request, then answer nothing
};

using TServerConnection = std::vector<TServerTurn>;

class TLoopbackServer {
public:
    explicit TLoopbackServer(std::vector<TServerConnection> Connections);
    ~TLoopbackServer();

    std::uint16_t Port() const { return FPort; }
    int Accepted() const { return FAccepted; }
    std::vector<std::string> Requests();

private:
    void Run();
    void Serve(TTestSocket Socket, const TServerConnection& Turns);
    bool ReadRequest(TTestSocket Socket);
    void WaitForPeerClose(TTestSocket Socket);

    std::vector<TServerConnection> FConnections;
    TTestSocket FListener = NoTestSocket;
    std::uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FAccepted{0};
    std::mutex FLock;
    std::vector<std::string> FRequests;
    std::thread FThread;
};
