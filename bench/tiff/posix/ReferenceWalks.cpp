#include "../ReferenceWalks.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

class TFile {
public:
    explicit TFile(const std::string& path) : Fd(open(path.c_str(), O_RDONLY))
    {
        if (Fd < 0)
            throw std::runtime_error("cannot open " + path);
    }
    ~TFile() { close(Fd); }
    int Fd;
};

std::uint64_t StatusField(const char* name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::size_t length = std::strlen(name);
    while (std::getline(status, line))
        if (line.compare(0, length, name) == 0)
            return std::stoull(line.substr(length + 1)) * 1024;  // kB
    return 0;
}

}  // namespace

std::uint32_t CountPagesMapped(const std::string& path)
{
    TFile file(path);
    struct stat info {};
    fstat(file.Fd, &info);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file.Fd, 0);
    if (map == MAP_FAILED)
        throw std::runtime_error("cannot map " + path);
    const std::uint32_t pages = CountPagesInBytes(static_cast<const std::uint8_t*>(map), size);
    munmap(map, size);
    return pages;
}

std::uint32_t CountPagesPread(const std::string& path)
{
    TFile file(path);
    std::uint8_t header[8];
    if (pread(file.Fd, header, 8, 0) != 8)
        return 0;
    const bool big = header[0] == 'M';
    std::uint32_t pages = 0;
    std::uint8_t block[512];
    for (std::uint32_t offset = ChainValue(header + 4, 4, big); offset != 0;) {
        const ssize_t got = pread(file.Fd, block, sizeof block, offset);
        if (got < 2)
            break;
        const std::uint32_t end = 2 + 12 * ChainValue(block, 2, big);
        std::uint8_t next[4];
        if (end + 4 <= static_cast<std::uint32_t>(got))
            std::memcpy(next, block + end, 4);
        else if (pread(file.Fd, next, 4, offset + end) != 4)
            break;
        ++pages;
        offset = ChainValue(next, 4, big);
    }
    return pages;
}

std::uint64_t CurrentMemory()
{
    return StatusField("VmRSS:");
}

std::uint64_t PeakMemory()
{
    return StatusField("VmHWM:");
}
