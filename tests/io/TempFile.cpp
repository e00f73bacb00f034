#include "TempFile.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string UniquePath()
{
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return (fs::temp_directory_path() /
            ("orvane-io-" + std::to_string(salt) + "-" + std::to_string(counter++) + ".bin"))
        .string();
}

}  // namespace

TTempFile::TTempFile(const std::string& bytes) : FPath(UniquePath())
{
    Rewrite(bytes);
}

TTempFile::~TTempFile()
{
    std::error_code ignored;
    fs::remove(FPath, ignored);
}

void TTempFile::Rewrite(const std::string& bytes) const
{
    std::ofstream out(FPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + FPath);
}

void TTempFile::Extend(std::uint64_t size) const
{
    fs::resize_file(FPath, size);
}

void TTempFile::WriteAt(std::uint64_t offset, const std::string& bytes) const
{
    std::fstream out(FPath, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(offset));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write into " + FPath);
}

bool TTempFile::TryRemove()
{
    std::error_code error;
    return fs::remove(FPath, error) && !error;
}

std::string MissingPath()
{
    return UniquePath();
}

std::string PatternBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

int OpenHandleCount()
{
#ifdef _WIN32
    // Under Wine /proc is visible but counts Wine's own descriptors too; on
    // Windows the delete-after-close check stands in for the count.
    return -1;
#endif
    std::error_code error;
    fs::directory_iterator it("/proc/self/fd", error);
    if (error)
        return -1;
    int count = 0;
    for (; it != fs::directory_iterator(); ++it)
        ++count;
    return count;
}
