#include "net/KvHttpBody.h"

#include <cstring>
#include <new>

TKvBodyChain::~TKvBodyChain()
{
    Release(FBodyFirst);
    Release(FFreeFirst);
}

void TKvBodyChain::Recycle()
{
    if (FBodyFirst) {
        FBodyFirst->FPrev = FFreeLast;
        if (FFreeLast)
            FFreeLast->FNext = FBodyFirst;
        else
            FFreeFirst = FBodyFirst;
        FFreeLast = FBodyLast;
        FBodyFirst = FBodyLast = nullptr;
    }
    FTotal = 0;
    TKvBodyBlock* block = FFreeFirst;
    for (std::uint32_t kept = 1; block && kept < KeptFreeBlocks; ++kept)
        block = block->FNext;
    if (block && block->FNext) {
        Release(block->FNext);
        block->FNext = nullptr;
        FFreeLast = block;
    }
}

TKvBodyBlock* TKvBodyChain::WritableBlock(TErrCode& errCode, std::string& errText)
{
    if (FBodyLast && !FBodyLast->Full())
        return FBodyLast;
    TKvBodyBlock* block = RemoveLast(FFreeFirst, FFreeLast);
    if (!block) {
        block = new (std::nothrow) TKvBodyBlock;
        if (!block) {
            errCode = ErrFailed;
            errText = OutOfMemoryText;
            return nullptr;
        }
    }
    block->FUsed = 0;
    Append(FBodyFirst, FBodyLast, block);
    return block;
}

std::uint32_t TKvBodyChain::HeldBytes() const
{
    std::uint32_t held = 0;
    for (const TKvBodyBlock* block = FBodyFirst; block; block = block->FNext)
        held += block->FUsed;
    return held;
}

void TKvBodyChain::CopyTo(char* buffer) const
{
    for (const TKvBodyBlock* block = FBodyFirst; block; block = block->FNext) {
        std::memcpy(buffer, block->FData, block->FUsed);
        buffer += block->FUsed;
    }
}

std::uint32_t TKvBodyChain::FreeBlockCount() const
{
    std::uint32_t count = 0;
    for (const TKvBodyBlock* block = FFreeFirst; block; block = block->FNext)
        ++count;
    return count;
}

void TKvBodyChain::Append(TKvBodyBlock*& first, TKvBodyBlock*& last, TKvBodyBlock* block)
{
    block->FPrev = last;
    block->FNext = nullptr;
    if (last)
        last->FNext = block;
    else
        first = block;
    last = block;
}

TKvBodyBlock* TKvBodyChain::RemoveLast(TKvBodyBlock*& first, TKvBodyBlock*& last)
{
    TKvBodyBlock* block = last;
    if (!block)
        return nullptr;
    last = block->FPrev;
    if (last)
        last->FNext = nullptr;
    else
        first = nullptr;
    return block;
}

void TKvBodyChain::Release(TKvBodyBlock* first)
{
    while (first) {
        TKvBodyBlock* next = first->FNext;
        delete first;
        first = next;
    }
}
