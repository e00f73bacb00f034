// The TIFF structure reader: header, page (IFD) chain, directory entries and
// their values, the texts shown for them and the raster size of a page. It
// never decodes raster data.
//
// One object reads one file at a time. It is a forward cursor over the page
// chain (SelectPage puts the cursor on a page, ReadPage loads that page and
// moves on) with a page list beside it, so pages found once are reached again
// directly. The object has no lock: its owner serialises every call.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "io/SysErr.h"
#include "tiff/SizeText.h"
#include "tiff/TagDump.h"

class TIOStoreFile;
class TIOReader;

// Value states of a decoded entry.
enum TTiffValueState : std::uint32_t {
    tvsNone = 0,       // record not decoded
    tvsInline = 1,     // value in FInline, host order
    tvsLittle = 2,     // read from a little-endian file: FData
    tvsRaw = 3,        // read from a big-endian file, not converted yet: FRawData
    tvsConverted = 4,  // FData host order, FRawData file order
    tvsNotRead = 5,    // out of line, not read yet
};

// States of the reader as a whole.
enum TTiffReaderState : std::int32_t {
    trsFailed = -1,  // the header failed; every operation gives FOpenErrText until Open
    trsNone = 0,     // nothing opened
    trsOpened = 1,   // opened, header not read yet
    trsReady = 2,
};

struct TTiffEntry {
    std::uint32_t FTag;
    std::uint32_t FDataType;
    std::uint64_t FCount;
    std::uint64_t FOffset;  // file offset of an out-of-line value
    std::int64_t FSize;     // TypeSize * FCount, never wrapped (saturated)
    TTiffValueState FState;
    std::uint8_t FInline[8];  // the value itself when FState is tvsInline
    std::uint8_t* FData;      // host-order buffer (tvsLittle, tvsConverted)
    std::uint8_t* FRawData;   // file-order buffer (tvsRaw, tvsConverted)
    // Bytes held in the buffers: the start of the value when only a text
    // needed it, FSize once the whole value was asked for.
    std::uint32_t FLoaded;
};

class TKvCodecTrnTiff {
public:
    static constexpr const char* FormatDescription = "TIFF (Tagged Image File Format)";
    static constexpr const char* FormatFileMask = "*.tif;*.tiff";

    static constexpr std::uint32_t PageListGrowth = 1024;
    static constexpr std::uint32_t MaxTagCount = 1024;
    static constexpr std::uint32_t EntryGrowth = 32;
    static constexpr std::uint32_t PoolGrowth = 64;
    // Values up to this size stay loaded until the next page; of larger ones
    // only the last one asked for whole is kept.
    static constexpr std::uint32_t KeptValueSize = 4096;
    // Bytes the pool keeps after a page or file load; buffers above
    // KeptValueSize go back to the heap at once.
    static constexpr std::uint64_t PoolKeptBytes = 256 * 1024;
    // Chunk in which the raster size reads a byte count list.
    static constexpr std::uint32_t RasterChunkSize = 64 * 1024;
    // Page list slot and cursor value of a page whose directory cannot be
    // read. A classic file's offset 0xFFFFFFFF is taken as this mark.
    static constexpr std::uint64_t BrokenMark = UINT64_MAX;

    TKvCodecTrnTiff();
    ~TKvCodecTrnTiff();
    TKvCodecTrnTiff(const TKvCodecTrnTiff&) = delete;
    TKvCodecTrnTiff& operator=(const TKvCodecTrnTiff&) = delete;

    // --- file and page chain ---------------------------------------------
    void EnablePageList(bool flag, TErrCode& errCode, std::string& errText);
    // Attaches a file without touching it; the header is read by the first
    // operation that needs it. The window passes page 0 and offset 0.
    void Open(const std::string& path, const std::string& displayName, std::uint32_t pageIndex,
              std::uint64_t ifdOffset, TErrCode& errCode, std::string& errText);
    void SelectPage(std::uint32_t pageIndex, TErrCode& errCode, std::string& errText);
    // Loads the directory of the page at the cursor and moves the cursor on.
    void ReadPage(TErrCode& errCode, std::string& errText);
    // Extends the page list by at most one directory; a broken or looping
    // chain ends the count with errCode 0 (the text waits in the broken page).
    void ScanStep(bool& final, TErrCode& errCode, std::string& errText);
    // ScanStep up to steps times, ending early when final or failed: a count
    // that holds no lock between its steps.
    void ScanSteps(std::uint32_t steps, bool& final, TErrCode& errCode, std::string& errText);
    void GetPageCount(bool& final, std::uint32_t& count) const;

    void GetByteOrder(std::string& text, TErrCode& errCode, std::string& errText);
    std::string ByteOrderText();  // "Intel", "Motorola" or empty on failure
    void GetFileSize(std::uint64_t& size, TErrCode& errCode, std::string& errText);
    std::uint64_t FileSize();  // throws std::runtime_error(errText) on failure

    // Directory offset of the page whose entries are loaded.
    std::uint64_t IfdOffset() const { return FIfdOffset; }
    // The header said BigTIFF (43: 8-byte counts and offsets, 20-byte
    // entries); valid once the header is read.
    bool IsBigTiff() const { return FBigTiff; }
    // Entries of the loaded page; indices run from 0 to EntryCount() - 1.
    std::uint32_t EntryCount() const { return FEntryCount; }
    // The end of the file cut the loaded directory: the entries are those
    // that lie whole within the file, and the chain is broken behind it.
    bool DirectoryCut() const { return FDirectoryCut; }
    static constexpr const char* DirectoryCutText = "Premature end of data";

    // --- entries and values ----------------------------------------------
    void TagName(std::uint32_t index, std::string& text) const;
    std::string TagName(std::uint32_t index) const;
    void DataTypeName(std::uint32_t index, std::string& text) const;
    std::string DataTypeName(std::uint32_t index) const;
    static void DataTypeNameLower(std::uint32_t dataType, std::string& text);
    std::uint64_t ValueCount(std::uint32_t index) const;
    // May read the value from the file; a value that lies outside the file
    // raises EKvInternal, one larger than the whole file gives the empty text.
    void ValueText(std::uint32_t index, std::uint32_t limit, std::string& text);
    std::string ValueText(std::uint32_t index, std::uint32_t limit);

    // Byte size of the value (type size * count).
    std::int64_t ValueSize(std::uint32_t index) const;
    // The value bytes in host order, ValueSize(index) of them.
    void GetValuePtr(std::uint32_t index, const std::uint8_t*& pointer, TErrCode& errCode,
                     std::string& errText);
    const std::uint8_t* ValuePointer(std::uint32_t index);  // throws std::runtime_error(errText)
    std::int32_t FindTag(std::uint32_t tag) const;          // first index or -1

    // --- raster size of the loaded page ----------------------------------
    void GetRasterSize(std::uint32_t& size, TErrCode& errCode, std::string& errText);
    void GetRasterSizeText(std::string& text, TErrCode& errCode, std::string& errText);
    void RasterSizeText(std::string& text);  // empty when the size cannot be deduced
    std::string RasterSizeText();

    // --- inspection (tools and tests) --------------------------------------
    TTiffReaderState GetState() const { return FState; }
    bool IsBigEndian() const { return FBigEndian; }
    std::uint32_t CursorPageIndex() const { return FCurPageIndex; }
    std::uint64_t CursorIfdOffset() const { return FCurIfdOffset; }
    std::uint64_t PageSlot(std::uint32_t index) const;  // 0 beyond the list
    const std::string& GetBrokenText() const { return FBrokenText; }
    std::uint32_t GetEntryCapacity() const { return FEntryCapacity; }
    const TTiffEntry& GetEntry(std::uint32_t index) const { return FEntries[index]; }
    std::uint32_t GetPoolCount() const { return static_cast<std::uint32_t>(FPool.size()); }

private:
    struct TPoolSlot {
        std::uint32_t FSize;
        std::uint8_t* FBuffer;
    };
    enum TChainRead { crOk, crCountFailed, crNextFailed };

    // header and chain
    void EnsureHeader(TErrCode& errCode, std::string& errText);
    void Fail(const std::string& text);
    void SetPageOffset(std::uint32_t index, std::uint64_t offset, TErrCode& errCode,
                       std::string& errText);
    void StoreNextOffset(std::uint32_t index, std::uint64_t offset, TErrCode& errCode,
                         std::string& errText);
    void MarkBroken(std::uint32_t index, const std::string& text, TErrCode& errCode,
                    std::string& errText);
    void BreakAtCursor(const std::string& text);
    TChainRead ReadNextOffset(std::uint64_t ifdOffset, std::uint64_t& next,
                              std::string& readerText);
    std::uint32_t LastKnownPage() const;
    template <bool BigTiff>
    std::uint32_t AppendRisingRun(std::uint32_t steps);
    void ScanStepInFull(bool& final, TErrCode& errCode, std::string& errText);
    bool ReadAt(std::uint64_t position, std::uint32_t count, void* buffer, std::string& readerText);
    // The bytes in the reader's window, or nullptr when they must be read
    // (outside the window or the file).
    const std::uint8_t* PeekAt(std::uint64_t position, std::uint32_t count);
    std::string ReadFailureText(const std::string& readerText) const;
    std::string ProbeReadText(std::uint64_t offset);
    std::string DescribeStore() const;
    void ResetPageList();
    std::uint16_t Get16(const std::uint8_t* bytes) const;
    std::uint32_t Get32(const std::uint8_t* bytes) const;
    std::uint64_t Get64(const std::uint8_t* bytes) const;
    // A directory offset or entry count as the file's kind stores it; a
    // classic offset 0xFFFFFFFF becomes BrokenMark.
    std::uint64_t GetOffset(const std::uint8_t* bytes) const;
    std::uint64_t GetDirCount(const std::uint8_t* bytes) const;
    // Field sizes of the file's kind.
    std::uint32_t DirCountSize() const { return FBigTiff ? 8 : 2; }
    std::uint32_t EntrySize() const { return FBigTiff ? 20 : 12; }
    std::uint32_t OffsetSize() const { return FBigTiff ? 8 : 4; }
    std::uint32_t InlineSize() const { return FBigTiff ? 8 : 4; }
    // Where the next offset of the directory at ifdOffset with count
    // entries lies; classic sums wrap at 32 bits, BigTIFF ones saturate.
    std::uint64_t NextOffsetPosition(std::uint64_t ifdOffset, std::uint64_t count) const;
    std::uint32_t TypeSize(std::uint32_t dataType) const;

    // loop detection over the offsets in the page list
    // Adds page index, whose offset is in the list; 1 added, 0 its offset
    // is known already, -1 no memory.
    int KnownOffsetsInsert(std::uint32_t index);
    void KnownOffsetsPut(std::uint32_t index);
    bool KnownOffsetsRebuild(std::size_t capacity, std::uint32_t skip);

    // directory and values
    const TTiffEntry& EntryAt(std::uint32_t index) const;
    TTiffEntry& EntryAt(std::uint32_t index);
    // The next directory's offset; BrokenMark with errCode set when the
    // count cannot be read, and BrokenMark for a cut directory.
    std::uint64_t ReadDirectory(TErrCode& errCode, std::string& errText);
    std::uint32_t EntriesInFile(std::uint64_t entriesAt, std::uint32_t count) const;
    void PrepareEntries(std::uint32_t count);
    void DropEntries();
    void DecodeEntries();
    void DecodeBigEndianInline(TTiffEntry& entry, const std::uint8_t* value) const;
    void EnsureValue(TTiffEntry& entry, std::uint64_t need, TErrCode& errCode,
                     std::string& errText);
    void EnsureValueQuiet(TTiffEntry& entry, std::uint64_t need);
    bool ValueInFile(const TTiffEntry& entry) const;
    void LoadValue(TTiffEntry& entry, std::uint64_t wanted, TErrCode& errCode,
                   std::string& errText);
    void UnloadValue(TTiffEntry& entry);
    void TrimPool();
    void SwapValue(TTiffEntry& entry, TErrCode& errCode, std::string& errText);
    void AcquireBuffer(std::uint32_t size, std::uint8_t*& buffer, TErrCode& errCode,
                       std::string& errText);
    void ReleaseBuffer(std::uint8_t* buffer);
    void ReleaseValues();
    void FreeValueBuffers();
    const std::uint8_t* ValueBytes(const TTiffEntry& entry) const;

    // value texts and raster size
    void NamedValueText(const TTiffEntry& entry, std::string& text) const;
    void ListText(const TTiffEntry& entry, const std::uint8_t* bytes, std::uint32_t available,
                  std::uint32_t limit, std::string& text) const;
    void RationalText(TTiffEntry& entry, std::string& text);
    void AsciiText(TTiffEntry& entry, std::uint32_t limit, std::string& text);
    void ComputeRasterSize(std::uint32_t& size, TErrCode& errCode, std::string& errText);
    void SumValue(const TTiffEntry& entry, std::uint32_t& sum, TErrCode& errCode,
                  std::string& errText);

    TTiffReaderState FState = trsNone;
    std::string FOpenErrText;
    TIOStoreFile* FStore = nullptr;
    std::uint32_t FCurPageIndex = 0;
    std::uint64_t FCurIfdOffset = 0;
    TIOReader* FReader = nullptr;
    bool FBigEndian = false;
    bool FBigTiff = false;
    std::uint64_t FIfdOffset = 0;
    std::uint64_t FFirstIfdOffset = 0;

    std::uint32_t FEntryCapacity = 0;
    std::uint32_t FEntryCount = 0;
    std::unique_ptr<std::uint8_t[]> FRawEntries;
    std::unique_ptr<TTiffEntry[]> FEntries;
    bool FDirectoryCut = false;

    bool FRasterDone = false;
    bool FRasterFailed = false;
    std::string FRasterErrText;
    std::uint32_t FRasterSize = 0;

    std::vector<TPoolSlot> FPool;  // sorted by size, ascending
    std::uint64_t FPoolBytes = 0;
    // The entry whose value above KeptValueSize is loaded whole, or NoEntry.
    static constexpr std::uint32_t NoEntry = 0xFFFFFFFF;
    std::uint32_t FWholeIndex = NoEntry;

    bool FPageListOn = false;
    std::uint64_t FPageListCapacity = 0;
    std::uint32_t FPageCount = 0;
    bool FPageListFinal = false;
    std::uint64_t* FPageOffsets = nullptr;
    std::uint32_t FScanIndex = 0;
    std::string FBrokenText;

    // Open-addressing set of the directory offsets in the page list, made
    // and rebuilt from the list when needed. A cell holds a page index + 1
    // (0 marks an empty cell), so that it costs 4 bytes whatever the offset.
    std::uint32_t* FKnownOffsets = nullptr;
    std::size_t FKnownOffsetsCapacity = 0;
    std::size_t FKnownOffsetsCount = 0;
    unsigned FKnownOffsetsBits = 0;  // capacity is 2^bits
    // Range of the offsets in the page list; offsets outside it need no set.
    bool FKnownOffsetsAny = false;
    std::uint64_t FKnownOffsetsMin = 0;
    std::uint64_t FKnownOffsetsMax = 0;
};
