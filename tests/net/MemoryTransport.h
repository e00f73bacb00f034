// A transport that plays a scripted server from memory: every receive returns
// bytes of the current piece only, so a test decides exactly where the
// response is split. Used by the unit tests and by the fuzz target.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/KvNetTransport.h"

struct TMemoryScript {
    std::vector<std::string> FPieces;
    std::size_t FPiece = 0;
    std::size_t FOffset = 0;
    // What a receive gives once the pieces are used up.
    TKvRecvResult FAtEnd = TKvRecvResult::Ok;
    TKvOpenResult FOpenResult = TKvOpenResult::Ok;
    std::string FSent;
    std::vector<std::string> FOpenedHosts;
    bool FOpen = false;
};

class TMemoryTransport final : public TKvNetTransport {
public:
    explicit TMemoryTransport(std::shared_ptr<TMemoryScript> script) : FScript(std::move(script)) {}

    bool IsOpen() const override { return FScript->FOpen; }
    TKvOpenResult Open(const std::string& host, std::uint16_t port) override;
    void Close() override { FScript->FOpen = false; }
    std::int64_t Send(const char* data, std::size_t count) override;
    TKvRecvResult Receive(char* buffer, std::uint32_t maxCount, const TKvEvent* abort,
                          std::uint32_t timeoutMs, std::uint32_t& received,
                          std::uint32_t& sysCode) override;

private:
    std::shared_ptr<TMemoryScript> FScript;
};

// Splits text into pieces at the given offsets (ascending, inside Text).
std::vector<std::string> SplitAt(const std::string& text, const std::vector<std::size_t>& offsets);
