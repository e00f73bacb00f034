// Raw byte files for the storage tests, removed again when the test ends.
#pragma once

#include <cstdint>
#include <string>

class TTempFile {
public:
    // A file holding exactly these bytes.
    explicit TTempFile(const std::string& bytes);
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;

    const std::string& Path() const { return FPath; }

    void Rewrite(const std::string& bytes) const;
    // Grows the file to size without writing the gap (sparse where the file
    // system allows), then writes bytes at offset.
    void Extend(std::uint64_t size) const;
    void WriteAt(std::uint64_t offset, const std::string& bytes) const;
    // Whether the file can be deleted now; deletes it when it can.
    bool TryRemove();

private:
    std::string FPath;
};

// A path in the temporary folder where no file exists.
std::string MissingPath();

// count bytes that differ from position to position, so a misplaced read
// shows as wrong data.
std::string PatternBytes(std::size_t count, std::uint32_t seed = 1);

// Open file handles of this process, or -1 where the platform does not say.
int OpenHandleCount();
