// A scripted HTTP server on 127.0.0.1 for the client's peer tests. It runs
// on its own thread and serves its connections in order; on each one it reads
// a request (up to the empty line) per turn and answers with the turn's
// pieces, a few milliseconds apart so that they tend to arrive separately,
// or streams a piece as fast as the peer reads it.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TestSocket.h"

struct TServerTurn {
    std::vector<std::string> FPieces;
    bool FSilent = false;  // read the request, then answer nothing
};

inline TServerTurn Answer(std::vector<std::string> pieces)
{
    return {std::move(pieces), false};
}
inline TServerTurn SilentTurn()
{
    return {{}, true};
}

using TServerConnection = std::vector<TServerTurn>;

// A loopback port nobody listens on now.
std::uint16_t ClosedPort();

class TLoopbackServer {
public:
    explicit TLoopbackServer(std::vector<TServerConnection> connections);
    ~TLoopbackServer();

    std::uint16_t Port() const { return FPort; }
    int Accepted() const { return FAccepted; }
    std::vector<std::string> Requests();

private:
    void Run();
    void Serve(TTestSocket peer, const TServerConnection& turns);
    bool ReadRequest(TTestSocket peer);
    void WaitForPeerClose(TTestSocket peer);

    std::vector<TServerConnection> FConnections;
    TTestSocket FListener = NoTestSocket;
    std::uint16_t FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FAccepted{0};
    std::mutex FLock;
    std::vector<std::string> FRequests;
    std::thread FThread;
};
