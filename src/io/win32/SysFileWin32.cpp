// Win32 files: CreateFileW with read sharing and the access hint; reads are
// positioned through the OVERLAPPED offsets, so the handle's own file
// pointer is never used.
#include "io/win32/SysFileWin32.h"

#include "io/win32/WidePath.h"

namespace {

class TSysFileWin32 final : public TSysFile {
public:
    TSysFileWin32(HANDLE handle, bool overlapped) : Handle(handle), Overlapped(overlapped) {}
    ~TSysFileWin32() override { CloseHandle(Handle); }

    HANDLE GetHandle() const { return Handle; }

    std::uint32_t GetSize(std::uint64_t& size) override
    {
        LARGE_INTEGER length;
        if (!GetFileSizeEx(Handle, &length))
            return GetLastError();
        size = static_cast<std::uint64_t>(length.QuadPart);
        return 0;
    }

protected:
    std::uint32_t DoReadAt(std::uint64_t offset, void* buffer, std::uint32_t count,
                           std::uint32_t& bytesRead) override
    {
        OVERLAPPED position{};
        position.Offset = static_cast<DWORD>(offset);
        position.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD n = 0;
        BOOL ok = ReadFile(Handle, buffer, count, &n, &position);
        DWORD error = ok ? 0 : GetLastError();
        if (error == ERROR_IO_PENDING && Overlapped) {
            ok = GetOverlappedResult(Handle, &position, &n, TRUE);
            error = ok ? 0 : GetLastError();
        }
        bytesRead = n;
        // A positioned read at or past the end reports end-of-file as a
        // failure; to the program that is a short read without an error.
        if (error == ERROR_HANDLE_EOF)
            error = 0;
        return error;
    }

private:
    HANDLE Handle;
    bool Overlapped;
};

DWORD Flags(TSysFileHint hint)
{
    switch (hint) {
    case TSysFileHint::Sequential: return FILE_FLAG_SEQUENTIAL_SCAN;
    case TSysFileHint::Random: return FILE_FLAG_RANDOM_ACCESS;
    case TSysFileHint::Overlapped: return FILE_FLAG_OVERLAPPED;
    default: return FILE_ATTRIBUTE_NORMAL;
    }
}

}  // namespace

TSysFile* TSysFile::Open(const std::string& path, TSysFileHint hint, std::uint32_t& sysError)
{
    const std::wstring wide = SystemPath(path);
    if (wide.empty()) {
        sysError = ERROR_INVALID_NAME;
        return nullptr;
    }
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                Flags(hint), nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        sysError = GetLastError();
        return nullptr;
    }
    sysError = 0;
    return new TSysFileWin32(handle, hint == TSysFileHint::Overlapped);
}

std::FILE* CreateFileStream(const std::string& path)
{
    return _wfopen(SystemPath(path).c_str(), L"wb");
}

std::FILE* OpenFileStream(const std::string& path)
{
    return _wfopen(SystemPath(path).c_str(), L"rb");
}

bool DeleteFileAt(const std::string& path)
{
    return DeleteFileW(SystemPath(path).c_str()) != 0;
}

HANDLE SysFileHandle(TSysFile& file)
{
    return static_cast<TSysFileWin32&>(file).GetHandle();
}
