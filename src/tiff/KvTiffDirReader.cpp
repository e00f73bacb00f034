#include "tiff/KvTiffDirReader.h"

#include <algorithm>
#include <cstring>

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
    delete Reader;
    if (Store)
        Store->Release();
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
    ReadHeader(errCode, errText);
}

bool TKvTiffDirReader::ReadHeader(TErrCode& errCode, std::string& errText)
{
    std::uint8_t header[16] = {};
    ReadBytes(0, 8, header, errCode, errText);
    if (errCode != ErrOk)
        return false;
    std::uint16_t magic = 0;
    if (!DecideOrder(header, BigEndian, magic)) {
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

std::uint64_t TKvTiffDirReader::Element(const std::uint8_t* bytes, std::uint32_t dataType,
                                        std::uint64_t k) const
{
    unsigned width = TiffRawTypeSize(dataType);
    if (dataType == ttRational || dataType == ttSRational)
        width = 4;
    return width ? GetUnsigned(bytes + k * width, width) : 0;
}

void TKvTiffDirReader::DecodeEntry(const std::uint8_t* raw, TTiffRawEntry& entry) const
{
    entry.Tag = static_cast<std::uint16_t>(GetUnsigned(raw, 2));
    entry.Type = static_cast<std::uint16_t>(GetUnsigned(raw + 2, 2));
    const std::uint64_t typeSize = TiffRawTypeSize(entry.Type);
    if (BigTiff) {
        entry.Count = GetUnsigned(raw + 4, 8);
        std::memcpy(entry.Field, raw + 12, 8);
        entry.Size =
            typeSize && entry.Count > UINT64_MAX / typeSize ? UINT64_MAX : entry.Count * typeSize;
        entry.Inline = entry.Size <= 8;
        entry.ValueOffset = entry.Inline ? 0 : GetUnsigned(entry.Field, 8);
        return;
    }
    // 32-bit counts of at most 8-byte values cannot overflow.
    entry.Count = GetUnsigned(raw + 4, 4);
    std::memcpy(entry.Field, raw + 8, 4);
    std::memset(entry.Field + 4, 0, 4);
    entry.Size = entry.Count * typeSize;
    entry.Inline = entry.Size <= 4;
    entry.ValueOffset = entry.Inline ? 0 : GetUnsigned(entry.Field, 4);
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
    const unsigned countSize = BigTiff ? 8 : 2;
    // One read takes the count and, for all but unusually long directories,
    // the entries behind it: a walk over a million pages reads once each.
    const std::uint64_t guess = countSize + GuessEntries * EntrySize() + OffsetSize();
    const std::uint64_t first =
        InFile(offset, countSize) ? std::min(guess, Size - offset) : countSize;
    Buffer.resize(static_cast<std::size_t>(first));
    ReadBytes(offset, first, Buffer.data(), errCode, errText);
    if (errCode != ErrOk) {
        directory.Entries.clear();
        return;
    }
    const std::uint64_t count = GetUnsigned(Buffer.data(), countSize);
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
        ReadBytes(offset + first, directory.ByteSize - first, Buffer.data() + first, errCode,
                  errText);
        if (errCode != ErrOk) {
            directory.Entries.clear();
            return;
        }
    }
    const std::uint8_t* entries = Buffer.data() + countSize;
    directory.Entries.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < directory.Entries.size(); ++i) {
        TTiffRawEntry& entry = directory.Entries[i];
        DecodeEntry(entries + i * EntrySize(), entry);
        // The inline values' own place, for the byte map.
        if (entry.Inline)
            entry.ValueOffset = offset + countSize + i * EntrySize() + (BigTiff ? 12 : 8);
    }
    directory.NextOffset = GetUnsigned(entries + count * EntrySize(), OffsetSize());
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
