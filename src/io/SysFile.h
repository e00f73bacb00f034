// File access behind one small interface, one implementation per platform.
// Reads are positioned, so a handle carries no file position of its own and
// a reader's cursor lives in the reader.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// How the file will be read; the system may use it to tune caching.
enum class TSysFileHint { None, Sequential, Random, Overlapped };

// System error codes are the platform's own numbers on Windows; on POSIX the
// ones the program tells apart are mapped to them (a missing file is 2).
inline constexpr std::uint32_t SysErrorFileNotFound = 2;

// A new file of this UTF-8 path for writing as a C stream, replacing one of
// the name; null on failure. The C library's own calls take the ANSI code
// page on Windows.
std::FILE* CreateFileStream(const std::string& path);

// An existing file of this UTF-8 path for reading as a C stream; null on
// failure.
std::FILE* OpenFileStream(const std::string& path);

// Deletes the file; false when it could not.
bool DeleteFileAt(const std::string& path);

class TSysFile {
public:
    TSysFile() = default;
    TSysFile(const TSysFile&) = delete;
    TSysFile& operator=(const TSysFile&) = delete;
    virtual ~TSysFile() = default;

    // Opens an existing file for reading; others may read it but not write
    // it while it is open. Null with sysError set on failure. Paths are
    // UTF-8 everywhere in the program.
    static TSysFile* Open(const std::string& path, TSysFileHint hint, std::uint32_t& sysError);

    // The file's length; returns the system error code, 0 on success.
    virtual std::uint32_t GetSize(std::uint64_t& size) = 0;

    // Reads up to count bytes at offset. bytesRead is short only at the end
    // of the file (error 0) or when the system failed part way (error set).
    // Returns the system error code, 0 on success. Counted for tests.
    std::uint32_t ReadAt(std::uint64_t offset, void* buffer, std::uint32_t count,
                         std::uint32_t& bytesRead);

    // Number of ReadAt calls made by all files of the process so far, and
    // the bytes they asked for and got.
    static std::uint64_t ReadCallCount();
    static std::uint64_t ReadBytesAsked();
    static std::uint64_t ReadBytesGot();

protected:
    virtual std::uint32_t DoReadAt(std::uint64_t offset, void* buffer, std::uint32_t count,
                                   std::uint32_t& bytesRead) = 0;
};
