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
    bool Push(std::uint32_t length, const char* data)
    {
        if (length == 0)
            return true;
        if (FCount == Capacity)
            return false;
        FSlots[FCount++] = {length, data};
        return true;
    }

    // Copies at most the top slot's bytes. The source may lie in the same
    // buffer as the destination, ahead of it, hence memmove.
    std::uint32_t Take(std::uint32_t maxCount, char* buffer)
    {
        TSlot& top = FSlots[FCount - 1];
        std::uint32_t count = maxCount < top.FLength ? maxCount : top.FLength;
        std::memmove(buffer, top.FData, count);
        top.FData += count;
        top.FLength -= count;
        if (top.FLength == 0)
            --FCount;
        return count;
    }

    // A buffer that moved (grew) takes the slots pointing into it along.
    void Rebase(const char* oldBuffer, std::uint32_t oldSize, const char* newBuffer)
    {
        for (std::uint32_t i = 0; i < FCount; ++i)
            if (FSlots[i].FData >= oldBuffer && FSlots[i].FData < oldBuffer + oldSize)
                FSlots[i].FData = newBuffer + (FSlots[i].FData - oldBuffer);
    }

private:
    struct TSlot {
        std::uint32_t FLength;
        const char* FData;
    };
    TSlot FSlots[Capacity] = {};
    std::uint32_t FCount = 0;
};
