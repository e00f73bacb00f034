// The client always asks for port 80; this transport sends it to the port of
// a server started by the test instead.
#pragma once

#include "net/KvNetTransport.h"

class TPortRedirect final : public TKvNetTransport {
public:
    explicit TPortRedirect(std::uint16_t Port) : FPort(Port) {}
    bool IsOpen() const override { return FInner->IsOpen(); }
    TKvOpenResult Open(const std::string& Host, std::uint16_t) override { return FInner->Open(Host, FPort); }
    void Close() override { FInner->Close(); }
    std::int64_t Send(const char* Data, std::size_t Count) override { return FInner->Send(Data, Count); }
    TKvRecvResult Receive(char* Buffer, std::uint32_t MaxCount, const TKvEvent* Abort, std::uint32_t TimeoutMs,
                          std::uint32_t& Received, std::uint32_t& SysCode) override
    {
        return FInner->Receive(Buffer, MaxCount, Abort, TimeoutMs, Received, SysCode);
    }

private:
    std::unique_ptr<TKvNetTransport> FInner = CreateSocketTransport();
    std::uint16_t FPort;
};
