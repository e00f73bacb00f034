// Stores and readers: a store is a named, reference-counted source of bytes;
// readers are cursors over one store's bytes, created by the store.
//
//   TIOStoreFile* store = new TIOStoreFile(path, displayName);
//   TIOReader* reader = nullptr;
//   store->CreateReader(iorRandom, reader, errCode, errText);
//   reader->Seek(offset, errCode, errText); reader->Read(n, buf, errCode, errText);
//   delete reader; store->Release();
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "io/SynCrs.h"
#include "io/SynTyp.h"
#include "io/SysErr.h"

class TSysFile;

// Readers seek and read anywhere: the TIFF walk jumps between directories
// and the values they point at.
enum TIOReaderMode : std::uint32_t { iorRandom = 2 };

class TIOReader;

class TIOStore : public TSynNus {
public:
    virtual void Describe(std::string& text) = 0;
    virtual void CreateReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                              std::string& errText) = 0;
    virtual void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) = 0;

    std::string Describe()
    {
        std::string text;
        Describe(text);
        return text;
    }
};

class TIOStoreFile : public TIOStore {
public:
    TIOStoreFile(const std::string& path, const std::string& displayName);

    void Describe(std::string& text) override;
    void CreateReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                      std::string& errText) override;
    void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) override;
    // The file's length in full; GetSize gives it clamped to 32 bits.
    void GetFullSize(std::uint64_t& size, TErrCode& errCode, std::string& errText);

    using TIOStore::Describe;

protected:
    ~TIOStoreFile() override = default;

private:
    bool TakeSizeLocked(TSysFile& file);

    std::string FileName;
    std::string DisplayName;

    TCrs SizeLock;  // guards the fields below: readers of other threads ask too
    bool SizeKnown = false;
    std::uint32_t Size = 0;
    std::uint64_t FullSize = 0;
};

class TIOReader {
public:
    TIOReader() = default;
    TIOReader(const TIOReader&) = delete;
    TIOReader& operator=(const TIOReader&) = delete;
    virtual ~TIOReader() = default;

    virtual std::uint32_t GetPosition() = 0;
    virtual void Seek(std::uint32_t position, TErrCode& errCode, std::string& errText) = 0;
    virtual void Read(std::uint32_t count, void* buffer, TErrCode& errCode,
                      std::string& errText) = 0;
    // Positions and sizes in full 64 bits, for formats whose offsets reach
    // past 4 GiB; Seek stays 32-bit.
    virtual void SeekFull(std::uint64_t position, TErrCode& errCode, std::string& errText) = 0;
    virtual std::uint64_t GetFullSize() = 0;
};

// Seek and exact reads. Holds its own handle and no reference to its store.
// Small reads are served from a read-ahead window filled by one system read,
// so walking nearby structures costs one system call per window. A fill
// after a far jump is small, and fills double while the reads run on through
// the window, so scattered structures do not pay for a whole window each.
class TIOReaderFileRandom : public TIOReader {
public:
    static constexpr std::uint32_t WindowSize = 64 * 1024;
    static constexpr std::uint32_t SmallFillSize = 4096;
    // Reads of more than this bypass the window.
    static constexpr std::uint32_t WindowedReadLimit = 4096;

    // owns handle; size is the file's full length
    TIOReaderFileRandom(TSysFile* handle, std::uint64_t size);
    ~TIOReaderFileRandom() override;

    std::uint32_t GetPosition() override;
    void Seek(std::uint32_t position, TErrCode& errCode, std::string& errText) override;
    void Read(std::uint32_t count, void* buffer, TErrCode& errCode, std::string& errText) override;
    void SeekFull(std::uint64_t position, TErrCode& errCode, std::string& errText) override;
    std::uint64_t GetFullSize() override;

    // Lets tests compare results with and without the window.
    void SetReadAhead(bool enabled);

    // The bytes [offset, offset + count) in the window itself, filled for
    // them when needed, valid until the next read: a walk over a million
    // directories saves a copy and two calls per directory. nullptr when the
    // window cannot hold them all (larger reads, the end of the file, read-
    // ahead off): Read them then, with its failure texts.
    const std::uint8_t* Peek(std::uint64_t offset, std::uint32_t count);

private:
    bool WindowHolds(std::uint64_t offset, std::uint32_t count) const
    {
        return offset >= WindowStart && offset - WindowStart <= WindowLength &&
               count <= WindowLength - (offset - WindowStart);
    }
    std::uint32_t ReadAt(std::uint64_t offset, std::uint32_t count, void* buffer,
                         std::uint32_t& bytesRead);
    bool ReadFromWindow(std::uint64_t offset, std::uint32_t count, void* buffer,
                        std::uint32_t& bytesRead);
    bool FillWindow(std::uint64_t offset, std::uint32_t count);
    std::uint32_t NextFillSize(std::uint64_t offset) const;

    TSysFile* Handle;
    std::uint64_t FullSize;
    std::uint64_t Position = 0;

    bool ReadAhead = true;
    std::unique_ptr<std::uint8_t[]> Window;
    std::uint64_t WindowStart = 0;
    std::uint32_t WindowLength = 0;  // 0: the window holds nothing
    bool WindowReachesEnd = false;   // the fill stopped at the end of the file
    std::uint64_t ServedEnd = 0;     // end of the furthest read the window served
    std::uint32_t LastFillSize = 0;  // 0: no fill yet
};
