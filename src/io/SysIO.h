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

inline constexpr std::uint32_t IOBufferSize = 8192;

enum TIOReaderMode : std::uint32_t { iorBuffer = 0, iorBufferMulrea = 1, iorRandom = 2 };

// Shared reading of a file store.
enum TIOShareState : int {
    issNotStarted = 0,
    issReading = 1,  // file open, chunks being read
    issDone = 2,     // whole file read, file closed
    issFailed = 3,   // file closed, ShareErrText set
};

class TIOReader;
class TIOOverlappedReader;

class TIOStore : public TSynNus {
public:
    virtual void Describe(std::string& text) = 0;
    virtual void GetKindName(std::string& text) = 0;
    virtual void GetFileName(std::string& text) = 0;
    virtual void CreatePart(std::uint32_t offset, std::uint32_t length, TIOStore*& store,
                            TErrCode& errCode, std::string& errText) = 0;
    virtual void CreateReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                              std::string& errText) = 0;
    virtual void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) = 0;
    virtual TIOOverlappedReader* CreateOverlappedReader() = 0;

    std::string Describe()
    {
        std::string text;
        Describe(text);
        return text;
    }
};

// One piece of a file read by shared reading. Chunks belong to their store,
// and once linked they are never changed until the store dies.
struct TIOChunk {
    TIOChunk* Prev = nullptr;
    TIOChunk* Next = nullptr;
    std::uint32_t Length = 0;
    std::uint8_t Data[IOBufferSize];
};

class TIOStoreFile : public TIOStore {
public:
    TIOStoreFile(const std::string& path, const std::string& displayName);

    void Describe(std::string& text) override;
    void GetKindName(std::string& text) override;
    void GetFileName(std::string& text) override;
    void CreatePart(std::uint32_t offset, std::uint32_t length, TIOStore*& store, TErrCode& errCode,
                    std::string& errText) override;
    void CreateReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                      std::string& errText) override;
    void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) override;
    TIOOverlappedReader* CreateOverlappedReader() override;
    // The file's length in full; GetSize gives it clamped to 32 bits.
    void GetFullSize(std::uint64_t& size, TErrCode& errCode, std::string& errText);

    using TIOStore::Describe;

    // The shared chunk service: advances cursor to the next chunk of the
    // file, reading it first when no reader has been that far yet. cursor is
    // null at the end of a fully read file.
    void GetNextChunk(TIOChunk*& cursor, TErrCode& errCode, std::string& errText);

    TIOShareState GetShareState();

protected:
    ~TIOStoreFile() override;

private:
    void CreateSharedReader(TIOReader*& reader, TErrCode& errCode, std::string& errText);
    void CreateOwnReader(TIOReaderMode mode, TIOReader*& reader, TErrCode& errCode,
                         std::string& errText);
    bool TakeSizeLocked(TSysFile& file);
    bool ReadSharedChunk(TErrCode& errCode, std::string& errText);
    void CloseShareHandle();

    std::string FileName;
    std::string DisplayName;
    bool Partial = false;
    std::uint32_t PartOffset = 0;
    bool SizeKnown = false;
    std::uint32_t Size = 0;
    std::uint64_t FullSize = 0;

    TCrs ShareLock;  // guards the fields below
    TIOShareState ShareState = issNotStarted;
    TSysFile* ShareHandle = nullptr;
    TIOChunk* FirstChunk = nullptr;
    TIOChunk* LastChunk = nullptr;
    std::uint32_t Remaining = 0;
    std::string ShareErrText;
};

// A reader kind raises an internal failure for the operations it does not
// offer; the base class gives that default.
class TIOReader {
public:
    TIOReader() = default;
    TIOReader(const TIOReader&) = delete;
    TIOReader& operator=(const TIOReader&) = delete;
    virtual ~TIOReader() = default;

    virtual void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText);
    virtual std::uint32_t GetPosition();
    virtual void Seek(std::uint32_t position, TErrCode& errCode, std::string& errText);
    virtual void Read(std::uint32_t count, void* buffer, TErrCode& errCode, std::string& errText);
    virtual void ReadSome(std::uint32_t count, void* buffer, std::uint32_t& bytesRead,
                          TErrCode& errCode, std::string& errText);
    virtual void ReadByte(std::uint8_t& value, TErrCode& errCode, std::string& errText);
    virtual void NextChunk(std::uint32_t& length, const std::uint8_t*& data, TErrCode& errCode,
                           std::string& errText);
    virtual void Skip(std::uint32_t delta, TErrCode& errCode, std::string& errText);
    // Positions and sizes in full 64 bits, for formats whose offsets reach
    // past 4 GiB; Seek and GetSize stay 32-bit.
    virtual void SeekFull(std::uint64_t position, TErrCode& errCode, std::string& errText);
    virtual std::uint64_t GetFullSize();
};

// Hands the file out in chunks of IOBufferSize bytes, the last one holding
// the rest; each chunk is valid until the next NextChunk.
class TIOReaderFileBuffer : public TIOReader {
public:
    TIOReaderFileBuffer(TSysFile* handle, std::uint32_t size);  // owns handle
    ~TIOReaderFileBuffer() override;

    void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) override;
    std::uint32_t GetPosition() override;
    void NextChunk(std::uint32_t& length, const std::uint8_t*& data, TErrCode& errCode,
                   std::string& errText) override;

private:
    TSysFile* Handle;
    std::uint32_t Size;
    std::uint32_t Position = 0;
    std::unique_ptr<std::uint8_t[]> Buffer;
};

// Walks the chunk list of its store; the file is read once however many
// shared readers walk it, and the chunks stay valid while the store lives.
class TIOReaderFileBufferMulrea : public TIOReader {
public:
    explicit TIOReaderFileBufferMulrea(TIOStoreFile* store);  // takes a reference
    ~TIOReaderFileBufferMulrea() override;

    void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) override;
    void NextChunk(std::uint32_t& length, const std::uint8_t*& data, TErrCode& errCode,
                   std::string& errText) override;

private:
    TIOStoreFile* Store;
    std::uint32_t Position = 0;
    TIOChunk* Chunk = nullptr;
    bool AtEnd = false;
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

    void GetSize(std::uint32_t& size, TErrCode& errCode, std::string& errText) override;
    std::uint32_t GetPosition() override;
    void Seek(std::uint32_t position, TErrCode& errCode, std::string& errText) override;
    void Read(std::uint32_t count, void* buffer, TErrCode& errCode, std::string& errText) override;
    void ReadSome(std::uint32_t count, void* buffer, std::uint32_t& bytesRead, TErrCode& errCode,
                  std::string& errText) override;
    void ReadByte(std::uint8_t& value, TErrCode& errCode, std::string& errText) override;
    void Skip(std::uint32_t delta, TErrCode& errCode, std::string& errText) override;
    void SeekFull(std::uint64_t position, TErrCode& errCode, std::string& errText) override;
    std::uint64_t GetFullSize() override;

    // Lets tests compare results with and without the window.
    void SetReadAhead(bool enabled);
    // The first fill reads SmallFillSize, not a whole window: for a check of
    // many files that needs a few structures of each, not 64 KiB of every one.
    void StartSmall() { FirstFillSize = SmallFillSize; }

    // The bytes [offset, offset + count) in the window itself, filled for
    // them when needed, valid until the next read: a walk over a million
    // directories saves a copy and two calls per directory. nullptr when the
    // window cannot hold them all (larger reads, the end of the file, read-
    // ahead off): Read them then, with its failure texts.
    const std::uint8_t* Peek(std::uint64_t offset, std::uint32_t count)
    {
        if (!WindowHolds(offset, count))
            return PeekFilling(offset, count);
        Served(offset + count);
        return Window.get() + (offset - WindowStart);
    }

    // The window as it stands, for a walk that takes many small pieces in a
    // row without a call each; valid until the next read or fill. The walk
    // tells Served how far it read, as Peek would have.
    struct TView {
        const std::uint8_t* Bytes;
        std::uint64_t Start;
        std::uint32_t Length;
        // The bytes, or nullptr unless the view holds them all. An offset
        // below the view wraps to far above it.
        const std::uint8_t* Held(std::uint64_t offset, std::uint32_t count) const
        {
            const std::uint64_t into = offset - Start;
            return into <= Length && count <= Length - into ? Bytes + into : nullptr;
        }
    };
    TView View() const { return {Window.get(), WindowStart, WindowLength}; }
    void Served(std::uint64_t end)
    {
        if (end > ServedEnd)
            ServedEnd = end;
    }

private:
    const std::uint8_t* PeekFilling(std::uint64_t offset, std::uint32_t count);
    bool WindowHolds(std::uint64_t offset, std::uint32_t count) const
    {
        const std::uint64_t into = offset - WindowStart;
        return into <= WindowLength && count <= WindowLength - into;
    }
    std::uint32_t ReadAt(std::uint64_t offset, std::uint32_t count, void* buffer,
                         std::uint32_t& bytesRead);
    bool ReadFromWindow(std::uint64_t offset, std::uint32_t count, void* buffer,
                        std::uint32_t& bytesRead);
    bool FillWindow(std::uint64_t offset, std::uint32_t count);
    std::uint32_t NextFillSize(std::uint64_t offset) const;

    TSysFile* Handle;
    std::uint32_t Size;  // FullSize clamped to 32 bits
    std::uint64_t FullSize;
    std::uint64_t Position = 0;

    bool ReadAhead = true;
    std::unique_ptr<std::uint8_t[]> Window;
    std::uint64_t WindowStart = 0;
    std::uint32_t WindowLength = 0;  // 0: the window holds nothing
    bool WindowReachesEnd = false;   // the fill stopped at the end of the file
    std::uint64_t ServedEnd = 0;     // end of the furthest read the window served
    std::uint32_t LastFillSize = 0;  // 0: no fill yet
    std::uint32_t FirstFillSize = WindowSize;
};

// Overlapped reading; only the Windows build has an implementation
// (io/win32/SysIOOverlapped.h). The record is the system's OVERLAPPED.
class TIOOverlappedReader {
public:
    virtual ~TIOOverlappedReader() = default;
    virtual void BeginRead(void* overlapped, std::uint32_t count, void* buffer) = 0;
    // Returns the number of bytes transferred.
    virtual std::uint32_t EndRead(void* overlapped) = 0;
};
