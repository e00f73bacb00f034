// The body of a response as a chain of fixed-size blocks that receives write
// into directly, and a chain of free blocks kept for the next response.
#pragma once

#include <cstdint>
#include <string>

#include "io/SysErr.h"

struct TKvBodyBlock {
    static constexpr std::uint32_t Size = 4096;
    TKvBodyBlock* FPrev = nullptr;
    TKvBodyBlock* FNext = nullptr;
    std::uint32_t FUsed = 0;
    char FData[Size];

    bool Full() const { return FUsed == Size; }
    std::uint32_t FreeSpace() const { return Size - FUsed; }
};

class TKvBodyChain {
public:
    static constexpr std::uint32_t KeptFreeBlocks = 64;

    TKvBodyChain() = default;
    ~TKvBodyChain();
    TKvBodyChain(const TKvBodyChain&) = delete;
    TKvBodyChain& operator=(const TKvBodyChain&) = delete;

    // Moves the body blocks to the free chain, keeps the first 64 free blocks
    // and releases the rest; the total starts again at 0.
    void Recycle();
    // The last body block when it has room, otherwise a new last block taken
    // from the end of the free chain or allocated.
    TKvBodyBlock* WritableBlock(TErrCode& errCode, std::string& errText);

    // Body bytes received for the current response, also those a handler
    // discarded.
    std::uint32_t Total() const { return FTotal; }
    void AddToTotal(std::uint32_t count) { FTotal += count; }
    std::uint32_t HeldBytes() const;
    void CopyTo(char* buffer) const;

    const TKvBodyBlock* FirstBlock() const { return FBodyFirst; }
    std::uint32_t FreeBlockCount() const;

private:
    static void Append(TKvBodyBlock*& first, TKvBodyBlock*& last, TKvBodyBlock* block);
    static TKvBodyBlock* RemoveLast(TKvBodyBlock*& first, TKvBodyBlock*& last);
    static void Release(TKvBodyBlock* first);

    std::uint32_t FTotal = 0;
    TKvBodyBlock* FBodyFirst = nullptr;
    TKvBodyBlock* FBodyLast = nullptr;
    TKvBodyBlock* FFreeFirst = nullptr;
    TKvBodyBlock* FFreeLast = nullptr;
};
