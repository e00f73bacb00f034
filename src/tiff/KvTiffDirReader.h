// Reads any directory of a TIFF file and any entry's value as raw bytes in
// the file's byte order, straight through the storage layer. The structure
// walk of orvane-dump (child directories, JSON, structure check) is built on
// it; the page reader (KvCodecTiff) stays the one the viewer uses.
//
// Classic TIFF (42: 12-byte entries, 4-byte offsets) and BigTIFF (43:
// 20-byte entries, 8-byte counts and offsets) are both read.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "io/SysErr.h"
#include "tiff/TiffNames.h"

class TIOStoreFile;
class TIOReader;
class TIOReaderFileRandom;

// Data type codes beyond TIFF 6.0: BigTIFF's 8-byte integers and the UTF-8
// strings of EXIF 2.32.
inline constexpr std::uint32_t TiffTypeLong8 = ttLong8;
inline constexpr std::uint32_t TiffTypeSLong8 = ttSLong8;
inline constexpr std::uint32_t TiffTypeIfd8 = ttIfd8;
inline constexpr std::uint32_t TiffTypeUtf8 = 129;

// Byte size of one value, 0 for unknown codes (inline: a walk asks for
// every entry).
inline std::uint32_t TiffRawTypeSize(std::uint32_t dataType)
{
    static constexpr std::uint8_t sizes[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4,
                                             8, 4, 8, 4, 0, 0, 8, 8, 8};
    if (dataType < sizeof sizes)
        return sizes[dataType];
    return dataType == TiffTypeUtf8 ? 1 : 0;
}
// "Byte", "Short", ..., "Long8", "SLong8", "IFD8", "UTF-8"; the code in
// decimal for unknown codes.
std::string TiffRawTypeName(std::uint32_t dataType);
inline bool TiffIsKnownType(std::uint32_t dataType)
{
    return TiffRawTypeSize(dataType) != 0;
}

struct TTiffRawEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::uint64_t Count = 0;
    std::uint64_t Size = 0;         // Count * type size, saturated at 2^64 - 1
    bool Inline = false;            // the value sits in the entry's value field
    std::uint64_t ValueOffset = 0;  // where the value lies (the field's own place when inline)
    std::uint8_t Field[8] = {};     // the value field as read, file order
};

struct TTiffRawDirectory {
    std::uint64_t Offset = 0;
    std::uint64_t DeclaredCount = 0;  // the entry count as read
    std::vector<TTiffRawEntry> Entries;
    std::uint64_t NextOffset = 0;
    std::uint64_t ByteSize = 0;  // count field, entries and next offset
    // The end of the file cut the directory: it failed, and Entries holds
    // the entries that lie whole within the file.
    bool Cut = false;
};

class TKvTiffDirReader {
public:
    static constexpr std::uint64_t MaxEntries = 1024;

    TKvTiffDirReader();
    ~TKvTiffDirReader();
    TKvTiffDirReader(const TKvTiffDirReader&) = delete;
    TKvTiffDirReader& operator=(const TKvTiffDirReader&) = delete;

    // Opens the file and reads its header; the failure texts are those of
    // the page reader.
    void Open(const std::string& path, const std::string& displayName, TErrCode& errCode,
              std::string& errText);
    // Lets the reader open the next file (a batch reuses it and its buffer).
    void Close();
    // After a failed Open: the file opened but holds no TIFF header (too
    // short for one, or another signature).
    bool NotTiff() const { return NoHeader; }

    bool IsBigEndian() const { return BigEndian; }
    bool IsBigTiff() const { return BigTiff; }
    std::uint64_t FileSize() const { return Size; }
    std::uint64_t FirstOffset() const { return First; }
    std::uint32_t HeaderSize() const { return BigTiff ? 16 : 8; }
    std::uint32_t EntrySize() const { return BigTiff ? 20 : 12; }
    std::uint32_t OffsetSize() const { return BigTiff ? 8 : 4; }

    // Reads the directory at offset. More than MaxEntries entries fail with
    // the page reader's sanity text (DeclaredCount is set); a directory that
    // does not fit in the file fails with "Reading from ...".
    void ReadDirectory(std::uint64_t offset, TTiffRawDirectory& directory, TErrCode& errCode,
                       std::string& errText);
    // Reads only the entry count and the next offset (chain walks).
    void ReadChainLink(std::uint64_t offset, std::uint64_t& entryCount, std::uint64_t& next,
                       TErrCode& errCode, std::string& errText);
    // The value bytes in file order. A value that does not lie inside the
    // file fails with "Reading from ...: Premature end of data".
    void ReadValue(const TTiffRawEntry& entry, std::vector<std::uint8_t>& bytes, TErrCode& errCode,
                   std::string& errText);
    // The same, reading no more than the first maxBytes bytes of the value.
    void ReadValueStart(const TTiffRawEntry& entry, std::uint64_t maxBytes,
                        std::vector<std::uint8_t>& bytes, TErrCode& errCode, std::string& errText);
    void ReadBytes(std::uint64_t offset, std::uint64_t count, void* buffer, TErrCode& errCode,
                   std::string& errText);

    // Whether [offset, offset + size) lies inside the file.
    bool InFile(std::uint64_t offset, std::uint64_t size) const
    {
        return offset <= Size && size <= Size - offset;
    }

    // Numbers in the file's byte order (inline: a walk decodes dozens per
    // directory).
    std::uint64_t GetUnsigned(const std::uint8_t* bytes, unsigned width) const
    {
        // Host order is little-endian on every platform the program runs on.
        switch (width) {
        case 1: return bytes[0];
        case 2: {
            std::uint16_t v;
            std::memcpy(&v, bytes, 2);
            return BigEndian ? __builtin_bswap16(v) : v;
        }
        case 4: {
            std::uint32_t v;
            std::memcpy(&v, bytes, 4);
            return BigEndian ? __builtin_bswap32(v) : v;
        }
        case 8: {
            std::uint64_t v;
            std::memcpy(&v, bytes, 8);
            return BigEndian ? __builtin_bswap64(v) : v;
        }
        }
        std::uint64_t v = 0;
        for (unsigned i = 0; i < width; ++i)
            v = v << 8 | bytes[BigEndian ? i : width - 1 - i];
        return v;
    }
    // Element k of a value of the type as an unsigned number (integer types
    // only; the two halves of a rational are elements 2k and 2k + 1).
    std::uint64_t Element(const std::uint8_t* bytes, std::uint32_t dataType, std::uint64_t k) const
    {
        unsigned width = TiffRawTypeSize(dataType);
        if (dataType == ttRational || dataType == ttSRational)
            width = 4;
        return width ? GetUnsigned(bytes + k * width, width) : 0;
    }

    std::string ReadingText(const std::string& readerText) const;
    std::string Describe() const { return Description; }

private:
    void DecodeEntries(const std::uint8_t* raw, TTiffRawDirectory& directory) const;
    void KeepEntriesInFile(std::uint64_t offset, unsigned countSize, TTiffRawDirectory& directory);
    bool ReadHeader(TErrCode& errCode, std::string& errText);

    // The bytes in the storage reader's window, or nullptr: read them then.
    const std::uint8_t* Peek(std::uint64_t offset, std::uint64_t count);

    TIOStoreFile* Store = nullptr;
    TIOReader* Reader = nullptr;
    TIOReaderFileRandom* Random = nullptr;  // the same reader, when it has a window
    std::string Description;
    bool BigEndian = false;
    bool BigTiff = false;
    bool NoHeader = false;
    std::uint64_t Size = 0;
    std::uint64_t First = 0;
    std::vector<std::uint8_t> Buffer;
};
