// A transport that plays a scripted server from memory: every receive returns
// bytes of the current piece only, so a test decides exactly where the
// response is split. Used by the unit tests and by the fuzz target.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/KvNetTransport.h"

struct TMemoryScript {
    std::vector<std::string> Pieces;
    std::size_t Piece = 0;
    std::size_t Offset = 0;
    // What a receive gives once the pieces are used up.
    TKvRecvResult AtEnd = TKvRecvResult::Ok;
    TKvOpenResult OpenResult = TKvOpenResult::Ok;
    std::string Sent;
    std::vector<std::string> OpenedHosts;
    int Receives = 0;
    bool Open = false;
};

class TMemoryTransport final : public TKvNetTransport {
public:
    explicit TMemoryTransport(std::shared_ptr<TMemoryScript> Script) : FScript(std::move(Script)) {}

    bool IsOpen() const override { return FScript->Open; }
    TKvOpenResult Open(const std::string& Host, std::uint16_t Port) override;
    void Close() override { FScript->Open = false; }
    std::int64_t Send(const char* Data, std::size_t Count) override;
    TKvRecvResult Receive(char* Buffer, std::uint32_t MaxCount, const TKvEvent* Abort, std::uint32_t TimeoutMs,
                          std::uint32_t& Received, std::uint32_t& SysCode) override;

private:
    std::shared_ptr<TMemoryScript> FScript;
};

// Splits Text into pieces at the given offsets (ascending, inside Text).
std::vector<std::string> SplitAt(const std::string& Text, const std::vector<std::size_t>& Offsets);
