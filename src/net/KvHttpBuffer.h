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
    ~TKvGrowBuffer() { delete[] Data; }
    TKvGrowBuffer(const TKvGrowBuffer&) = delete;
    TKvGrowBuffer& operator=(const TKvGrowBuffer&) = delete;

    std::uint32_t FreeSpace() const { return Capacity - Used; }

    TKvGrowResult Grow(std::uint32_t Step, std::uint32_t Limit)
    {
        if (Capacity + Step > Limit)
            return TKvGrowResult::Limit;
        char* grown = new (std::nothrow) char[Capacity + Step];
        if (!grown)
            return TKvGrowResult::OutOfMemory;
        if (Used)
            std::memcpy(grown, Data, Used);
        delete[] Data;
        Data = grown;
        Capacity += Step;
        return TKvGrowResult::Ok;
    }

    char* Data = nullptr;
    std::uint32_t Capacity = 0;
    std::uint32_t Used = 0;
};
