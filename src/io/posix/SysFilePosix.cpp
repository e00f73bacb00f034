// POSIX files: open + pread. The hints become posix_fadvise advice; there is
// no share mode, so "others may not write" is the caller's assumption here.
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io/SysFile.h"

namespace {

// The codes the program tells apart, in the Windows numbering the texts use.
std::uint32_t SystemErrorCode(int error)
{
    switch (error) {
    case ENOENT: return SysErrorFileNotFound;
    case ENOTDIR: return 3;  // ERROR_PATH_NOT_FOUND
    case EACCES:
    case EPERM: return 5;           // ERROR_ACCESS_DENIED
    case ENAMETOOLONG: return 206;  // ERROR_FILENAME_EXCED_RANGE
    case 0: return 31;              // a failure without a reason: ERROR_GEN_FAILURE
    default: return 0x20000000u | static_cast<std::uint32_t>(error);  // customer bit + errno
    }
}

class TSysFilePosix final : public TSysFile {
public:
    explicit TSysFilePosix(int fd) : Fd(fd) {}
    ~TSysFilePosix() override { ::close(Fd); }

    std::uint32_t GetSize(std::uint64_t& size) override
    {
        struct stat st {};
        if (::fstat(Fd, &st) != 0)
            return SystemErrorCode(errno);
        size = static_cast<std::uint64_t>(st.st_size);
        return 0;
    }

protected:
    std::uint32_t DoReadAt(std::uint64_t offset, void* buffer, std::uint32_t count,
                           std::uint32_t& bytesRead) override
    {
        auto* out = static_cast<unsigned char*>(buffer);
        while (bytesRead < count) {
            ssize_t n = ::pread(Fd, out + bytesRead, count - bytesRead,
                                static_cast<off_t>(offset + bytesRead));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return SystemErrorCode(errno);
            }
            if (n == 0)
                break;
            bytesRead += static_cast<std::uint32_t>(n);
        }
        return 0;
    }

private:
    int Fd;
};

int Advice(TSysFileHint hint)
{
    switch (hint) {
    case TSysFileHint::Sequential: return POSIX_FADV_SEQUENTIAL;
    case TSysFileHint::Random: return POSIX_FADV_RANDOM;
    default: return POSIX_FADV_NORMAL;
    }
}

}  // namespace

TSysFile* TSysFile::Open(const std::string& path, TSysFileHint hint, std::uint32_t& sysError)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        sysError = SystemErrorCode(errno);
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        // Windows refuses to open a folder as a file: access denied.
        sysError = S_ISDIR(st.st_mode) ? 5 : SystemErrorCode(errno);
        ::close(fd);
        return nullptr;
    }
    ::posix_fadvise(fd, 0, 0, Advice(hint));
    sysError = 0;
    return new TSysFilePosix(fd);
}

std::FILE* CreateFileStream(const std::string& path)
{
    return std::fopen(path.c_str(), "wb");
}

std::FILE* OpenFileStream(const std::string& path)
{
    return std::fopen(path.c_str(), "rb");
}

bool DeleteFileAt(const std::string& path)
{
    return std::remove(path.c_str()) == 0;
}
