// Object lifecycle, header, page list and cursor of the TIFF reader.
#include "tiff/KvCodecTiff.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <type_traits>

#include "io/SysIO.h"
#include "tiff/TiffNames.h"

namespace {

constexpr const char* EndOfTiffText = "End of TIFF, no more pages";
constexpr const char* PrematureEndText = "Premature end of data";
constexpr unsigned ClassicMagic = 42;
constexpr unsigned BigTiffMagic = 43;
constexpr unsigned BigTiffOffsetSize = 8;
constexpr std::uint32_t BigTiffHeaderSize = 16;

// A number in the file's byte order, in one load and at most one swap (the
// host is little-endian on every platform the program runs on).
template <typename T>
T InFileOrder(const std::uint8_t* bytes, bool bigEndian)
{
    T value;
    std::memcpy(&value, bytes, sizeof value);
    if (!bigEndian)
        return value;
    if constexpr (sizeof value == 2)
        return __builtin_bswap16(value);
    else if constexpr (sizeof value == 4)
        return __builtin_bswap32(value);
    else
        return __builtin_bswap64(value);
}

// The next offset of the directory at ifdOffset when the view holds its
// count and next offset; fixed to the file's kind, as a count runs it once
// per page. servedEnd grows to the end of the bytes taken.
template <bool BigTiff>
bool NextOffsetInView(const TIOReaderFileRandom::TView& view, std::uint64_t ifdOffset,
                      bool bigEndian, std::uint64_t& next, std::uint64_t& servedEnd)
{
    using TCount = std::conditional_t<BigTiff, std::uint64_t, std::uint16_t>;
    using TOffset = std::conditional_t<BigTiff, std::uint64_t, std::uint32_t>;
    const std::uint8_t* count = view.Held(ifdOffset, sizeof(TCount));
    if (!count)
        return false;
    const std::uint64_t entries = InFileOrder<TCount>(count, bigEndian);
    // A directory longer than the view is never held whole; below that the
    // BigTIFF sum cannot overflow. Classic sums wrap at 32 bits.
    if (BigTiff && entries > view.Length)
        return false;
    const std::uint64_t position =
        BigTiff ? ifdOffset + 8 + 20 * entries : std::uint32_t(ifdOffset + 2 + 12 * entries);
    const std::uint8_t* bytes = view.Held(position, sizeof(TOffset));
    if (!bytes)
        return false;
    const TOffset value = InFileOrder<TOffset>(bytes, bigEndian);
    next = !BigTiff && value == 0xFFFFFFFF ? TKvCodecTrnTiff::BrokenMark : value;
    servedEnd = std::max(servedEnd, position + sizeof(TOffset));
    return true;
}

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
    return InFileOrder<std::uint16_t>(bytes, FBigEndian);
}

std::uint32_t TKvCodecTrnTiff::Get32(const std::uint8_t* bytes) const
{
    return InFileOrder<std::uint32_t>(bytes, FBigEndian);
}

std::uint64_t TKvCodecTrnTiff::Get64(const std::uint8_t* bytes) const
{
    return InFileOrder<std::uint64_t>(bytes, FBigEndian);
}

std::uint64_t TKvCodecTrnTiff::GetOffset(const std::uint8_t* bytes) const
{
    if (FBigTiff)
        return Get64(bytes);
    const std::uint32_t offset = Get32(bytes);
    return offset == 0xFFFFFFFF ? BrokenMark : offset;
}

std::uint64_t TKvCodecTrnTiff::GetDirCount(const std::uint8_t* bytes) const
{
    return FBigTiff ? Get64(bytes) : Get16(bytes);
}

std::uint64_t TKvCodecTrnTiff::NextOffsetPosition(std::uint64_t ifdOffset,
                                                  std::uint64_t count) const
{
    if (!FBigTiff)
        return static_cast<std::uint32_t>(ifdOffset + 2 + 12 * count);
    std::uint64_t bytes = 0, position = 0;
    if (__builtin_mul_overflow(count, std::uint64_t(20), &bytes) ||
        __builtin_add_overflow(ifdOffset, bytes + 8, &position) || bytes + 8 < bytes)
        return UINT64_MAX;
    return position;
}

std::uint32_t TKvCodecTrnTiff::TypeSize(std::uint32_t dataType) const
{
    return TiffTypeSize(dataType, FBigTiff);
}

// Reads count bytes at position; a range that does not lie inside the file
// fails as a short read would, without asking the system.
bool TKvCodecTrnTiff::ReadAt(std::uint64_t position, std::uint32_t count, void* buffer,
                             std::string& readerText)
{
    const std::uint64_t size = FReader->GetFullSize();
    if (position > size || count > size - position) {
        readerText = PrematureEndText;
        return false;
    }
    TErrCode code = ErrOk;
    FReader->SeekFull(position, code, readerText);
    if (code == ErrOk)
        FReader->Read(count, buffer, code, readerText);
    return code == ErrOk;
}

// The reader is always the random reader CreateReader(iorRandom) makes; it
// lends no bytes from outside the file.
const std::uint8_t* TKvCodecTrnTiff::PeekAt(std::uint64_t position, std::uint32_t count)
{
    return static_cast<TIOReaderFileRandom*>(FReader)->Peek(position, count);
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
                           std::uint32_t pageIndex, std::uint64_t ifdOffset, TErrCode& errCode,
                           std::string& errText)
{
    FState = trsOpened;
    if (FStore) {
        FStore->Release();
        FStore = nullptr;
    }
    CreateObject(FStore, std::forward_as_tuple(path, displayName), errCode, errText);
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

// Slots at and above the page count are never read, so the list keeps its
// memory as it is for the next file.
void TKvCodecTrnTiff::ResetPageList()
{
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
    const auto le = static_cast<unsigned>(header[2] | header[3] << 8);
    const auto be = static_cast<unsigned>(header[2] << 8 | header[3]);
    const bool markLittle = header[0] == 'I' && header[1] == 'I';
    const bool markBig = header[0] == 'M' && header[1] == 'M';
    if (markLittle) {
        bigEndian = false;
        return le == ClassicMagic || be != ClassicMagic;
    }
    if (markBig) {
        bigEndian = true;
        return be == ClassicMagic || le != ClassicMagic;
    }
    bigEndian = le != ClassicMagic;
    return le == ClassicMagic || be == ClassicMagic;
}

// BigTIFF: a mark, 43 in the mark's order, offset size 8 and a reserved 0.
// Anything else is judged by the classic rule, 43 with other fields too.
static bool IsBigTiffHeader(const std::uint8_t* header)
{
    const bool markLittle = header[0] == 'I' && header[1] == 'I';
    const bool markBig = header[0] == 'M' && header[1] == 'M';
    if (!markLittle && !markBig)
        return false;
    const auto get16 = [&](int at) {
        return markBig ? unsigned(header[at] << 8 | header[at + 1])
                       : unsigned(header[at + 1] << 8 | header[at]);
    };
    return get16(2) == BigTiffMagic && get16(4) == BigTiffOffsetSize && get16(6) == 0;
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

    std::uint8_t header[BigTiffHeaderSize];
    FReader->Seek(0, code, text);
    if (code == ErrOk)
        FReader->Read(8, header, code, text);
    FBigTiff = code == ErrOk && IsBigTiffHeader(header);
    if (FBigTiff)
        FReader->Read(8, header + 8, code, text);
    if (code != ErrOk) {
        errCode = ErrFailed;
        errText = "Reading from " + DescribeStore() + ": " + text;
        Fail(errText);
        return;
    }
    if (FBigTiff)
        FBigEndian = header[0] == 'M';
    else if (!DecideByteOrder(header, FBigEndian)) {
        errCode = ErrFailed;
        errText = "Invalid byte order indication and signature; " + DescribeStore() +
                  " is probably not a TIFF file";
        Fail(errText);
        return;
    }

    FFirstIfdOffset = GetOffset(header + (FBigTiff ? 8 : 4));
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

std::uint64_t TKvCodecTrnTiff::PageSlot(std::uint32_t index) const
{
    return index < FPageCount ? FPageOffsets[index] : 0;
}

void TKvCodecTrnTiff::SetPageOffset(std::uint32_t index, std::uint64_t offset, TErrCode& errCode,
                                    std::string& errText)
{
    // The last index would make the page count wrap to 0.
    if (index == 0xFFFFFFFF) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
        return;
    }
    if (index >= FPageListCapacity) {
        // Doubled each time, so that a long chain is copied once in all: a
        // heap that cannot grow a block in place copies it, under Wine a
        // byte at a time. The spare slots are never written, so they take
        // address space only.
        const std::uint64_t capacity = std::max<std::uint64_t>(
            std::uint64_t(index) + 1,
            FPageListCapacity + std::max<std::uint64_t>(FPageListCapacity, PageListGrowth));
        void* grown = capacity <= SIZE_MAX / sizeof(std::uint64_t)
                          ? std::realloc(FPageOffsets,
                                         static_cast<std::size_t>(capacity) * sizeof(std::uint64_t))
                          : nullptr;
        if (!grown) {
            errCode = ErrFailed;
            errText = OutOfMemoryText;
            return;
        }
        // The new slots stay as they come: none is read before it is set.
        FPageOffsets = static_cast<std::uint64_t*>(grown);
        FPageListCapacity = capacity;
    }
    if (index >= FPageCount) {
        if (index > FPageCount)
            std::memset(FPageOffsets + FPageCount, 0, (index - FPageCount) * sizeof(std::uint64_t));
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
std::string TKvCodecTrnTiff::ProbeReadText(std::uint64_t offset)
{
    if (FState != trsReady || !FReader)
        return PrematureEndText;
    if (offset == BrokenMark && !FBigTiff)
        offset = 0xFFFFFFFF;
    std::string text;
    std::uint8_t count[8];
    return !ReadAt(offset, DirCountSize(), count, text) ? text : std::string(PrematureEndText);
}

void TKvCodecTrnTiff::MarkBroken(std::uint32_t index, const std::string& text, TErrCode& errCode,
                                 std::string& errText)
{
    FBrokenText = text;
    FPageListFinal = true;
    SetPageOffset(index, BrokenMark, errCode, errText);
}

// The page at the cursor cannot be read: it stays where it is, broken, as
// the page walk marks it.
void TKvCodecTrnTiff::BreakAtCursor(const std::string& text)
{
    FBrokenText = text;
    if (FPageListOn) {
        TErrCode ignored = ErrOk;
        std::string ignoredText;
        MarkBroken(FCurPageIndex, text, ignored, ignoredText);
    }
    FCurIfdOffset = BrokenMark;
}

// Stores the directory offset of page index as found in the chain. A chain
// that ends stores nothing (the count stays that of the pages there are); an
// offset already in the list, or one that cannot be a directory, ends the
// chain as broken.
void TKvCodecTrnTiff::StoreNextOffset(std::uint32_t index, std::uint64_t offset, TErrCode& errCode,
                                      std::string& errText)
{
    if (offset == BrokenMark)
        FBrokenText = ReadFailureText(ProbeReadText(offset));
    if (!FPageListOn)
        return;
    if (offset == 0) {
        FPageListFinal = true;
        return;
    }
    const std::uint64_t current = PageSlot(index);
    if (current == offset || current == BrokenMark)
        return;
    if (offset == BrokenMark) {
        FPageListFinal = true;
        SetPageOffset(index, BrokenMark, errCode, errText);
        return;
    }
    const std::uint32_t countBefore = FPageCount;
    SetPageOffset(index, offset, errCode, errText);
    if (errCode != ErrOk || current != 0)
        return;
    const int added = KnownOffsetsInsert(index);
    if (added < 0) {
        FPageOffsets[index] = 0;
        FPageCount = countBefore;
        errCode = ErrFailed;
        errText = OutOfMemoryText;
        return;
    }
    if (added == 0)
        MarkBroken(index,
                   ReadFailureText("The page chain loops back to the directory at offset " +
                                   std::to_string(offset)),
                   errCode, errText);
}

// --- loop detection ------------------------------------------------------

// Fibonacci hashing: the top bits of the product, so that offsets with a
// common stride (directories of one size side by side) spread evenly.
static std::size_t OffsetHash(std::uint64_t offset, unsigned bits)
{
    return static_cast<std::size_t>((offset * 0x9E3779B97F4A7C15ull) >> (64 - bits));
}

void TKvCodecTrnTiff::KnownOffsetsPut(std::uint32_t index)
{
    const std::uint64_t offset = FPageOffsets[index];
    const std::size_t mask = FKnownOffsetsCapacity - 1;
    for (std::size_t i = OffsetHash(offset, FKnownOffsetsBits);; i = (i + 1) & mask) {
        const std::uint32_t cell = FKnownOffsets[i];
        if (cell == 0) {
            FKnownOffsets[i] = index + 1;
            ++FKnownOffsetsCount;
            return;
        }
        if (FPageOffsets[cell - 1] == offset)
            return;
    }
}

// The old table is freed before the new one is made and filled from the
// page list, so growing never holds both. The page skip, whose offset is
// about to be checked, stays out.
bool TKvCodecTrnTiff::KnownOffsetsRebuild(std::size_t capacity, std::uint32_t skip)
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
        const std::uint64_t offset = FPageOffsets[i];
        if (i != skip && offset != 0 && offset != BrokenMark)
            KnownOffsetsPut(i);
    }
    return true;
}

// Most chains run through the file in one direction, so an offset beyond
// every offset known so far is new without looking further; the set is built
// (from the page list) only when an offset falls inside that range, and is
// kept from then on.
int TKvCodecTrnTiff::KnownOffsetsInsert(std::uint32_t index)
{
    const std::uint64_t offset = FPageOffsets[index];
    const bool outside =
        !FKnownOffsetsAny || offset < FKnownOffsetsMin || offset > FKnownOffsetsMax;
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
        std::uint64_t capacity =
            FKnownOffsetsCapacity ? std::uint64_t(FKnownOffsetsCapacity) * 2 : 1024;
        while ((std::uint64_t(FPageCount) + 1) * 4 > capacity * 3)
            capacity *= 2;
        if (capacity > SIZE_MAX / sizeof(std::uint32_t) ||
            !KnownOffsetsRebuild(static_cast<std::size_t>(capacity), index))
            return -1;
    }
    const std::size_t before = FKnownOffsetsCount;
    KnownOffsetsPut(index);
    return FKnownOffsetsCount > before ? 1 : 0;
}

// --- cursor --------------------------------------------------------------

TKvCodecTrnTiff::TChainRead TKvCodecTrnTiff::ReadNextOffset(std::uint64_t ifdOffset,
                                                            std::uint64_t& next,
                                                            std::string& readerText)
{
    // Most directories of a long chain lie in the reader's window: taking
    // their bytes in place saves a copy and two reader calls each.
    std::uint8_t countBytes[8], nextBytes[8];
    const std::uint8_t* count = PeekAt(ifdOffset, DirCountSize());
    if (!count) {
        if (!ReadAt(ifdOffset, DirCountSize(), countBytes, readerText))
            return crCountFailed;
        count = countBytes;
    }
    const std::uint64_t position = NextOffsetPosition(ifdOffset, GetDirCount(count));
    const std::uint8_t* offset = PeekAt(position, OffsetSize());
    if (!offset) {
        if (!ReadAt(position, OffsetSize(), nextBytes, readerText))
            return crNextFailed;
        offset = nextBytes;
    }
    next = GetOffset(offset);
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
        std::uint64_t next = 0;
        std::string readerText;
        if (ReadNextOffset(FCurIfdOffset, next, readerText) != crOk) {
            errCode = ErrFailed;
            errText = ReadFailureText(readerText);
            BreakAtCursor(errText);
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
    const std::uint64_t next = ReadDirectory(errCode, errText);
    if (errCode != ErrOk) {
        BreakAtCursor(errText);
        return;
    }
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

// The first page not yet scanned: pages found by SelectPage or ReadPage
// beyond it are skipped.
std::uint32_t TKvCodecTrnTiff::LastKnownPage() const
{
    std::uint32_t k = FScanIndex;
    while (k + 1 < FPageCount && FPageOffsets[k + 1] != 0)
        ++k;
    return k;
}

// Appends up to steps pages while their directories lie in the reader's
// window and each next offset lies beyond every one known: such a run
// cannot loop back, so it needs no offset set. Everything stays in
// registers, as a million-page count is almost only this loop. Returns the
// pages appended; the full step takes over where it stops.
template <bool BigTiff>
std::uint32_t TKvCodecTrnTiff::AppendRisingRun(std::uint32_t steps)
{
    const std::uint32_t k = LastKnownPage();
    std::uint64_t offset = FPageOffsets[k];
    if (FKnownOffsets || !FKnownOffsetsAny || k + 1 != FPageCount || offset == 0 ||
        offset == BrokenMark)
        return 0;
    // The last index would make the page count wrap to 0.
    const std::uint64_t room = std::min<std::uint64_t>(FPageListCapacity, 0xFFFFFFFF) - FPageCount;
    const auto limit = static_cast<std::uint32_t>(std::min<std::uint64_t>(steps, room));
    auto& reader = *static_cast<TIOReaderFileRandom*>(FReader);
    const TIOReaderFileRandom::TView view = reader.View();
    const bool bigEndian = FBigEndian;
    std::uint64_t* const slots = FPageOffsets + FPageCount;
    std::uint64_t highest = FKnownOffsetsMax, servedEnd = 0, next = 0;
    std::uint32_t n = 0;
    while (n < limit && NextOffsetInView<BigTiff>(view, offset, bigEndian, next, servedEnd) &&
           next > highest && next != BrokenMark) {
        slots[n++] = next;
        highest = offset = next;
    }
    reader.Served(servedEnd);
    if (n == 0)
        return 0;
    FPageCount += n;
    FScanIndex = FPageCount - 1;
    FKnownOffsetsMax = highest;
    return n;
}

void TKvCodecTrnTiff::ScanStep(bool& final, TErrCode& errCode, std::string& errText)
{
    ScanSteps(1, final, errCode, errText);
}

void TKvCodecTrnTiff::ScanSteps(std::uint32_t steps, bool& final, TErrCode& errCode,
                                std::string& errText)
{
    while (steps > 0) {
        if (FState == trsReady && errCode == ErrOk && FPageListOn && !FPageListFinal &&
            FPageCount > 0) {
            steps -= FBigTiff ? AppendRisingRun<true>(steps) : AppendRisingRun<false>(steps);
            if (steps == 0) {
                final = false;
                return;
            }
        }
        ScanStepInFull(final, errCode, errText);
        --steps;
        if (final || errCode != ErrOk)
            return;
    }
}

void TKvCodecTrnTiff::ScanStepInFull(bool& final, TErrCode& errCode, std::string& errText)
{
    EnsureHeader(errCode, errText);
    if (errCode != ErrOk)
        return;
    if (FPageListFinal || !FPageListOn || FPageCount == 0) {
        final = true;
        return;
    }
    const std::uint32_t k = LastKnownPage();
    const std::uint64_t offset = FPageOffsets[k];
    if (offset == 0 || offset == BrokenMark) {
        FPageListFinal = true;
        final = true;
        return;
    }
    std::uint64_t next = 0;
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
