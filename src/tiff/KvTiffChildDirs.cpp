#include "tiff/KvTiffChildDirs.h"

#include <algorithm>

#include "tiff/TiffNames.h"

bool TKvTiffOffsetSet::Insert(std::uint64_t offset)
{
    const bool small = offset <= UINT32_MAX;
    if (small && (Ascending.empty() || offset > Ascending.back())) {
        // Hashing costs more than the rest of a page's step: only when needed.
        if (!Others.empty() && Others.count(offset))
            return false;
        Ascending.push_back(static_cast<std::uint32_t>(offset));
        return true;
    }
    if (small && std::binary_search(Ascending.begin(), Ascending.end(), offset))
        return false;
    return Others.insert(offset).second;
}

bool TKvTiffOffsetSet::Contains(std::uint64_t offset) const
{
    return (offset <= UINT32_MAX &&
            std::binary_search(Ascending.begin(), Ascending.end(), offset)) ||
           Others.count(offset) != 0;
}

void TKvTiffOffsetSet::Clear()
{
    Ascending.clear();
    Others.clear();
}

std::string TiffReadBeforeText(std::uint64_t offset)
{
    return "The directory at offset " + std::to_string(offset) +
           " has been read before; not read again";
}

bool TKvTiffChildWalker::Claim(std::uint64_t offset)
{
    if (!KnownFilled) {
        KnownFilled = true;
        if (FillKnown)
            FillKnown(*Known);
    }
    return Known->Insert(offset);
}

void TKvTiffChildWalker::ReadDir(std::uint64_t offset, TTiffDirKind kind, TTiffWalkDir& dir)
{
    // The record may be reused from directory to directory: nothing of the
    // last one may stay.
    dir.Kind = kind;
    dir.Offset = offset;
    dir.DeclaredCount = dir.NextOffset = dir.ByteSize = 0;
    dir.Failure.clear();
    TTiffRawDirectory& raw = RawDir;
    TErrCode code = ErrOk;
    Reader.ReadDirectory(offset, raw, code, dir.Failure);
    dir.DeclaredCount = raw.DeclaredCount;
    dir.Cut = raw.Cut;
    if (code != ErrOk && !raw.Cut) {
        dir.Entries.clear();
        return;
    }
    dir.NextOffset = raw.NextOffset;
    dir.ByteSize = raw.ByteSize;
    // Entries are reset in place rather than made anew: a walk over a
    // million pages should not build a million entry arrays.
    dir.Entries.resize(raw.Entries.size());
    for (std::size_t i = 0; i < raw.Entries.size(); ++i) {
        TTiffWalkEntry& entry = dir.Entries[i];
        entry.Raw = raw.Entries[i];
        if (!entry.Children.empty())
            entry.Children.clear();
        if (!entry.ChildFailure.empty())
            entry.ChildFailure.clear();
    }
}

bool TKvTiffChildWalker::PointerOffsets(const TTiffRawEntry& entry,
                                        std::vector<std::uint64_t>& offsets, std::string& failure)
{
    if (entry.Type != ttLong && entry.Type != ttIfd && entry.Type != TiffTypeLong8 &&
        entry.Type != TiffTypeIfd8) {
        failure = "Not followed: values of type " + TiffRawTypeName(entry.Type) +
                  " are no directory offsets";
        return false;
    }
    TErrCode code = ErrOk;
    Reader.ReadValue(entry, Value, code, failure);
    if (code != ErrOk)
        return false;
    offsets.resize(static_cast<std::size_t>(entry.Count));
    for (std::size_t k = 0; k < offsets.size(); ++k)
        offsets[k] = Reader.Element(Value.data(), entry.Type, k);
    return true;
}

void TKvTiffChildWalker::ReadChildren(TTiffWalkDir& dir, unsigned depth)
{
    if (!dir.Failure.empty())
        return;
    TTiffDirKind kind;
    for (TTiffWalkEntry& entry : dir.Entries)
        if (TiffChildKind(dir.Kind, entry.Raw.Tag, kind))
            ReadPointer(kind, entry, depth);
}

bool TKvTiffChildWalker::ReadEntryChildren(TTiffDirKind parent, const TTiffRawEntry& raw,
                                           TTiffWalkEntry& entry, unsigned depth)
{
    TTiffDirKind kind;
    if (!TiffChildKind(parent, raw.Tag, kind))
        return false;
    entry.Raw = raw;
    entry.Children.clear();
    entry.ChildFailure.clear();
    ReadPointer(kind, entry, depth);
    return true;
}

void TKvTiffChildWalker::ReadPointer(TTiffDirKind kind, TTiffWalkEntry& entry, unsigned depth)
{
    if (depth >= MaxDepth) {
        entry.ChildFailure =
            "Not followed: directories nested deeper than " + std::to_string(MaxDepth) + " levels";
        return;
    }
    std::vector<std::uint64_t> offsets;
    if (!PointerOffsets(entry.Raw, offsets, entry.ChildFailure))
        return;
    for (std::size_t k = 0; k < offsets.size(); ++k) {
        // A zero offset points to no directory.
        if (offsets[k] != 0)
            ReadChild(kind, offsets[k], static_cast<std::uint32_t>(k + 1), 1, entry, depth);
    }
}

void TKvTiffChildWalker::ReadChild(TTiffDirKind kind, std::uint64_t offset, std::uint32_t number,
                                   std::uint32_t position, TTiffWalkEntry& entry, unsigned depth)
{
    // A SubIFD chain is walked in a loop, not by recursion, so a long chain
    // costs no stack.
    for (std::uint64_t at = offset; at != 0; ++position) {
        entry.Children.emplace_back();
        TTiffChildDir& child = entry.Children.back();
        child.Kind = kind;
        child.Offset = at;
        child.Number = number;
        child.Position = position;
        if (!Claim(at)) {
            child.Failure = TiffReadBeforeText(at);
            return;
        }
        ReadDir(at, kind, child);
        ReadChildren(child, depth + 1);
        if ((kind != TTiffDirKind::SubIfd && !EveryChain) || !child.Failure.empty())
            return;
        at = child.NextOffset;
    }
}
