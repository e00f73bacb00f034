// Directory entries, their values and the pool of value buffers.
#include "tiff/KvCodecTiff.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "io/SysIO.h"
#include "tiff/TiffNames.h"

namespace {

// A value buffer is one heap block: its u32 size, then the data. Pointers
// handed around point at the data.
std::uint32_t BufferSize(const std::uint8_t* buffer)
{
    std::uint32_t size;
    std::memcpy(&size, buffer - sizeof size, sizeof size);
    return size;
}

void FreeBuffer(std::uint8_t* buffer)
{
    if (buffer)
        FreeBlock(buffer - sizeof(std::uint32_t));
}

// Converts elements of width bytes from the file's big-endian order to host
// order.
void ConvertFromBigEndian(const std::uint8_t* from, std::uint8_t* to, std::size_t bytes,
                          unsigned width)
{
    for (std::size_t at = 0; at + width <= bytes; at += width) {
        std::uint64_t v = 0;
        for (unsigned i = 0; i < width; ++i)
            v = v << 8 | from[at + i];
        switch (width) {
        case 2: {
            auto x = static_cast<std::uint16_t>(v);
            std::memcpy(to + at, &x, 2);
            break;
        }
        case 4: {
            auto x = static_cast<std::uint32_t>(v);
            std::memcpy(to + at, &x, 4);
            break;
        }
        default: std::memcpy(to + at, &v, 8); break;
        }
    }
}

// Width of the elements that make up a value of the type, for byte order
// conversion; 0 for codes whose values have no size.
unsigned ElementWidth(std::uint32_t dataType)
{
    switch (dataType) {
    case ttByte:
    case ttAscii:
    case ttSByte:
    case ttUndefined: return 1;
    case ttShort:
    case ttSShort: return 2;
    case ttLong:
    case ttSLong:
    case ttFloat:
    case ttIfd:
    case ttRational:
    case ttSRational: return 4;
    case ttDouble:
    case ttLong8:
    case ttSLong8:
    case ttIfd8: return 8;
    default: return 0;
    }
}

}  // namespace

const TTiffEntry& TKvCodecTrnTiff::EntryAt(std::uint32_t index) const
{
    if (index >= FEntryCount)
        RaiseInternal("KvCodecTiff entry " + std::to_string(index) + " of " +
                      std::to_string(FEntryCount));
    return FEntries[index];
}

TTiffEntry& TKvCodecTrnTiff::EntryAt(std::uint32_t index)
{
    return const_cast<TTiffEntry&>(std::as_const(*this).EntryAt(index));
}

// --- directory -----------------------------------------------------------

std::uint64_t TKvCodecTrnTiff::ReadDirectory(TErrCode& errCode, std::string& errText)
{
    // The previous page's entries go first, so that whatever fails below the
    // loaded entries never belong to another page than IfdOffset names.
    PrepareEntries(0);
    std::string text;
    std::uint8_t bytes[8];
    // Without its count a directory has nothing to show: the page is broken,
    // as the page walk finds it.
    if (!ReadAt(FIfdOffset, DirCountSize(), bytes, text)) {
        errCode = ErrFailed;
        errText = ReadFailureText(text);
        return BrokenMark;
    }
    const std::uint64_t declared = GetDirCount(bytes);
    if (declared > MaxTagCount) {
        errCode = ErrFailed;
        errText = "Sanity check on number of tags failed (decoded value is " +
                  std::to_string(declared) + ")";
        RaiseInternal("KvCodecTiff 4764.73");
    }
    const auto count = static_cast<std::uint32_t>(declared);
    PrepareEntries(count);
    // A directory cut off by the end of the file keeps the whole entries
    // before the end; the chain is broken behind it.
    const std::uint64_t nextAt = NextOffsetPosition(FIfdOffset, count);
    const std::uint64_t entriesAt = nextAt - std::uint64_t(EntrySize()) * count;
    const std::uint32_t whole = EntriesInFile(entriesAt, count);
    if (!ReadAt(entriesAt, EntrySize() * whole, FRawEntries.get(), text))
        RaiseInternal("KvCodecTiff 4801.92");
    FEntryCount = whole;
    DecodeEntries();
    FRasterDone = false;
    FDirectoryCut = whole < count || !ReadAt(nextAt, OffsetSize(), bytes, text);
    return FDirectoryCut ? BrokenMark : GetOffset(bytes);
}

std::uint32_t TKvCodecTrnTiff::EntriesInFile(std::uint64_t entriesAt, std::uint32_t count) const
{
    const std::uint64_t size = FReader->GetFullSize();
    if (entriesAt >= size)
        return 0;
    return static_cast<std::uint32_t>(
        std::min<std::uint64_t>(count, (size - entriesAt) / EntrySize()));
}

// Empties the entries and makes room for count of them. The old arrays stay
// in place until the new ones exist, so a failed allocation leaves a
// consistent, empty object.
void TKvCodecTrnTiff::PrepareEntries(std::uint32_t count)
{
    FRasterDone = false;
    ReleaseValues();
    FEntryCount = 0;
    FDirectoryCut = false;
    TrimPool();
    if (count <= FEntryCapacity)
        return;
    const std::uint32_t capacity = count + EntryGrowth;
    // Room for the larger BigTIFF entries, whichever kind of file comes.
    std::unique_ptr<std::uint8_t[]> raw(new (std::nothrow)
                                            std::uint8_t[20 * std::size_t(capacity)]);
    if (!raw)
        RaiseInternal("KvCodecTiff 4784.94");
    std::unique_ptr<TTiffEntry[]> entries(new (std::nothrow) TTiffEntry[capacity]());
    if (!entries)
        RaiseInternal("KvCodecTiff 4786.94");
    FRawEntries = std::move(raw);
    FEntries = std::move(entries);
    FEntryCapacity = capacity;
}

void TKvCodecTrnTiff::DropEntries()
{
    PrepareEntries(0);
    FIfdOffset = 0;
}

void TKvCodecTrnTiff::DecodeEntries()
{
    const std::uint32_t countSize = FBigTiff ? 8 : 4;
    const std::uint32_t valueAt = 4 + countSize;
    for (std::uint32_t i = 0; i < FEntryCount; ++i) {
        const std::uint8_t* raw = FRawEntries.get() + EntrySize() * std::size_t(i);
        TTiffEntry& entry = FEntries[i];
        entry.FTag = Get16(raw);
        entry.FDataType = Get16(raw + 2);
        entry.FCount = FBigTiff ? Get64(raw + 4) : Get32(raw + 4);
        // 64 bits, saturated: a count so large that the product would wrap
        // must not pass for an inline value.
        const std::uint32_t typeSize = TypeSize(entry.FDataType);
        entry.FSize = typeSize != 0 && entry.FCount > std::uint64_t(INT64_MAX) / typeSize
                          ? INT64_MAX
                          : static_cast<std::int64_t>(typeSize * entry.FCount);
        if (entry.FSize > InlineSize()) {
            entry.FState = tvsNotRead;
            entry.FOffset = FBigTiff ? Get64(raw + valueAt) : Get32(raw + valueAt);
        } else {
            entry.FState = tvsInline;
            if (FBigEndian)
                DecodeBigEndianInline(entry, raw + valueAt);
            else
                std::memcpy(entry.FInline, raw + valueAt, InlineSize());
        }
    }
}

void TKvCodecTrnTiff::DecodeBigEndianInline(TTiffEntry& entry, const std::uint8_t* value) const
{
    std::memcpy(entry.FInline, value, InlineSize());
    if (FBigTiff) {
        const unsigned width = ElementWidth(entry.FDataType);
        if (width > 1)
            ConvertFromBigEndian(value, entry.FInline, static_cast<std::size_t>(entry.FSize),
                                 width);
        return;
    }
    switch (ElementWidth(entry.FDataType)) {
    case 2:
        // With one Short the second half is padding and stays as read.
        ConvertFromBigEndian(value, entry.FInline, entry.FCount == 2 ? 4 : 2, 2);
        break;
    case 4:
        if (entry.FSize == 4)
            ConvertFromBigEndian(value, entry.FInline, 4, 4);
        break;
    default: break;
    }
}

// --- values --------------------------------------------------------------

// Loads at least the first need bytes of the value (all of it when need is
// FSize or more). A value held with fewer bytes is read again in full.
void TKvCodecTrnTiff::EnsureValue(TTiffEntry& entry, std::uint64_t need, TErrCode& errCode,
                                  std::string& errText)
{
    if (entry.FState == tvsNone)
        RaiseInternal("KvCodecTiff 4621.70");
    if (entry.FState == tvsInline)
        return;
    const std::uint64_t size = std::min<std::uint64_t>(need, std::uint64_t(entry.FSize));
    if (entry.FState != tvsNotRead && entry.FLoaded < size)
        UnloadValue(entry);
    if (entry.FState == tvsNotRead) {
        LoadValue(entry, size, errCode, errText);
        if (errCode != ErrOk)
            return;
    }
    if (entry.FState == tvsRaw)
        SwapValue(entry, errCode, errText);
}

void TKvCodecTrnTiff::EnsureValueQuiet(TTiffEntry& entry, std::uint64_t need)
{
    TErrCode code = ErrOk;
    std::string text;
    EnsureValue(entry, need, code, text);
}

// Whether every byte of the value lies inside the file. A value that does
// not is never read, whatever part of it a caller asks for.
bool TKvCodecTrnTiff::ValueInFile(const TTiffEntry& entry) const
{
    const std::uint64_t fileSize = FReader->GetFullSize();
    const auto size = std::uint64_t(entry.FSize);
    return size <= fileSize && entry.FOffset <= fileSize - size;
}

void TKvCodecTrnTiff::LoadValue(TTiffEntry& entry, std::uint64_t wanted, TErrCode& errCode,
                                std::string& errText)
{
    if (!ValueInFile(entry)) {
        errCode = ErrFailed;
        errText = "Premature end of data";
        return;
    }
    // Buffers are counted in 32 bits; a larger value of a BigTIFF file
    // cannot be held.
    if (wanted > UINT32_MAX - sizeof(std::uint32_t)) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
        return;
    }
    const auto size = static_cast<std::uint32_t>(wanted);
    // A whole value of hundreds of megabytes may well not fit: that is the
    // caller's failure to report, not an internal one.
    std::uint8_t* buffer = nullptr;
    AcquireBuffer(size, buffer, errCode, errText);
    if (!buffer)
        return;
    TErrCode code = ErrOk;
    std::string text;
    const char* failure = nullptr;
    FReader->SeekFull(entry.FOffset, code, text);
    if (code != ErrOk)
        failure = "KvCodecTiff 4419.91";
    else {
        FReader->Read(size, buffer, code, text);
        if (code != ErrOk)
            failure = "KvCodecTiff 4421.92";
    }
    if (failure) {
        ReleaseBuffer(buffer);
        RaiseInternal(failure);
    }
    entry.FLoaded = size;
    if (FBigEndian) {
        entry.FState = tvsRaw;
        entry.FRawData = buffer;
        entry.FData = nullptr;
    } else {
        entry.FState = tvsLittle;
        entry.FData = buffer;
        entry.FRawData = nullptr;
    }
}

// Gives the entry's buffers back; the value is read again when asked for.
void TKvCodecTrnTiff::UnloadValue(TTiffEntry& entry)
{
    std::uint8_t* data =
        entry.FState == tvsLittle || entry.FState == tvsConverted ? entry.FData : nullptr;
    // A value left unconverted by a failed conversion still owns its raw
    // buffer; it goes back like any other.
    std::uint8_t* raw =
        entry.FState == tvsRaw || entry.FState == tvsConverted ? entry.FRawData : nullptr;
    if (entry.FState != tvsInline && entry.FState != tvsNone)
        entry.FState = tvsNotRead;
    entry.FData = nullptr;
    entry.FRawData = nullptr;
    entry.FLoaded = 0;
    if (data)
        ReleaseBuffer(data);
    if (raw)
        ReleaseBuffer(raw);
}

void TKvCodecTrnTiff::SwapValue(TTiffEntry& entry, TErrCode& errCode, std::string& errText)
{
    const bool fromLittle = entry.FState == tvsLittle;
    const std::uint8_t* source = fromLittle ? entry.FData : entry.FRawData;
    const unsigned width = ElementWidth(entry.FDataType);
    if (width == 0)
        RaiseInternal("KvCodecTiff 3669.73; a^.FDataType: " + std::to_string(entry.FDataType));
    std::uint8_t* target = nullptr;
    AcquireBuffer(entry.FLoaded, target, errCode, errText);
    if (!target)
        return;
    if (width == 1)
        std::memcpy(target, source, entry.FLoaded);
    else
        ConvertFromBigEndian(source, target, entry.FLoaded, width);
    if (fromLittle)
        entry.FRawData = target;
    else
        entry.FData = target;
    entry.FState = tvsConverted;
}

const std::uint8_t* TKvCodecTrnTiff::ValueBytes(const TTiffEntry& entry) const
{
    switch (entry.FState) {
    case tvsInline: return entry.FInline;
    case tvsLittle:
    case tvsConverted: return entry.FData;
    default: return nullptr;
    }
}

// The one operation besides the raster size that needs a whole value. Of
// the values above KeptValueSize only the last one asked for stays loaded,
// so looking at value after value never holds more than one of them.
void TKvCodecTrnTiff::GetValuePtr(std::uint32_t index, const std::uint8_t*& pointer,
                                  TErrCode& errCode, std::string& errText)
{
    TTiffEntry& entry = EntryAt(index);
    if (entry.FSize <= InlineSize()) {
        pointer = entry.FInline;
        return;
    }
    if (FWholeIndex != NoEntry && FWholeIndex != index) {
        UnloadValue(FEntries[FWholeIndex]);
        FWholeIndex = NoEntry;
    }
    EnsureValue(entry, std::uint64_t(entry.FSize), errCode, errText);
    if (errCode != ErrOk)
        return;
    pointer = entry.FData;
    if (entry.FSize > KeptValueSize)
        FWholeIndex = index;
}

const std::uint8_t* TKvCodecTrnTiff::ValuePointer(std::uint32_t index)
{
    TErrCode code = ErrOk;
    std::string text;
    const std::uint8_t* pointer = nullptr;
    GetValuePtr(index, pointer, code, text);
    if (code != ErrOk)
        throw std::runtime_error(text);
    return pointer;
}

std::int64_t TKvCodecTrnTiff::ValueSize(std::uint32_t index) const
{
    return EntryAt(index).FSize;
}

std::uint64_t TKvCodecTrnTiff::ValueCount(std::uint32_t index) const
{
    return EntryAt(index).FCount;
}

std::int32_t TKvCodecTrnTiff::FindTag(std::uint32_t tag) const
{
    for (std::uint32_t i = 0; i < FEntryCount; ++i)
        if (FEntries[i].FTag == tag)
            return static_cast<std::int32_t>(i);
    return -1;
}

// --- buffer pool ---------------------------------------------------------

void TKvCodecTrnTiff::AcquireBuffer(std::uint32_t size, std::uint8_t*& buffer, TErrCode& errCode,
                                    std::string& errText)
{
    auto it =
        std::lower_bound(FPool.begin(), FPool.end(), size,
                         [](const TPoolSlot& slot, std::uint32_t n) { return slot.FSize < n; });
    if (it != FPool.end()) {
        buffer = it->FBuffer;
        FPoolBytes -= it->FSize;
        FPool.erase(it);
        return;
    }
    // In a 32-bit build the block size would wrap for sizes near 4 GiB.
    if (std::uint64_t{size} + sizeof(std::uint32_t) > SIZE_MAX) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
        return;
    }
    void* block = nullptr;
    AllocBlock(std::size_t(size) + sizeof(std::uint32_t), block, errCode, errText);
    if (!block)
        return;
    std::memcpy(block, &size, sizeof size);
    buffer = static_cast<std::uint8_t*>(block) + sizeof(std::uint32_t);
}

// Small buffers are kept for the next values; large ones, and any the pool
// has no room for, go back to the heap.
void TKvCodecTrnTiff::ReleaseBuffer(std::uint8_t* buffer)
{
    const std::uint32_t size = BufferSize(buffer);
    if (size > KeptValueSize) {
        FreeBuffer(buffer);
        return;
    }
    try {
        if (FPool.size() == FPool.capacity())
            FPool.reserve(FPool.size() + PoolGrowth);
    } catch (const std::bad_alloc&) {
        FreeBuffer(buffer);
        return;
    }
    auto it =
        std::upper_bound(FPool.begin(), FPool.end(), size,
                         [](std::uint32_t n, const TPoolSlot& slot) { return n < slot.FSize; });
    FPool.insert(it, TPoolSlot{size, buffer});
    FPoolBytes += size;
}

// The largest buffers go first, as they are the least likely to be reused.
void TKvCodecTrnTiff::TrimPool()
{
    while (FPoolBytes > PoolKeptBytes && !FPool.empty()) {
        FPoolBytes -= FPool.back().FSize;
        FreeBuffer(FPool.back().FBuffer);
        FPool.pop_back();
    }
}

// Returns every value buffer of the loaded entries and clears the records.
void TKvCodecTrnTiff::ReleaseValues()
{
    for (std::uint32_t i = 0; i < FEntryCount; ++i) {
        UnloadValue(FEntries[i]);
        FEntries[i] = TTiffEntry{};
    }
    FWholeIndex = NoEntry;
}

void TKvCodecTrnTiff::FreeValueBuffers()
{
    for (std::uint32_t i = 0; i < FEntryCount; ++i) {
        TTiffEntry& entry = FEntries[i];
        if (entry.FState == tvsLittle || entry.FState == tvsConverted)
            FreeBuffer(entry.FData);
        if (entry.FState == tvsRaw || entry.FState == tvsConverted)
            FreeBuffer(entry.FRawData);
    }
    for (const TPoolSlot& slot : FPool)
        FreeBuffer(slot.FBuffer);
    FPool.clear();
    FPoolBytes = 0;
}
