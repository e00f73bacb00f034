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
        FBodyFirst->Prev = FFreeLast;
        if (FFreeLast)
            FFreeLast->Next = FBodyFirst;
        else
            FFreeFirst = FBodyFirst;
        FFreeLast = FBodyLast;
        FBodyFirst = FBodyLast = nullptr;
    }
    Total = 0;
    TKvBodyBlock* block = FFreeFirst;
    for (std::uint32_t kept = 1; block && kept < KeptFreeBlocks; ++kept)
        block = block->Next;
    if (block && block->Next) {
        Release(block->Next);
        block->Next = nullptr;
        FFreeLast = block;
    }
}

TKvBodyBlock* TKvBodyChain::WritableBlock(TErrCode& ErrCode, std::string& ErrText)
{
    if (FBodyLast && !FBodyLast->Full())
        return FBodyLast;
    TKvBodyBlock* block = RemoveLast(FFreeFirst, FFreeLast);
    if (!block) {
        block = new (std::nothrow) TKvBodyBlock;
        if (!block) {
            ErrCode = ErrFailed;
            ErrText = OutOfMemoryText;
            return nullptr;
        }
    }
    block->Used = 0;
    Append(FBodyFirst, FBodyLast, block);
    return block;
}

std::uint32_t TKvBodyChain::HeldBytes() const
{
    std::uint32_t held = 0;
    for (const TKvBodyBlock* block = FBodyFirst; block; block = block->Next)
        held += block->Used;
    return held;
}

void TKvBodyChain::CopyTo(char* Buffer) const
{
    for (const TKvBodyBlock* block = FBodyFirst; block; block = block->Next) {
        std::memcpy(Buffer, block->Data, block->Used);
        Buffer += block->Used;
    }
}

std::uint32_t TKvBodyChain::FreeBlockCount() const
{
    std::uint32_t count = 0;
    for (const TKvBodyBlock* block = FFreeFirst; block; block = block->Next)
        ++count;
    return count;
}

void TKvBodyChain::Append(TKvBodyBlock*& first, TKvBodyBlock*& last, TKvBodyBlock* block)
{
    block->Prev = last;
    block->Next = nullptr;
    if (last)
        last->Next = block;
    else
        first = block;
    last = block;
}

TKvBodyBlock* TKvBodyChain::RemoveLast(TKvBodyBlock*& first, TKvBodyBlock*& last)
{
    TKvBodyBlock* block = last;
    if (!block)
        return nullptr;
    last = block->Prev;
    if (last)
        last->Next = nullptr;
    else
        first = nullptr;
    return block;
}

void TKvBodyChain::Release(TKvBodyBlock* first)
{
    while (first) {
        TKvBodyBlock* next = first->Next;
        delete first;
        first = next;
    }
}
