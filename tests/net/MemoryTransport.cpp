#include "MemoryTransport.h"

#include <cstring>

TKvOpenResult TMemoryTransport::Open(const std::string& host, std::uint16_t port)
{
    FScript->FOpenedHosts.push_back(host + ":" + std::to_string(port));
    FScript->FOpen = FScript->FOpenResult == TKvOpenResult::Ok;
    return FScript->FOpenResult;
}

std::int64_t TMemoryTransport::Send(const char* data, std::size_t count)
{
    if (!FScript->FOpen)
        return -1;
    FScript->FSent.append(data, count);
    return static_cast<std::int64_t>(count);
}

TKvRecvResult TMemoryTransport::Receive(char* buffer, std::uint32_t maxCount, const TKvEvent*,
                                        std::uint32_t, std::uint32_t& received,
                                        std::uint32_t& sysCode)
{
    TMemoryScript& s = *FScript;
    received = 0;
    while (s.FPiece < s.FPieces.size() && s.FOffset == s.FPieces[s.FPiece].size()) {
        ++s.FPiece;
        s.FOffset = 0;
    }
    if (s.FPiece == s.FPieces.size()) {
        sysCode = 10054;
        return s.FAtEnd;
    }
    const std::string& piece = s.FPieces[s.FPiece];
    std::size_t count = std::min<std::size_t>(maxCount, piece.size() - s.FOffset);
    std::memcpy(buffer, piece.data() + s.FOffset, count);
    s.FOffset += count;
    received = static_cast<std::uint32_t>(count);
    return TKvRecvResult::Ok;
}

std::vector<std::string> SplitAt(const std::string& text, const std::vector<std::size_t>& offsets)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t offset : offsets) {
        pieces.push_back(text.substr(start, offset - start));
        start = offset;
    }
    pieces.push_back(text.substr(start));
    return pieces;
}
