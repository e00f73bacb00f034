#include "io/win32/SysIOOverlapped.h"

#include "io/win32/SysFileWin32.h"

TIOOverlappedReaderFile* TIOOverlappedReaderFile::Open(const std::string& path, TErrCode& errCode,
                                                       std::string& errText)
{
    std::uint32_t sysError = 0;
    TSysFile* file = TSysFile::Open(path, TSysFileHint::Overlapped, sysError);
    if (!file) {
        errCode = ErrFailed;
        errText = SysErrorText(sysError);
        return nullptr;
    }
    return new TIOOverlappedReaderFile(file);
}

void TIOOverlappedReaderFile::BeginRead(void* overlapped, std::uint32_t count, void* buffer)
{
    ImmediateBytes = 0;
    if (ReadFile(SysFileHandle(*File), buffer, count, &ImmediateBytes,
                 static_cast<OVERLAPPED*>(overlapped))) {
        CompletedNow = true;
        ++ImmediateCount;
        return;
    }
    if (GetLastError() != ERROR_IO_PENDING)
        RaiseInternal("SysIO 613:36");
    CompletedNow = false;
    ++PendingCount;
}

std::uint32_t TIOOverlappedReaderFile::EndRead(void* overlapped)
{
    if (CompletedNow)
        return ImmediateBytes;
    DWORD n = 0;
    if (!GetOverlappedResult(SysFileHandle(*File), static_cast<OVERLAPPED*>(overlapped), &n, TRUE))
        RaiseInternal("SysIO 631:96");
    return n;
}
