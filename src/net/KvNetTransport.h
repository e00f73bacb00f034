// The connection under the HTTP client: one TCP stream to a host, a blocking
// send and a receive bounded by a time-out that an abort event can end. The
// platform implementations report plain outcomes; the client turns them into
// the texts the user sees, so both platforms word failures alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class TKvEvent;

enum class TKvOpenResult {
    Ok,
    EventFailed,  // the per-connection wait object could not be created
    SocketFailed,
    HostNotFound,
    LookupFailed,  // any other name look-up failure
    Refused,
    ConnectFailed,  // any other connect failure
};

enum class TKvRecvResult {
    Ok,       // received holds the count; 0 means the peer closed
    Aborted,  // the abort event was signalled while waiting
    TimedOut,
    StartFailed,   // the receive could not even be started
    ResultFailed,  // the receive ended with the socket error sysCode
};

class TKvNetTransport {
public:
    virtual ~TKvNetTransport() = default;

    virtual bool IsOpen() const = 0;
    // Creates the socket, resolves host (first IPv4 address) and connects to
    // port. Every failure leaves the transport closed.
    virtual TKvOpenResult Open(const std::string& host, std::uint16_t port) = 0;
    virtual void Close() = 0;
    // One send; returns the count the system reports as sent, -1 on failure.
    virtual std::int64_t Send(const char* data, std::size_t count) = 0;
    // Never returns while the system may still write into buffer.
    virtual TKvRecvResult Receive(char* buffer, std::uint32_t maxCount, const TKvEvent* abort,
                                  std::uint32_t timeoutMs, std::uint32_t& received,
                                  std::uint32_t& sysCode) = 0;
};

// The platform's TCP transport (Windows Sockets or POSIX sockets).
std::unique_ptr<TKvNetTransport> CreateSocketTransport();
