#include "MemoryTransport.h"

#include <cstring>

TKvOpenResult TMemoryTransport::Open(const std::string& Host, std::uint16_t Port)
{
    FScript->OpenedHosts.push_back(Host + ":" + std::to_string(Port));
    FScript->Open = FScript->OpenResult == TKvOpenResult::Ok;
    return FScript->OpenResult;
}

std::int64_t TMemoryTransport::Send(const char* Data, std::size_t Count)
{
    if (!FScript->Open)
        return -1;
    FScript->Sent.append(Data, Count);
    return static_cast<std::int64_t>(Count);
}

TKvRecvResult TMemoryTransport::Receive(char* Buffer, std::uint32_t MaxCount, const TKvEvent*, std::uint32_t,
                                        std::uint32_t& Received, std::uint32_t& SysCode)
{
    TMemoryScript& s = *FScript;
    ++s.Receives;
    Received = 0;
    while (s.Piece < s.Pieces.size() && s.Offset == s.Pieces[s.Piece].size()) {
        ++s.Piece;
        s.Offset = 0;
    }
    if (s.Piece == s.Pieces.size()) {
        SysCode = 10054;
        return s.AtEnd;
    }
    const std::string& piece = s.Pieces[s.Piece];
    std::size_t count = std::min<std::size_t>(MaxCount, piece.size() - s.Offset);
    std::memcpy(Buffer, piece.data() + s.Offset, count);
    s.Offset += count;
    Received = static_cast<std::uint32_t>(count);
    return TKvRecvResult::Ok;
}

std::vector<std::string> SplitAt(const std::string& Text, const std::vector<std::size_t>& Offsets)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t offset : Offsets) {
        pieces.push_back(Text.substr(start, offset - start));
        start = offset;
    }
    pieces.push_back(Text.substr(start));
    return pieces;
}
