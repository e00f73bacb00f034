#include "io/SysFile.h"

#include <atomic>

namespace {
std::atomic<std::uint64_t> ReadCalls{0};
std::atomic<std::uint64_t> ReadBytes{0};
std::atomic<std::uint64_t> BytesGot{0};
}  // namespace

std::uint32_t TSysFile::ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count,
                               std::uint32_t& bytesRead)
{
    ReadCalls.fetch_add(1, std::memory_order_relaxed);
    ReadBytes.fetch_add(count, std::memory_order_relaxed);
    bytesRead = 0;
    const std::uint32_t error = DoReadAt(offset, buffer, count, bytesRead);
    BytesGot.fetch_add(bytesRead, std::memory_order_relaxed);
    return error;
}

std::uint64_t TSysFile::ReadCallCount()
{
    return ReadCalls.load(std::memory_order_relaxed);
}

std::uint64_t TSysFile::ReadBytesAsked()
{
    return ReadBytes.load(std::memory_order_relaxed);
}

std::uint64_t TSysFile::ReadBytesGot()
{
    return BytesGot.load(std::memory_order_relaxed);
}
