// Bytes already received into one of the client's buffers but read past by a
// line scanner; they are handed out again before the network is asked.
#pragma once

#include <cstdint>
#include <cstring>

class TKvPendingInput {
public:
    static constexpr std::uint32_t Capacity = 5;

    void Clear() { FCount = 0; }
    bool Empty() const { return FCount == 0; }
    std::uint32_t Count() const { return FCount; }

    // False when the stack is full; a length of 0 pushes nothing.
    bool Push(std::uint32_t Length, const char* Data)
    {
        if (Length == 0)
            return true;
        if (FCount == Capacity)
            return false;
        FSlots[FCount++] = {Length, Data};
        return true;
    }

    // Copies at most the top slot's bytes. The source may lie in the same
    // buffer as the destination, ahead of it, hence memmove.
    std::uint32_t Take(std::uint32_t MaxCount, char* Buffer)
    {
        TSlot& top = FSlots[FCount - 1];
        std::uint32_t count = MaxCount < top.Length ? MaxCount : top.Length;
        std::memmove(Buffer, top.Data, count);
        top.Data += count;
        top.Length -= count;
        if (top.Length == 0)
            --FCount;
        return count;
    }

    // A buffer that moved (grew) takes the slots pointing into it along.
    void Rebase(const char* OldBuffer, std::uint32_t OldSize, const char* NewBuffer)
    {
        for (std::uint32_t i = 0; i < FCount; ++i)
            if (FSlots[i].Data >= OldBuffer && FSlots[i].Data < OldBuffer + OldSize)
                FSlots[i].Data = NewBuffer + (FSlots[i].Data - OldBuffer);
    }

private:
    struct TSlot {
        std::uint32_t Length;
        const char* Data;
    };
    TSlot FSlots[Capacity] = {};
    std::uint32_t FCount = 0;
};
