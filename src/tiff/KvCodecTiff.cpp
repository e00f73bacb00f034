// Object lifecycle, header, page list and cursor of the TIFF reader.
#include "tiff/KvCodecTiff.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "io/SysIO.h"

namespace {

constexpr const char* EndOfTiffText = "End of TIFF, no more pages";

}  // namespace

TKvCodecTrnTiff::TKvCodecTrnTiff() = default;

TKvCodecTrnTiff::~TKvCodecTrnTiff()
{
    delete FReader;
    if (FStore)
        FStore->Release();
    FreeValueBuffers();
    std::free(FPageOffsets);
    std::free(FKnownOffsets);
}

// --- header --------------------------------------------------------------

std::string TKvCodecTrnTiff::DescribeStore() const
{
    return FStore ? FStore->Describe() : std::string();
}

std::uint16_t TKvCodecTrnTiff::Get16(const std::uint8_t* bytes) const
{
    return FBigEndian ? static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1])
                     : static_cast<std::uint16_t>(bytes[1] << 8 | bytes[0]);
}

std::uint32_t TKvCodecTrnTiff::Get32(const std::uint8_t* bytes) const
{
    if (FBigEndian)
        return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
               std::uint32_t(bytes[2]) << 8 | bytes[3];
    return std::uint32_t(bytes[3]) << 24 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[1]) << 8 | bytes[0];
}

void TKvCodecTrnTiff::Fail(const std::string& text)
{
    FState = trsFailed;
    FOpenErrText = text;
    delete FReader;
    FReader = nullptr;
}

void TKvCodecTrnTiff::EnablePageList(bool flag, TErrCode& errCode, std::string& errText)
{
    if (FPageListOn || !flag)
        return;
    FPageListOn = true;
    if (FCurIfdOffset != 0)
        SetPageOffset(FCurPageIndex, FCurIfdOffset, errCode, errText);
}

void TKvCodecTrnTiff::Open(const std::string& path, const std::string& displayName,
                           std::uint32_t pageIndex, std::uint32_t ifdOffset, TErrCode& errCode,
                           std::string& errText)
{
    FState = trsOpened;
    if (FStore) {
        FStore->Release();
        FStore = nullptr;
    }
    CreateObject(errCode, FStore, errText, path, displayName);
    if (!FStore)
        return;
    FCurPageIndex = pageIndex;
    FCurIfdOffset = ifdOffset;
    FBrokenText.clear();
    if (FPageListOn) {
        ResetPageList();
        if (ifdOffset != 0)
            StoreNextOffset(pageIndex, ifdOffset, errCode, errText);
    }
}

void TKvCodecTrnTiff::ResetPageList()
{
    if (FPageOffsets)
        std::memset(FPageOffsets, 0, FPageListCapacity * sizeof(std::uint32_t));
    FPageCount = 0;
    FPageListFinal = false;
    FScanIndex = 0;
    std::free(FKnownOffsets);
    FKnownOffsets = nullptr;
    FKnownOffsetsCapacity = 0;
    FKnownOffsetsCount = 0;
    FKnownOffsetsAny = false;
}

// Decides the byte order from the mark and the number 42; false when the
// header is invalid.
static bool DecideByteOrder(const std::uint8_t* header, bool& bigEndian)
{
    const unsigned le = header[2] | header[3] << 8;
    const unsigned be = header[2] << 8 | header[3];
    const bool markLittle = header[0] == 'I' && header[1] == 'I';
    const bool markBig = header[0] == 'M' && header[1] == 'M';
    if (markLittle) {
        bigEndian = false;
        return le == 42 || be != 42;
    }
    if (markBig) {
        bigEndian = true;
        return be == 42 || le != 42;
    }
    bigEndian = le != 42;
    return le == 42 || be == 42;
}

void TKvCodecTrnTiff::EnsureHeader(TErrCode& errCode, std::string& errText)
{
    if (FState == trsFailed) {
        errCode = ErrFailed;
        errText = FOpenErrText;
        return;
    }
    if (FState != trsOpened)
        return;

    // The loaded entries belong to the previous file: their values must not
    // be read through the new file's reader.
    DropEntries();
    delete FReader;
    FReader = nullptr;
    if (!FStore) {  // Open ran out of memory for the store
        errCode = ErrFailed;
        errText = OutOfMemoryText;
        Fail(errText);
        return;
    }
    TErrCode code = ErrOk;
    std::string text;
    TIOReader* reader = nullptr;
    FStore->CreateReader(iorRandom, reader, code, text);
    if (code != ErrOk) {
        errCode = ErrFailed;
        errText = "Opening " + DescribeStore() + ": " + text;
        Fail(errText);
        return;
    }
    FReader = reader;

    std::uint8_t header[8];
    FReader->Seek(0, code, text);
    if (code == ErrOk)
        FReader->Read(sizeof header, header, code, text);
    if (code != ErrOk) {
        errCode = ErrFailed;
        errText = "Reading from " + DescribeStore() + ": " + text;
        Fail(errText);
        return;
    }
    if (!DecideByteOrder(header, FBigEndian)) {
        errCode = ErrFailed;
        errText = "Invalid byte order indication and signature; " + DescribeStore() +
                  " is probably not a TIFF file";
        Fail(errText);
        return;
    }

    FFirstIfdOffset = Get32(header + 4);
    if (FCurPageIndex == 0 && FCurIfdOffset == 0)
        FCurIfdOffset = FFirstIfdOffset;
    code = ErrOk;
    StoreNextOffset(0, FFirstIfdOffset, code, text);
    if (code != ErrOk) {
        errCode = ErrFailed;
        errText = text;
        Fail(text);
        return;
    }
    FState = trsReady;
    if (FFirstIfdOffset == BrokenMark || FCurIfdOffset == BrokenMark)
        FBrokenText = ReadFailureText(ProbeReadText(BrokenMark));
}

// --- page list -----------------------------------------------------------

std::uint32_t TKvCodecTrnTiff::PageSlot(std::uint32_t index) const
{
    return index < FPageCount ? FPageOffsets[index] : 0;
}

void TKvCodecTrnTiff::SetPageOffset(std::uint32_t index, std::uint32_t offset,
                                    TErrCode& errCode, std::string& errText)
{
    // The last index would make the page count wrap to 0.
    if (index == 0xFFFFFFFF) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
        return;
    }
    if (index >= FPageListCapacity) {
        // Half as much again each time, so that a long chain is copied a
        // few times only, and the spare slots stay below half the list.
        const std::uint64_t capacity = std::max<std::uint64_t>(
            std::uint64_t(index) + 1, FPageListCapacity + std::max<std::uint64_t>(
                                                              FPageListCapacity / 2, PageListGrowth));
        void* grown = capacity <= SIZE_MAX / sizeof(std::uint32_t)
                          ? std::realloc(FPageOffsets, capacity * sizeof(std::uint32_t))
                          : nullptr;
        if (!grown) {
            errCode = ErrFailed;
            errText = OutOfMemoryText;
            return;
        }
        FPageOffsets = static_cast<std::uint32_t*>(grown);
        std::memset(FPageOffsets + FPageListCapacity, 0,
                    (capacity - FPageListCapacity) * sizeof(std::uint32_t));
        FPageListCapacity = capacity;
    }
    if (index >= FPageCount) {
        std::memset(FPageOffsets + FPageCount, 0, (index - FPageCount) * sizeof(std::uint32_t));
        FPageCount = index + 1;
    }
    FPageOffsets[index] = offset;
}

std::string TKvCodecTrnTiff::ReadFailureText(const std::string& readerText) const
{
    return "Reading from " + DescribeStore() + ": " + readerText + "; Page list is broken";
}

// The reader's text for a directory at offset. Before the header of the file
// is read there is no reader of this file to ask (Open may name the broken
// mark); the text is then the one such an offset gives, and EnsureHeader
// asks again once it can.
std::string TKvCodecTrnTiff::ProbeReadText(std::uint32_t offset)
{
    if (FState != trsReady || !FReader)
        return "Premature end of data";
    TErrCode code = ErrOk;
    std::string text;
    std::uint8_t count[2];
    FReader->Seek(offset, code, text);
    if (code == ErrOk)
        FReader->Read(sizeof count, count, code, text);
    return code != ErrOk ? text : std::string("Premature end of data");
}

void TKvCodecTrnTiff::MarkBroken(std::uint32_t index, const std::string& text, TErrCode& errCode,
                                 std::string& errText)
{
    FBrokenText = text;
    FPageListFinal = true;
    SetPageOffset(index, BrokenMark, errCode, errText);
}

// Stores the directory offset of page index as found in the chain. A chain
// that ends stores nothing (the count stays that of the pages there are); an
// offset already in the list, or one that cannot be a directory, ends the
// chain as broken.
void TKvCodecTrnTiff::StoreNextOffset(std::uint32_t index, std::uint32_t offset,
                                      TErrCode& errCode, std::string& errText)
{
    if (offset == BrokenMark)
        FBrokenText = ReadFailureText(ProbeReadText(offset));
    if (!FPageListOn)
        return;
    if (offset == 0) {
        FPageListFinal = true;
        return;
    }
    const std::uint32_t current = PageSlot(index);
    if (current == offset || current == BrokenMark)
        return;
    if (offset == BrokenMark) {
        FPageListFinal = true;
        SetPageOffset(index, BrokenMark, errCode, errText);
        return;
    }
    if (current == 0) {
        const int added = KnownOffsetsInsert(offset);
        if (added < 0) {
            errCode = ErrFailed;
            errText = OutOfMemoryText;
            return;
        }
        if (added == 0) {
            MarkBroken(index,
                       ReadFailureText("The page chain loops back to the directory at offset " +
                                       std::to_string(offset)),
                       errCode, errText);
            return;
        }
    }
    SetPageOffset(index, offset, errCode, errText);
}

// --- loop detection ------------------------------------------------------

// Fibonacci hashing: the top bits of the product, so that offsets with a
// common stride (directories of one size side by side) spread evenly.
static std::size_t OffsetHash(std::uint32_t offset, unsigned bits)
{
    return static_cast<std::size_t>((offset * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

void TKvCodecTrnTiff::KnownOffsetsPut(std::uint32_t offset)
{
    const std::size_t mask = FKnownOffsetsCapacity - 1;
    for (std::size_t i = OffsetHash(offset, FKnownOffsetsBits);; i = (i + 1) & mask) {
        if (FKnownOffsets[i] == offset)
            return;
        if (FKnownOffsets[i] == 0) {
            FKnownOffsets[i] = offset;
            ++FKnownOffsetsCount;
            return;
        }
    }
}

// The old table is freed before the new one is made and filled from the
// page list, so growing never holds both.
bool TKvCodecTrnTiff::KnownOffsetsRebuild(std::size_t capacity)
{
    std::free(FKnownOffsets);
    FKnownOffsets = static_cast<std::uint32_t*>(std::calloc(capacity, sizeof(std::uint32_t)));
    FKnownOffsetsCount = 0;
    FKnownOffsetsCapacity = FKnownOffsets ? capacity : 0;
    if (!FKnownOffsets)
        return false;
    FKnownOffsetsBits = 0;
    while ((std::size_t(1) << FKnownOffsetsBits) < capacity)
        ++FKnownOffsetsBits;
    for (std::uint32_t i = 0; i < FPageCount; ++i) {
        const std::uint32_t offset = FPageOffsets[i];
        if (offset != 0 && offset != BrokenMark)
            KnownOffsetsPut(offset);
    }
    return true;
}

// Most chains run through the file in one direction, so an offset beyond
// every offset known so far is new without looking further; the set is built
// (from the page list) only when an offset falls inside that range, and is
// kept from then on.
int TKvCodecTrnTiff::KnownOffsetsInsert(std::uint32_t offset)
{
    const bool outside = !FKnownOffsetsAny || offset < FKnownOffsetsMin || offset > FKnownOffsetsMax;
    if (!FKnownOffsetsAny || offset < FKnownOffsetsMin)
        FKnownOffsetsMin = offset;
    if (!FKnownOffsetsAny || offset > FKnownOffsetsMax)
        FKnownOffsetsMax = offset;
    FKnownOffsetsAny = true;
    if (!FKnownOffsets && outside)
        return 1;
    // Kept at most three quarters full. 64-bit sums: in a 32-bit build the
    // products would wrap long before the table could not be had.
    if ((std::uint64_t(FKnownOffsetsCount) + 1) * 4 > std::uint64_t(FKnownOffsetsCapacity) * 3) {
        std::uint64_t capacity = FKnownOffsetsCapacity ? std::uint64_t(FKnownOffsetsCapacity) * 2 : 1024;
        while ((std::uint64_t(FPageCount) + 1) * 4 > capacity * 3)
            capacity *= 2;
        if (capacity > SIZE_MAX / sizeof(std::uint32_t) ||
            !KnownOffsetsRebuild(static_cast<std::size_t>(capacity)))
            return -1;
    }
    const std::size_t before = FKnownOffsetsCount;
    KnownOffsetsPut(offset);
    return FKnownOffsetsCount > before ? 1 : 0;
}

// --- cursor --------------------------------------------------------------

TKvCodecTrnTiff::TChainRead TKvCodecTrnTiff::ReadNextOffset(std::uint32_t ifdOffset,
                                                            std::uint32_t& next,
                                                            std::string& readerText)
{
    TErrCode code = ErrOk;
    std::uint8_t bytes[4];
    FReader->Seek(ifdOffset, code, readerText);
    if (code == ErrOk)
        FReader->Read(2, bytes, code, readerText);
    if (code != ErrOk)
        return crCountFailed;
    const std::uint32_t count = Get16(bytes);
    FReader->Seek(ifdOffset + 2 + 12 * count, code, readerText);
    if (code == ErrOk)
        FReader->Read(4, bytes, code, readerText);
    if (code != ErrOk)
        return crNextFailed;
    next = Get32(bytes);
    return crOk;
}

void TKvCodecTrnTiff::SelectPage(std::uint32_t pageIndex, TErrCode& errCode, std::string& errText)
{
    EnsureHeader(errCode, errText);
    if (errCode != ErrOk)
        return;
    if (FPageListOn && FPageCount > 0) {
        std::uint32_t k = pageIndex < FPageCount - 1 ? pageIndex : FPageCount - 1;
        while (FPageOffsets[k] == 0 && k > 0)
            --k;
        FCurPageIndex = k;
        FCurIfdOffset = FPageOffsets[k];
    } else {
        FCurPageIndex = 0;
        FCurIfdOffset = FFirstIfdOffset;
    }
    while (FCurPageIndex < pageIndex) {
        if (FCurIfdOffset == BrokenMark) {
            errCode = ErrFailed;
            errText = FBrokenText;
            return;
        }
        // The chain ended before page n: ReadPage reports it.
        if (FCurIfdOffset == 0)
            return;
        std::uint32_t next = 0;
        std::string readerText;
        if (ReadNextOffset(FCurIfdOffset, next, readerText) != crOk) {
            FBrokenText = ReadFailureText(readerText);
            errCode = ErrFailed;
            errText = FBrokenText;
            if (FPageListOn) {
                TErrCode ignored = ErrOk;
                std::string ignoredText;
                MarkBroken(FCurPageIndex, FBrokenText, ignored, ignoredText);
            }
            FCurIfdOffset = BrokenMark;
            return;
        }
        ++FCurPageIndex;
        FCurIfdOffset = next;
        StoreNextOffset(FCurPageIndex, next, errCode, errText);
        if (errCode != ErrOk)
            return;
        if (PageSlot(FCurPageIndex) == BrokenMark)
            FCurIfdOffset = BrokenMark;
    }
}

void TKvCodecTrnTiff::ReadPage(TErrCode& errCode, std::string& errText)
{
    EnsureHeader(errCode, errText);
    if (errCode != ErrOk)
        return;
    if (FCurIfdOffset == 0) {
        errCode = ErrFailed;
        errText = EndOfTiffText;
        return;
    }
    FIfdOffset = FCurIfdOffset;
    if (FIfdOffset == BrokenMark) {
        errCode = ErrFailed;
        errText = FBrokenText;
        return;
    }
    const std::uint32_t next = ReadDirectory(errCode, errText);
    ++FCurPageIndex;
    FCurIfdOffset = next;
    TErrCode code = ErrOk;
    std::string text;
    StoreNextOffset(FCurPageIndex, next, code, text);
    if (code != ErrOk)
        RaiseInternal("KvCodecTiff 4824.98");
    if (PageSlot(FCurPageIndex) == BrokenMark)
        FCurIfdOffset = BrokenMark;
}

void TKvCodecTrnTiff::ScanStep(bool& final, TErrCode& errCode, std::string& errText)
{
    EnsureHeader(errCode, errText);
    if (errCode != ErrOk)
        return;
    if (FPageListFinal || !FPageListOn || FPageCount == 0) {
        final = true;
        return;
    }
    std::uint32_t k = FScanIndex;
    while (k + 1 < FPageCount && FPageOffsets[k + 1] != 0)
        ++k;
    const std::uint32_t offset = FPageOffsets[k];
    if (offset == 0 || offset == BrokenMark) {
        FPageListFinal = true;
        final = true;
        return;
    }
    std::uint32_t next = 0;
    std::string readerText;
    const TChainRead result = ReadNextOffset(offset, next, readerText);
    if (result != crOk) {
        // A broken chain ends the count; the user meets the text on the page.
        errCode = ErrOk;
        errText.clear();
        MarkBroken(result == crCountFailed ? k : k + 1, ReadFailureText(readerText), errCode,
                   errText);
        final = true;
        return;
    }
    StoreNextOffset(k + 1, next, errCode, errText);
    if (errCode != ErrOk)
        return;
    FScanIndex = k + 1;
    final = FPageListFinal;
}

void TKvCodecTrnTiff::GetPageCount(bool& final, std::uint32_t& count) const
{
    final = FPageListFinal;
    count = FPageCount;
}

// --- byte order and size -------------------------------------------------

void TKvCodecTrnTiff::GetByteOrder(std::string& text, TErrCode& errCode, std::string& errText)
{
    EnsureHeader(errCode, errText);
    if (errCode == ErrOk)
        text = FBigEndian ? "Motorola" : "Intel";
}

std::string TKvCodecTrnTiff::ByteOrderText()
{
    TErrCode code = ErrOk;
    std::string text, errText;
    GetByteOrder(text, code, errText);
    return code == ErrOk ? text : std::string();
}

void TKvCodecTrnTiff::GetFileSize(std::uint64_t& size, TErrCode& errCode, std::string& errText)
{
    EnsureHeader(errCode, errText);
    if (errCode != ErrOk)
        return;
    // Reads stay within the first 4 GiB, but the size shown is the file's.
    FStore->GetFullSize(size, errCode, errText);
}

std::uint64_t TKvCodecTrnTiff::FileSize()
{
    TErrCode code = ErrOk;
    std::string text;
    std::uint64_t size = 0;
    GetFileSize(size, code, text);
    if (code != ErrOk)
        throw std::runtime_error(text);
    return size;
}
