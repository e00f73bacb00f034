// The client always asks for port 80; this transport sends it to the port of
// a server started by the test instead.
#pragma once

#include "net/KvNetTransport.h"

class TPortRedirect final : public TKvNetTransport {
public:
    explicit TPortRedirect(std::uint16_t port) : FPort(port) {}
    bool IsOpen() const override { return FInner->IsOpen(); }
    TKvOpenResult Open(const std::string& host, std::uint16_t) override
    {
        return FInner->Open(host, FPort);
    }
    void Close() override { FInner->Close(); }
    std::int64_t Send(const char* data, std::size_t count) override
    {
        return FInner->Send(data, count);
    }
    TKvRecvResult Receive(char* buffer, std::uint32_t maxCount, const TKvEvent* abort,
                          std::uint32_t timeoutMs, std::uint32_t& received,
                          std::uint32_t& sysCode) override
    {
        return FInner->Receive(buffer, maxCount, abort, timeoutMs, received, sysCode);
    }

private:
    std::unique_ptr<TKvNetTransport> FInner = CreateSocketTransport();
    std::uint16_t FPort;
};
