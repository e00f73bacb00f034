// Overlapped reading of a file (Windows only).
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "io/SysFile.h"
#include "io/SysIO.h"

class TIOOverlappedReaderFile : public TIOOverlappedReader {
public:
    // Opens path for overlapped reading; null with the error pair set when
    // it cannot be opened.
    static TIOOverlappedReaderFile* Open(const std::string& path, TErrCode& errCode,
                                         std::string& errText);

    // overlapped is an OVERLAPPED record holding the file offset (and an
    // event, if the caller wants one); it must live until EndRead.
    void BeginRead(void* overlapped, std::uint32_t count, void* buffer) override;
    std::uint32_t EndRead(void* overlapped) override;

    bool CompletedNow = false;
    std::uint32_t PendingCount = 0;
    std::uint32_t ImmediateCount = 0;

private:
    explicit TIOOverlappedReaderFile(TSysFile* file) : File(file) {}

    std::unique_ptr<TSysFile> File;
    DWORD ImmediateBytes = 0;
};
