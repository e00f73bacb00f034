#include "tiff/KvTiffDirReader.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "io/SysIO.h"
#include "tiff/TiffNames.h"

namespace {

constexpr const char* PrematureEndText = "Premature end of data";
constexpr std::uint16_t ClassicMagic = 42;
constexpr std::uint16_t BigTiffMagic = 43;
constexpr std::uint64_t GuessEntries = 24;

// The byte order as the page reader decides it, with 43 (BigTIFF) accepted
// beside 42; false when the header is invalid.
bool DecideOrder(const std::uint8_t* header, bool& bigEndian, std::uint16_t& magic)
{
    const auto le = static_cast<std::uint16_t>(header[2] | header[3] << 8);
    const auto be = static_cast<std::uint16_t>(header[2] << 8 | header[3]);
    const auto known = [](std::uint16_t v) { return v == ClassicMagic || v == BigTiffMagic; };
    const bool markLittle = header[0] == 'I' && header[1] == 'I';
    const bool markBig = header[0] == 'M' && header[1] == 'M';
    if (markLittle)
        bigEndian = false;
    else if (markBig)
        bigEndian = true;
    else
        bigEndian = !known(le);
    magic = bigEndian ? be : le;
    if (markLittle)
        return known(le) || !known(be);
    if (markBig)
        return known(be) || !known(le);
    return known(le) || known(be);
}

template <class T, bool BigEndian>
T Load(const std::uint8_t* bytes)
{
    T v;
    std::memcpy(&v, bytes, sizeof v);
    if constexpr (BigEndian && sizeof v == 2)
        v = __builtin_bswap16(v);
    else if constexpr (BigEndian && sizeof v == 4)
        v = __builtin_bswap32(v);
    else if constexpr (BigEndian && sizeof v == 8)
        v = __builtin_bswap64(v);
    return v;
}

// The entries of a directory, with the format and the byte order fixed at
// compile time: a structure walk decodes every entry of every page, and the
// run-time choices of width and order cost more than the decoding itself.
template <bool BigTiff, bool BigEndian>
void DecodeAll(const std::uint8_t* raw, TTiffRawDirectory& directory)
{
    using TField = std::conditional_t<BigTiff, std::uint64_t, std::uint32_t>;
    constexpr unsigned countSize = BigTiff ? 8 : 2;
    constexpr unsigned entrySize = BigTiff ? 20 : 12;
    constexpr unsigned fieldAt = BigTiff ? 12 : 8;
    std::uint64_t fieldOffset = directory.Offset + countSize + fieldAt;
    for (TTiffRawEntry& entry : directory.Entries) {
        entry.Tag = Load<std::uint16_t, BigEndian>(raw);
        entry.Type = Load<std::uint16_t, BigEndian>(raw + 2);
        const std::uint64_t typeSize = TiffRawTypeSize(entry.Type);
        entry.Count = Load<TField, BigEndian>(raw + 4);
        std::memcpy(entry.Field, raw + fieldAt, sizeof(TField));
        if constexpr (!BigTiff)
            std::memset(entry.Field + 4, 0, 4);
        // 32-bit counts of at most 8-byte values cannot overflow; 64-bit
        // ones saturate.
        if (__builtin_mul_overflow(entry.Count, typeSize, &entry.Size))
            entry.Size = UINT64_MAX;
        entry.Inline = entry.Size <= sizeof(TField);
        // Inline values lie in the field itself: their place, for the byte map.
        entry.ValueOffset = entry.Inline ? fieldOffset : Load<TField, BigEndian>(raw + fieldAt);
        raw += entrySize;
        fieldOffset += entrySize;
    }
}

}  // namespace

std::string TiffRawTypeName(std::uint32_t dataType)
{
    if (dataType == TiffTypeUtf8)
        return "UTF-8";
    std::string text;
    TiffDataTypeName(dataType, text, true);
    return text;
}

TKvTiffDirReader::TKvTiffDirReader() = default;

TKvTiffDirReader::~TKvTiffDirReader()
{
    Close();
}

void TKvTiffDirReader::Close()
{
    delete Reader;
    if (Store)
        Store->Release();
    Reader = nullptr;
    Random = nullptr;
    Store = nullptr;
    BigEndian = BigTiff = NoHeader = false;
    Size = First = 0;
}

std::string TKvTiffDirReader::ReadingText(const std::string& readerText) const
{
    return "Reading from " + Description + ": " + readerText;
}

void TKvTiffDirReader::Open(const std::string& path, const std::string& displayName,
                            TErrCode& errCode, std::string& errText)
{
    CreateObject(Store, std::forward_as_tuple(path, displayName), errCode, errText);
    if (!Store)
        return;
    Description = Store->Describe();
    TErrCode code = ErrOk;
    std::string text;
    Store->CreateReader(iorRandom, Reader, code, text);
    if (code != ErrOk) {
        Reader = nullptr;
        errCode = ErrFailed;
        errText = "Opening " + Description + ": " + text;
        return;
    }
    Size = Reader->GetFullSize();
    Random = dynamic_cast<TIOReaderFileRandom*>(Reader);
    ReadHeader(errCode, errText);
}

bool TKvTiffDirReader::ReadHeader(TErrCode& errCode, std::string& errText)
{
    std::uint8_t header[16] = {};
    ReadBytes(0, 8, header, errCode, errText);
    NoHeader = Size < 8;
    if (errCode != ErrOk)
        return false;
    std::uint16_t magic = 0;
    if (!DecideOrder(header, BigEndian, magic)) {
        NoHeader = true;
        errCode = ErrFailed;
        errText = "Invalid byte order indication and signature; " + Description +
                  " is probably not a TIFF file";
        return false;
    }
    BigTiff = magic == BigTiffMagic;
    if (!BigTiff) {
        First = GetUnsigned(header + 4, 4);
        return true;
    }
    ReadBytes(8, 8, header + 8, errCode, errText);
    if (errCode == ErrOk && (GetUnsigned(header + 4, 2) != 8 || GetUnsigned(header + 6, 2) != 0)) {
        errCode = ErrFailed;
        errText = "Unsupported BigTIFF offset size " + std::to_string(GetUnsigned(header + 4, 2)) +
                  "; " + Description + " cannot be read";
    }
    First = errCode == ErrOk ? GetUnsigned(header + 8, 8) : 0;
    return errCode == ErrOk;
}

const std::uint8_t* TKvTiffDirReader::Peek(std::uint64_t offset, std::uint64_t count)
{
    if (!Random || !InFile(offset, count) || count > TIOReaderFileRandom::WindowedReadLimit)
        return nullptr;
    return Random->Peek(offset, static_cast<std::uint32_t>(count));
}

void TKvTiffDirReader::ReadBytes(std::uint64_t offset, std::uint64_t count, void* buffer,
                                 TErrCode& errCode, std::string& errText)
{
    if (!Reader) {
        errCode = ErrFailed;
        errText = ReadingText(PrematureEndText);
        return;
    }
    // Reads are at most 4 GiB at a time, anywhere in the file.
    if (!InFile(offset, count) || count > 0xFFFFFFFFull) {
        errCode = ErrFailed;
        errText = ReadingText(PrematureEndText);
        return;
    }
    TErrCode code = ErrOk;
    std::string text;
    Reader->SeekFull(offset, code, text);
    if (code == ErrOk)
        Reader->Read(static_cast<std::uint32_t>(count), buffer, code, text);
    if (code != ErrOk) {
        errCode = ErrFailed;
        errText = ReadingText(text);
    }
}

void TKvTiffDirReader::DecodeEntries(const std::uint8_t* raw, TTiffRawDirectory& directory) const
{
    if (BigTiff)
        BigEndian ? DecodeAll<true, true>(raw, directory) : DecodeAll<true, false>(raw, directory);
    else
        BigEndian ? DecodeAll<false, true>(raw, directory)
                  : DecodeAll<false, false>(raw, directory);
}

void TKvTiffDirReader::ReadChainLink(std::uint64_t offset, std::uint64_t& entryCount,
                                     std::uint64_t& next, TErrCode& errCode, std::string& errText)
{
    const unsigned countSize = BigTiff ? 8 : 2;
    std::uint8_t bytes[8];
    ReadBytes(offset, countSize, bytes, errCode, errText);
    if (errCode != ErrOk)
        return;
    entryCount = GetUnsigned(bytes, countSize);
    const std::uint64_t entriesSize = entryCount * EntrySize();
    if (entryCount > UINT64_MAX / 32 || offset > UINT64_MAX - countSize - entriesSize) {
        errCode = ErrFailed;
        errText = ReadingText(PrematureEndText);
        return;
    }
    ReadBytes(offset + countSize + entriesSize, OffsetSize(), bytes, errCode, errText);
    if (errCode == ErrOk)
        next = GetUnsigned(bytes, OffsetSize());
}

void TKvTiffDirReader::ReadDirectory(std::uint64_t offset, TTiffRawDirectory& directory,
                                     TErrCode& errCode, std::string& errText)
{
    // Entries are overwritten in place, not cleared: every field is decoded.
    directory.Offset = offset;
    directory.NextOffset = 0;
    directory.Cut = false;
    const unsigned countSize = BigTiff ? 8 : 2;
    // One read takes the count and, for all but unusually long directories,
    // the entries behind it: a walk over a million pages reads once each.
    const std::uint64_t guess = countSize + GuessEntries * EntrySize() + OffsetSize();
    const std::uint64_t first =
        InFile(offset, countSize) ? std::min(guess, Size - offset) : countSize;
    const std::uint8_t* bytes = Peek(offset, first);
    if (!bytes) {
        Buffer.resize(static_cast<std::size_t>(first));
        ReadBytes(offset, first, Buffer.data(), errCode, errText);
        if (errCode != ErrOk) {
            directory.Entries.clear();
            return;
        }
        bytes = Buffer.data();
    }
    const std::uint64_t count = GetUnsigned(bytes, countSize);
    directory.DeclaredCount = count;
    if (count > MaxEntries) {
        errCode = ErrFailed;
        errText = "Sanity check on number of tags failed (decoded value is " +
                  std::to_string(count) + ")";
        directory.Entries.clear();
        return;
    }
    directory.ByteSize = countSize + count * EntrySize() + OffsetSize();
    if (directory.ByteSize > first) {
        Buffer.resize(static_cast<std::size_t>(directory.ByteSize));
        ReadBytes(offset, directory.ByteSize, Buffer.data(), errCode, errText);
        if (errCode != ErrOk) {
            KeepEntriesInFile(offset, countSize, directory);
            return;
        }
        bytes = Buffer.data();
    }
    const std::uint8_t* entries = bytes + countSize;
    directory.Entries.resize(static_cast<std::size_t>(count));
    DecodeEntries(entries, directory);
    directory.NextOffset = GetUnsigned(entries + count * EntrySize(), OffsetSize());
}

// The failure stands; the outputs that show a cut directory still want the
// entries before the end of the file.
void TKvTiffDirReader::KeepEntriesInFile(std::uint64_t offset, unsigned countSize,
                                         TTiffRawDirectory& directory)
{
    directory.Entries.clear();
    if (!InFile(offset, countSize) || InFile(offset, directory.ByteSize))
        return;
    const std::uint64_t whole =
        std::min(directory.DeclaredCount, (Size - offset - countSize) / EntrySize());
    const std::uint64_t bytes = countSize + whole * EntrySize();
    Buffer.resize(static_cast<std::size_t>(bytes));
    TErrCode code = ErrOk;
    std::string text;
    ReadBytes(offset, bytes, Buffer.data(), code, text);
    if (code != ErrOk)
        return;
    directory.Entries.resize(static_cast<std::size_t>(whole));
    DecodeEntries(Buffer.data() + countSize, directory);
    directory.Cut = true;
}

void TKvTiffDirReader::ReadValue(const TTiffRawEntry& entry, std::vector<std::uint8_t>& bytes,
                                 TErrCode& errCode, std::string& errText)
{
    ReadValueStart(entry, UINT64_MAX, bytes, errCode, errText);
}

void TKvTiffDirReader::ReadValueStart(const TTiffRawEntry& entry, std::uint64_t maxBytes,
                                      std::vector<std::uint8_t>& bytes, TErrCode& errCode,
                                      std::string& errText)
{
    if (entry.Inline) {
        bytes.assign(entry.Field, entry.Field + entry.Size);
        return;
    }
    if (!InFile(entry.ValueOffset, entry.Size)) {
        errCode = ErrFailed;
        errText = ReadingText(PrematureEndText);
        return;
    }
    const std::uint64_t size = entry.Size < maxBytes ? entry.Size : maxBytes;
    bytes.resize(static_cast<std::size_t>(size));
    ReadBytes(entry.ValueOffset, size, bytes.data(), errCode, errText);
}
