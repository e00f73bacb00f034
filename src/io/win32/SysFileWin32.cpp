// Win32 files: CreateFileW with read sharing and the access hint; reads are
// positioned through the OVERLAPPED offsets, so the handle's own file
// pointer is never used.
#include <windows.h>

#include "io/SysFile.h"

namespace {

class TSysFileWin32 final : public TSysFile {
public:
    explicit TSysFileWin32(HANDLE handle) : Handle(handle) {}
    ~TSysFileWin32() override { CloseHandle(Handle); }

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
        bytesRead = n;
        // A positioned read at or past the end reports end-of-file as a
        // failure; to the program that is a short read without an error.
        if (error == ERROR_HANDLE_EOF)
            error = 0;
        return error;
    }

private:
    HANDLE Handle;
};

DWORD Flags(TSysFileHint hint)
{
    return hint == TSysFileHint::Random ? FILE_FLAG_RANDOM_ACCESS : FILE_ATTRIBUTE_NORMAL;
}

// The path in UTF-16 from the process's path encoding; empty on failure.
std::wstring WidePath(const std::string& path)
{
    const UINT codePage = TSysFile::Utf8Paths() ? CP_UTF8 : CP_ACP;
    const int size = static_cast<int>(path.size());
    const int length = MultiByteToWideChar(codePage, 0, path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(codePage, 0, path.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

TSysFile* TSysFile::Open(const std::string& path, TSysFileHint hint, std::uint32_t& sysError)
{
    const std::wstring wide = WidePath(path);
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                Flags(hint), nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        sysError = GetLastError();
        return nullptr;
    }
    sysError = 0;
    return new TSysFileWin32(handle);
}
