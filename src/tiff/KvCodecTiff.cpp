// Object lifecycle, header, page list and cursor of the TIFF reader.
#include "tiff/KvCodecTiff.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "io/SysIO.h"
#include "tiff/TiffNames.h"

namespace {

constexpr const char* EndOfTiffText = "End of TIFF, no more pages";
constexpr const char* PrematureEndText = "Premature end of data";
constexpr unsigned ClassicMagic = 42;
constexpr unsigned BigTiffMagic = 43;
constexpr unsigned BigTiffOffsetSize = 8;
constexpr std::uint32_t BigTiffHeaderSize = 16;

}  // namespace

TKvCodecTrnTiff::TKvCodecTrnTiff() = default;

TKvCodecTrnTiff::~TKvCodecTrnTiff()
{
    delete Reader;
    if (Store)
        Store->Release();
    FreeValueBuffers();
    std::free(PageOffsets);
    std::free(KnownOffsets);
}

// --- header --------------------------------------------------------------

std::string TKvCodecTrnTiff::DescribeStore() const
{
    return Store ? Store->Describe() : std::string();
}

std::uint16_t TKvCodecTrnTiff::Get16(const std::uint8_t* bytes) const
{
    return BigEndian ? static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1])
                     : static_cast<std::uint16_t>(bytes[1] << 8 | bytes[0]);
}

std::uint32_t TKvCodecTrnTiff::Get32(const std::uint8_t* bytes) const
{
    if (BigEndian)
        return std::uint32_t(bytes[0]) << 24 | std::uint32_t(bytes[1]) << 16 |
               std::uint32_t(bytes[2]) << 8 | bytes[3];
    return std::uint32_t(bytes[3]) << 24 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[1]) << 8 | bytes[0];
}

std::uint64_t TKvCodecTrnTiff::Get64(const std::uint8_t* bytes) const
{
    const std::uint64_t first = Get32(bytes), second = Get32(bytes + 4);
    return BigEndian ? first << 32 | second : second << 32 | first;
}

std::uint64_t TKvCodecTrnTiff::GetOffset(const std::uint8_t* bytes) const
{
    if (BigTiff)
        return Get64(bytes);
    const std::uint32_t offset = Get32(bytes);
    return offset == 0xFFFFFFFF ? BrokenMark : offset;
}

std::uint64_t TKvCodecTrnTiff::GetDirCount(const std::uint8_t* bytes) const
{
    return BigTiff ? Get64(bytes) : Get16(bytes);
}

std::uint64_t TKvCodecTrnTiff::NextOffsetPosition(std::uint64_t ifdOffset,
                                                  std::uint64_t count) const
{
    if (!BigTiff)
        return static_cast<std::uint32_t>(ifdOffset + 2 + 12 * count);
    std::uint64_t bytes = 0, position = 0;
    if (__builtin_mul_overflow(count, std::uint64_t(20), &bytes) ||
        __builtin_add_overflow(ifdOffset, bytes + 8, &position) || bytes + 8 < bytes)
        return UINT64_MAX;
    return position;
}

std::uint32_t TKvCodecTrnTiff::TypeSize(std::uint32_t dataType) const
{
    return TiffTypeSize(dataType, BigTiff);
}

// Reads count bytes at position; a range that does not lie inside the file
// fails as a short read would, without asking the system.
bool TKvCodecTrnTiff::ReadAt(std::uint64_t position, std::uint32_t count, void* buffer,
                             std::string& readerText)
{
    const std::uint64_t size = Reader->GetFullSize();
    if (position > size || count > size - position) {
        readerText = PrematureEndText;
        return false;
    }
    TErrCode code = ErrOk;
    Reader->SeekFull(position, code, readerText);
    if (code == ErrOk)
        Reader->Read(count, buffer, code, readerText);
    return code == ErrOk;
}

void TKvCodecTrnTiff::Fail(const std::string& text)
{
    State = -1;
    OpenErrText = text;
    delete Reader;
    Reader = nullptr;
}

void TKvCodecTrnTiff::EnablePageList(bool flag, TErrCode& ErrCode, std::string& ErrText)
{
    if (PageListOn || !flag)
        return;
    PageListOn = true;
    if (CurIfdOffset != 0)
        SetPageOffset(CurPageIndex, CurIfdOffset, ErrText, ErrCode);
}

void TKvCodecTrnTiff::Open(const std::string& path, const std::string& displayName,
                           std::uint32_t pageIndex, std::uint64_t ifdOffset, TErrCode& ErrCode,
                           std::string& ErrText)
{
    State = 1;
    if (Store) {
        Store->Release();
        Store = nullptr;
    }
    CreateObject(ErrCode, Store, ErrText, path, displayName);
    if (!Store)
        return;
    CurPageIndex = pageIndex;
    CurIfdOffset = ifdOffset;
    BrokenText.clear();
    if (PageListOn) {
        ResetPageList();
        if (ifdOffset != 0)
            StoreNextOffset(pageIndex, ifdOffset, ErrCode, ErrText);
    }
}

void TKvCodecTrnTiff::ResetPageList()
{
    if (PageOffsets)
        std::memset(PageOffsets, 0, PageListCapacity * sizeof(std::uint64_t));
    PageCount = 0;
    PageListFinal = false;
    ScanIndex = 0;
    std::free(KnownOffsets);
    KnownOffsets = nullptr;
    KnownOffsetsCapacity = 0;
    KnownOffsetsCount = 0;
    KnownOffsetsAny = false;
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

void TKvCodecTrnTiff::EnsureHeader(TErrCode& ErrCode, std::string& ErrText)
{
    if (State == -1) {
        ErrCode = ErrFailed;
        ErrText = OpenErrText;
        return;
    }
    if (State != 1)
        return;

    // The loaded entries belong to the previous file: their values must not
    // be read through the new file's reader.
    DropEntries();
    delete Reader;
    Reader = nullptr;
    if (!Store) {  // Open ran out of memory for the store
        ErrCode = ErrFailed;
        ErrText = OutOfMemoryText;
        Fail(ErrText);
        return;
    }
    TErrCode code = ErrOk;
    std::string text;
    TIOReader* reader = nullptr;
    Store->CreateReader(iorRandom, code, text, reader);
    if (code != ErrOk) {
        ErrCode = ErrFailed;
        ErrText = "Opening " + DescribeStore() + ": " + text;
        Fail(ErrText);
        return;
    }
    Reader = reader;

    std::uint8_t header[BigTiffHeaderSize];
    Reader->Seek(0, code, text);
    if (code == ErrOk)
        Reader->Read(8, header, code, text);
    BigTiff = code == ErrOk && IsBigTiffHeader(header);
    if (BigTiff)
        Reader->Read(8, header + 8, code, text);
    if (code != ErrOk) {
        ErrCode = ErrFailed;
        ErrText = "Reading from " + DescribeStore() + ": " + text;
        Fail(ErrText);
        return;
    }
    if (BigTiff)
        BigEndian = header[0] == 'M';
    else if (!DecideByteOrder(header, BigEndian)) {
        ErrCode = ErrFailed;
        ErrText = "Invalid byte order indication and signature; " + DescribeStore() +
                  " is probably not a TIFF file";
        Fail(ErrText);
        return;
    }

    FirstIfdOffset = GetOffset(header + (BigTiff ? 8 : 4));
    if (CurPageIndex == 0 && CurIfdOffset == 0)
        CurIfdOffset = FirstIfdOffset;
    code = ErrOk;
    StoreNextOffset(0, FirstIfdOffset, code, text);
    if (code != ErrOk) {
        ErrCode = ErrFailed;
        ErrText = text;
        Fail(text);
        return;
    }
    State = 2;
    if (FirstIfdOffset == BrokenMark || CurIfdOffset == BrokenMark)
        BrokenText = ReadFailureText(ProbeReadText(BrokenMark));
}

// --- page list -----------------------------------------------------------

std::uint64_t TKvCodecTrnTiff::PageSlot(std::uint32_t index) const
{
    return index < PageCount ? PageOffsets[index] : 0;
}

void TKvCodecTrnTiff::SetPageOffset(std::uint32_t index, std::uint64_t offset,
                                    std::string& ErrText, TErrCode& ErrCode)
{
    // The last index would make the page count wrap to 0.
    if (index == 0xFFFFFFFF) {
        ErrCode = ErrFailed;
        ErrText = OutOfMemoryText;
        return;
    }
    if (index >= PageListCapacity) {
        // Half as much again each time, so that a long chain is copied a
        // few times only, and the spare slots stay below half the list.
        const std::uint64_t capacity = std::max<std::uint64_t>(
            std::uint64_t(index) + 1, PageListCapacity + std::max<std::uint64_t>(
                                                              PageListCapacity / 2, PageListGrowth));
        void* grown = capacity <= SIZE_MAX / sizeof(std::uint64_t)
                          ? std::realloc(PageOffsets, capacity * sizeof(std::uint64_t))
                          : nullptr;
        if (!grown) {
            ErrCode = ErrFailed;
            ErrText = OutOfMemoryText;
            return;
        }
        PageOffsets = static_cast<std::uint64_t*>(grown);
        std::memset(PageOffsets + PageListCapacity, 0,
                    (capacity - PageListCapacity) * sizeof(std::uint64_t));
        PageListCapacity = capacity;
    }
    if (index >= PageCount) {
        std::memset(PageOffsets + PageCount, 0, (index - PageCount) * sizeof(std::uint64_t));
        PageCount = index + 1;
    }
    PageOffsets[index] = offset;
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
    if (State != 2 || !Reader)
        return PrematureEndText;
    if (offset == BrokenMark && !BigTiff)
        offset = 0xFFFFFFFF;
    std::string text;
    std::uint8_t count[8];
    return !ReadAt(offset, DirCountSize(), count, text) ? text : std::string(PrematureEndText);
}

void TKvCodecTrnTiff::MarkBroken(std::uint32_t index, const std::string& text, TErrCode& ErrCode,
                                 std::string& ErrText)
{
    BrokenText = text;
    PageListFinal = true;
    SetPageOffset(index, BrokenMark, ErrText, ErrCode);
}

// Stores the directory offset of page index as found in the chain. A chain
// that ends stores nothing (the count stays that of the pages there are); an
// offset already in the list, or one that cannot be a directory, ends the
// chain as broken.
void TKvCodecTrnTiff::StoreNextOffset(std::uint32_t index, std::uint64_t offset,
                                      TErrCode& ErrCode, std::string& ErrText)
{
    if (offset == BrokenMark)
        BrokenText = ReadFailureText(ProbeReadText(offset));
    if (!PageListOn)
        return;
    if (offset == 0) {
        PageListFinal = true;
        return;
    }
    const std::uint64_t current = PageSlot(index);
    if (current == offset || current == BrokenMark)
        return;
    if (offset == BrokenMark) {
        PageListFinal = true;
        SetPageOffset(index, BrokenMark, ErrText, ErrCode);
        return;
    }
    const std::uint32_t countBefore = PageCount;
    SetPageOffset(index, offset, ErrText, ErrCode);
    if (ErrCode != ErrOk || current != 0)
        return;
    const int added = KnownOffsetsInsert(index);
    if (added < 0) {
        PageOffsets[index] = 0;
        PageCount = countBefore;
        ErrCode = ErrFailed;
        ErrText = OutOfMemoryText;
        return;
    }
    if (added == 0)
        MarkBroken(index,
                   ReadFailureText("The page chain loops back to the directory at offset " +
                                   std::to_string(offset)),
                   ErrCode, ErrText);
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
    const std::uint64_t offset = PageOffsets[index];
    const std::size_t mask = KnownOffsetsCapacity - 1;
    for (std::size_t i = OffsetHash(offset, KnownOffsetsBits);; i = (i + 1) & mask) {
        const std::uint32_t cell = KnownOffsets[i];
        if (cell == 0) {
            KnownOffsets[i] = index + 1;
            ++KnownOffsetsCount;
            return;
        }
        if (PageOffsets[cell - 1] == offset)
            return;
    }
}

// The old table is freed before the new one is made and filled from the
// page list, so growing never holds both. The page skip, whose offset is
// about to be checked, stays out.
bool TKvCodecTrnTiff::KnownOffsetsRebuild(std::size_t capacity, std::uint32_t skip)
{
    std::free(KnownOffsets);
    KnownOffsets = static_cast<std::uint32_t*>(std::calloc(capacity, sizeof(std::uint32_t)));
    KnownOffsetsCount = 0;
    KnownOffsetsCapacity = KnownOffsets ? capacity : 0;
    if (!KnownOffsets)
        return false;
    KnownOffsetsBits = 0;
    while ((std::size_t(1) << KnownOffsetsBits) < capacity)
        ++KnownOffsetsBits;
    for (std::uint32_t i = 0; i < PageCount; ++i) {
        const std::uint64_t offset = PageOffsets[i];
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
    const std::uint64_t offset = PageOffsets[index];
    const bool outside = !KnownOffsetsAny || offset < KnownOffsetsMin || offset > KnownOffsetsMax;
    if (!KnownOffsetsAny || offset < KnownOffsetsMin)
        KnownOffsetsMin = offset;
    if (!KnownOffsetsAny || offset > KnownOffsetsMax)
        KnownOffsetsMax = offset;
    KnownOffsetsAny = true;
    if (!KnownOffsets && outside)
        return 1;
    // Kept at most three quarters full. 64-bit sums: in a 32-bit build the
    // products would wrap long before the table could not be had.
    if ((std::uint64_t(KnownOffsetsCount) + 1) * 4 > std::uint64_t(KnownOffsetsCapacity) * 3) {
        std::uint64_t capacity = KnownOffsetsCapacity ? std::uint64_t(KnownOffsetsCapacity) * 2 : 1024;
        while ((std::uint64_t(PageCount) + 1) * 4 > capacity * 3)
            capacity *= 2;
        if (capacity > SIZE_MAX / sizeof(std::uint32_t) ||
            !KnownOffsetsRebuild(static_cast<std::size_t>(capacity), index))
            return -1;
    }
    const std::size_t before = KnownOffsetsCount;
    KnownOffsetsPut(index);
    return KnownOffsetsCount > before ? 1 : 0;
}

// --- cursor --------------------------------------------------------------

TKvCodecTrnTiff::TChainRead TKvCodecTrnTiff::ReadNextOffset(std::uint64_t ifdOffset,
                                                            std::uint64_t& next,
                                                            std::string& readerText)
{
    std::uint8_t bytes[8];
    if (!ReadAt(ifdOffset, DirCountSize(), bytes, readerText))
        return crCountFailed;
    if (!ReadAt(NextOffsetPosition(ifdOffset, GetDirCount(bytes)), OffsetSize(), bytes,
                readerText))
        return crNextFailed;
    next = GetOffset(bytes);
    return crOk;
}

void TKvCodecTrnTiff::SelectPage(std::uint32_t pageIndex, TErrCode& ErrCode, std::string& ErrText)
{
    EnsureHeader(ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    if (PageListOn && PageCount > 0) {
        std::uint32_t k = pageIndex < PageCount - 1 ? pageIndex : PageCount - 1;
        while (PageOffsets[k] == 0 && k > 0)
            --k;
        CurPageIndex = k;
        CurIfdOffset = PageOffsets[k];
    } else {
        CurPageIndex = 0;
        CurIfdOffset = FirstIfdOffset;
    }
    while (CurPageIndex < pageIndex) {
        if (CurIfdOffset == BrokenMark) {
            ErrCode = ErrFailed;
            ErrText = BrokenText;
            return;
        }
        // The chain ended before page n: ReadPage reports it.
        if (CurIfdOffset == 0)
            return;
        std::uint64_t next = 0;
        std::string readerText;
        if (ReadNextOffset(CurIfdOffset, next, readerText) != crOk) {
            BrokenText = ReadFailureText(readerText);
            ErrCode = ErrFailed;
            ErrText = BrokenText;
            if (PageListOn) {
                TErrCode ignored = ErrOk;
                std::string ignoredText;
                MarkBroken(CurPageIndex, BrokenText, ignored, ignoredText);
            }
            CurIfdOffset = BrokenMark;
            return;
        }
        ++CurPageIndex;
        CurIfdOffset = next;
        StoreNextOffset(CurPageIndex, next, ErrCode, ErrText);
        if (ErrCode != ErrOk)
            return;
        if (PageSlot(CurPageIndex) == BrokenMark)
            CurIfdOffset = BrokenMark;
    }
}

void TKvCodecTrnTiff::ReadPage(TErrCode& ErrCode, std::string& ErrText)
{
    EnsureHeader(ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    if (CurIfdOffset == 0) {
        ErrCode = ErrFailed;
        ErrText = EndOfTiffText;
        return;
    }
    FIfdOffset = CurIfdOffset;
    if (FIfdOffset == BrokenMark) {
        ErrCode = ErrFailed;
        ErrText = BrokenText;
        return;
    }
    const std::uint64_t next = ReadDirectory(ErrCode, ErrText);
    ++CurPageIndex;
    CurIfdOffset = next;
    TErrCode code = ErrOk;
    std::string text;
    StoreNextOffset(CurPageIndex, next, code, text);
    if (code != ErrOk)
        RaiseInternal("KvCodecTiff 4824.98");
    if (PageSlot(CurPageIndex) == BrokenMark)
        CurIfdOffset = BrokenMark;
}

void TKvCodecTrnTiff::ScanStep(TErrCode& ErrCode, bool& final, std::string& ErrText)
{
    EnsureHeader(ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    if (PageListFinal || !PageListOn || PageCount == 0) {
        final = true;
        return;
    }
    std::uint32_t k = ScanIndex;
    while (k + 1 < PageCount && PageOffsets[k + 1] != 0)
        ++k;
    const std::uint64_t offset = PageOffsets[k];
    if (offset == 0 || offset == BrokenMark) {
        PageListFinal = true;
        final = true;
        return;
    }
    std::uint64_t next = 0;
    std::string readerText;
    const TChainRead result = ReadNextOffset(offset, next, readerText);
    if (result != crOk) {
        // A broken chain ends the count; the user meets the text on the page.
        ErrCode = ErrOk;
        ErrText.clear();
        MarkBroken(result == crCountFailed ? k : k + 1, ReadFailureText(readerText), ErrCode,
                   ErrText);
        final = true;
        return;
    }
    StoreNextOffset(k + 1, next, ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    ScanIndex = k + 1;
    final = PageListFinal;
}

void TKvCodecTrnTiff::GetPageCount(bool& final, std::uint32_t& count) const
{
    final = PageListFinal;
    count = PageCount;
}

// --- byte order and size -------------------------------------------------

void TKvCodecTrnTiff::GetByteOrder(TErrCode& ErrCode, std::string& text, std::string& ErrText)
{
    EnsureHeader(ErrCode, ErrText);
    if (ErrCode == ErrOk)
        text = BigEndian ? "Motorola" : "Intel";
}

std::string TKvCodecTrnTiff::ByteOrderText()
{
    TErrCode code = ErrOk;
    std::string text, errText;
    GetByteOrder(code, text, errText);
    return code == ErrOk ? text : std::string();
}

void TKvCodecTrnTiff::GetFileSize(TErrCode& ErrCode, std::uint64_t& size, std::string& ErrText)
{
    EnsureHeader(ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    // Reads stay within the first 4 GiB, but the size shown is the file's.
    Store->GetFullSize(size, ErrCode, ErrText);
}

std::uint64_t TKvCodecTrnTiff::FileSize()
{
    TErrCode code = ErrOk;
    std::string text;
    std::uint64_t size = 0;
    GetFileSize(code, size, text);
    if (code != ErrOk)
        throw std::runtime_error(text);
    return size;
}
