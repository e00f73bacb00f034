#include "TiffWriter.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace tiffw {

namespace {

void PutUnit(TOrder order, std::uint64_t unit, unsigned size, std::uint8_t* out)
{
    for (unsigned i = 0; i < size; ++i) {
        unsigned shift = order == TOrder::Little ? 8 * i : 8 * (size - 1 - i);
        out[i] = static_cast<std::uint8_t>(unit >> shift);
    }
}

void Append(TOrder order, std::uint64_t unit, unsigned size, std::vector<std::uint8_t>& out)
{
    std::size_t at = out.size();
    out.resize(at + size);
    PutUnit(order, unit, size, out.data() + at);
}

std::vector<std::uint8_t> EncodeValue(TOrder order, const TEntry& entry)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(static_cast<std::size_t>(entry.ValueBytes()));
    for (std::uint64_t unit : entry.Units)
        Append(order, unit, entry.UnitSize, bytes);
    return bytes;
}

unsigned FieldSize(bool big)
{
    return big ? 8 : 4;
}

bool IsInline(const TEntry& entry, bool big = false)
{
    return !entry.ForceOutOfLine && entry.ValueBytes() <= FieldSize(big);
}

template <class T>
TEntry MakeRational(std::uint16_t tag, std::uint16_t type,
                    const std::vector<std::array<T, 2>>& values)
{
    TEntry entry;
    entry.Tag = tag;
    entry.Type = type;
    entry.UnitSize = 4;
    entry.UnitsPerValue = 2;
    for (const auto& v : values) {
        entry.Units.push_back(static_cast<std::uint32_t>(v[0]));
        entry.Units.push_back(static_cast<std::uint32_t>(v[1]));
    }
    return entry;
}

std::uint64_t Align2(std::uint64_t offset)
{
    return (offset + 1) & ~std::uint64_t(1);
}

void AppendEntry(TOrder order, bool big, const TEntry& entry, std::uint64_t valueOffset,
                 std::vector<std::uint8_t>& out)
{
    const unsigned field = FieldSize(big);
    Append(order, entry.Tag, 2, out);
    Append(order, entry.Type, 2, out);
    Append(order, entry.ValueCount(), field, out);
    if (entry.Field) {
        Append(order, *entry.Field, field, out);
    } else if (IsInline(entry, big)) {
        std::vector<std::uint8_t> value = EncodeValue(order, entry);
        value.resize(field, 0);
        out.insert(out.end(), value.begin(), value.end());
    } else {
        Append(order, valueOffset, field, out);
    }
}

}  // namespace

std::uint64_t TEntry::ValueCount() const
{
    if (Count)
        return *Count;
    return Units.size() / UnitsPerValue;
}

TEntry AsciiRaw(std::uint16_t tag, const std::string& bytes)
{
    return TEntryMaker<tAscii, std::uint8_t>{}(tag, {bytes.begin(), bytes.end()});
}

TEntry Ascii(std::uint16_t tag, const std::string& text)
{
    return AsciiRaw(tag, text + std::string(1, '\0'));
}

TEntry Rational(std::uint16_t tag, const std::vector<std::array<std::uint32_t, 2>>& values)
{
    return MakeRational(tag, tRational, values);
}

TEntry SRational(std::uint16_t tag, const std::vector<std::array<std::int32_t, 2>>& values)
{
    return MakeRational(tag, tSRational, values);
}

TEntry& TEntry::PointingTo(std::vector<std::size_t> ifds)
{
    Targets = std::move(ifds);
    Units.assign(Targets.size(), 0);
    return *this;
}

TEntry Pointer(std::uint16_t tag, std::vector<std::size_t> ifds)
{
    return Long(tag, {}).PointingTo(std::move(ifds));
}

TIfd ChildIfd(std::vector<TEntry> entries)
{
    TIfd ifd;
    ifd.Entries = std::move(entries);
    ifd.Child = true;
    return ifd;
}

TEntry Bare(std::uint16_t tag, std::uint16_t type, std::uint64_t count)
{
    TEntry entry;
    entry.Tag = tag;
    entry.Type = type;
    entry.Count = count;
    entry.Field = 0;
    return entry;
}

std::uint32_t DirectorySize(std::size_t entryCount, bool big)
{
    return static_cast<std::uint32_t>(big ? 8 + 20 * entryCount + 8 : 2 + 12 * entryCount + 4);
}

std::vector<std::uint8_t> EncodeHeader(TOrder order, std::uint32_t firstOffset)
{
    std::vector<std::uint8_t> out;
    out.push_back(order == TOrder::Little ? 'I' : 'M');
    out.push_back(out.back());
    Append(order, 42, 2, out);
    Append(order, firstOffset, 4, out);
    return out;
}

void AppendDirectory(TOrder order, const std::vector<TEntry>& entries, std::uint32_t next,
                     std::vector<std::uint8_t>& out)
{
    Append(order, entries.size(), 2, out);
    for (const TEntry& entry : entries) {
        if (!IsInline(entry) && !entry.Field)
            throw std::logic_error("AppendDirectory takes inline values only");
        AppendEntry(order, false, entry, 0, out);
    }
    Append(order, next, 4, out);
}

TLayout Lay(const TTiff& tiff)
{
    TLayout layout;
    const TOrder order = tiff.Order;
    const bool big = tiff.Big;
    const unsigned field = FieldSize(big);

    // Place the directories first so that next offsets can point forward.
    std::uint64_t cursor = big ? 16 : 8;
    std::vector<std::vector<std::uint64_t>> valueOffsets(tiff.Ifds.size());
    for (std::size_t i = 0; i < tiff.Ifds.size(); ++i) {
        const TIfd& ifd = tiff.Ifds[i];
        std::uint64_t at = ifd.Offset ? *ifd.Offset : Align2(cursor);
        layout.IfdOffsets.push_back(at);
        std::uint64_t end = at + DirectorySize(ifd.Entries.size(), big);
        cursor = std::max<std::uint64_t>(cursor, end);
        for (const TEntry& entry : ifd.Entries) {
            std::uint64_t valueAt = 0;
            if (!IsInline(entry, big) && !entry.Field) {
                valueAt = entry.ValueOffset ? *entry.ValueOffset : Align2(cursor);
                if (!entry.ValueOffset)
                    cursor = valueAt + entry.ValueBytes();
            }
            valueOffsets[i].push_back(valueAt);
        }
    }

    // The page chain runs through the directories that are not children.
    std::vector<std::uint64_t> chainNext(tiff.Ifds.size(), 0);
    std::uint64_t firstInChain = 0;
    for (std::size_t i = tiff.Ifds.size(); i-- > 0;) {
        if (tiff.Ifds[i].Child)
            continue;
        for (std::size_t j = i + 1; j < tiff.Ifds.size(); ++j)
            if (!tiff.Ifds[j].Child) {
                chainNext[i] = layout.IfdOffsets[j];
                break;
            }
        firstInChain = layout.IfdOffsets[i];
    }

    std::vector<TPiece> pieces;
    std::uint64_t first = tiff.FirstOffset ? *tiff.FirstOffset : firstInChain;
    TPiece header{0, {}};
    if (big) {
        header.Bytes = EncodeHeader(order, 0);
        header.Bytes.resize(4);
        PutUnit(order, 43, 2, header.Bytes.data() + 2);
        Append(order, 8, 2, header.Bytes);
        Append(order, 0, 2, header.Bytes);
        Append(order, first, 8, header.Bytes);
    } else {
        header.Bytes = EncodeHeader(order, static_cast<std::uint32_t>(first));
    }
    if (tiff.Mark) {
        header.Bytes[0] = static_cast<std::uint8_t>((*tiff.Mark)[0]);
        header.Bytes[1] = static_cast<std::uint8_t>((*tiff.Mark)[1]);
    }
    if (tiff.Magic)
        PutUnit(order, *tiff.Magic, 2, header.Bytes.data() + 2);
    pieces.push_back(std::move(header));

    for (std::size_t i = 0; i < tiff.Ifds.size(); ++i) {
        const TIfd& ifd = tiff.Ifds[i];
        std::uint64_t next = ifd.Next ? *ifd.Next : chainNext[i];
        TPiece dir{layout.IfdOffsets[i], {}};
        Append(order, ifd.CountField ? *ifd.CountField : ifd.Entries.size(), big ? 8 : 2,
               dir.Bytes);
        for (std::size_t e = 0; e < ifd.Entries.size(); ++e) {
            TEntry entry = ifd.Entries[e];
            for (std::size_t k = 0; k < entry.Targets.size(); ++k)
                entry.Units[k] = layout.IfdOffsets.at(entry.Targets[k]);
            AppendEntry(order, big, entry, valueOffsets[i][e], dir.Bytes);
            if (!IsInline(entry, big) && !entry.Field)
                pieces.push_back({valueOffsets[i][e], EncodeValue(order, entry)});
        }
        Append(order, next, field, dir.Bytes);
        pieces.push_back(std::move(dir));
    }

    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const TPiece& a, const TPiece& b) { return a.Offset < b.Offset; });
    for (TPiece& piece : pieces) {
        layout.Length = std::max(layout.Length, piece.Offset + piece.Bytes.size());
        TPiece* last = layout.Pieces.empty() ? nullptr : &layout.Pieces.back();
        if (last && last->Offset + last->Bytes.size() == piece.Offset)
            last->Bytes.insert(last->Bytes.end(), piece.Bytes.begin(), piece.Bytes.end());
        else
            layout.Pieces.push_back(std::move(piece));
    }
    if (tiff.Length)
        layout.Length = *tiff.Length;
    return layout;
}

std::vector<std::uint8_t> Bytes(const TLayout& layout)
{
    std::vector<std::uint8_t> out(static_cast<std::size_t>(layout.Length), 0);
    for (const TPiece& piece : layout.Pieces) {
        if (piece.Offset >= out.size())
            continue;
        std::size_t n = std::min<std::size_t>(piece.Bytes.size(),
                                              out.size() - static_cast<std::size_t>(piece.Offset));
        std::memcpy(out.data() + piece.Offset, piece.Bytes.data(), n);
    }
    return out;
}

std::vector<std::uint8_t> Bytes(const TTiff& tiff)
{
    return Bytes(Lay(tiff));
}

void WriteFile(const std::string& path, const TLayout& layout)
{
    {
        std::ofstream create(path, std::ios::binary | std::ios::trunc);
        if (!create)
            throw std::runtime_error("cannot create " + path);
    }
    std::filesystem::resize_file(path, layout.Length);
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    for (const TPiece& piece : layout.Pieces) {
        if (piece.Offset >= layout.Length)
            continue;
        std::size_t n = static_cast<std::size_t>(
            std::min<std::uint64_t>(piece.Bytes.size(), layout.Length - piece.Offset));
        file.seekp(static_cast<std::streamoff>(piece.Offset));
        file.write(reinterpret_cast<const char*>(piece.Bytes.data()),
                   static_cast<std::streamsize>(n));
    }
    if (!file.flush())
        throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const TTiff& tiff)
{
    WriteFile(path, Lay(tiff));
}

}  // namespace tiffw
