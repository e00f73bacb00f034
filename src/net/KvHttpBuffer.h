// A receive buffer that grows in fixed steps up to a fixed limit and is never
// shrunk while its owner lives.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>

enum class TKvGrowResult { Ok, OutOfMemory, Limit };

class TKvGrowBuffer {
public:
    TKvGrowBuffer() = default;
    ~TKvGrowBuffer() { delete[] FData; }
    TKvGrowBuffer(const TKvGrowBuffer&) = delete;
    TKvGrowBuffer& operator=(const TKvGrowBuffer&) = delete;

    std::uint32_t FreeSpace() const { return FCapacity - FUsed; }
    char* End() { return FData + FUsed; }

    TKvGrowResult Grow(std::uint32_t step, std::uint32_t limit)
    {
        if (FCapacity + step > limit)
            return TKvGrowResult::Limit;
        char* grown = new (std::nothrow) char[FCapacity + step];
        if (!grown)
            return TKvGrowResult::OutOfMemory;
        if (FUsed)
            std::memcpy(grown, FData, FUsed);
        delete[] FData;
        FData = grown;
        FCapacity += step;
        return TKvGrowResult::Ok;
    }

    char* FData = nullptr;
    std::uint32_t FCapacity = 0;
    std::uint32_t FUsed = 0;
};
