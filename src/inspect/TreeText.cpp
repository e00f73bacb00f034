#include "inspect/TreeText.h"

#include "inspect/FullValues.h"
#include "inspect/PageLoading.h"

namespace {

std::string Indent(unsigned depth)
{
    return std::string(2 * std::size_t(depth), ' ');
}

}  // namespace

std::string ChildDirLabel(const TTiffChildDir& dir, std::uint64_t pointerCount)
{
    std::string label = TiffDirKindName(dir.Kind);
    if (dir.Kind != TTiffDirKind::SubIfd)
        label += " directory";
    if (dir.Kind == TTiffDirKind::SubIfd || pointerCount > 1 || dir.Position > 1)
        label += " " + std::to_string(dir.Number);
    if (dir.Position > 1)
        label += "." + std::to_string(dir.Position);
    return label;
}

void TTreeTextWriter::Start(const TKvCodecTrnTiff& reader, std::uint32_t pageCount,
                            const TTextOptions& options)
{
    Tree = options.Tree;
    ValuesAll = options.ValuesAll;
    Limit = options.Limit;
    // Children are always shown in full, cut at the limit unless every
    // value is shown in full without one.
    FullLimit = options.FullLimit();
    UsePageOffsets(Walker, reader, pageCount);
}

std::string TTreeTextWriter::ValueText(TTiffDirKind kind, const TTiffRawEntry& entry)
{
    TErrCode code = ErrOk;
    std::string text;
    // Enough bytes for a text of the limit: every value gives at least one
    // character.
    const std::uint64_t needed = FullLimit ? (std::uint64_t(*FullLimit) + 2) * 8 : UINT64_MAX;
    Raw.ReadValueStart(entry, needed, Value, code, text);
    if (code != ErrOk) {
        Failed = true;
        return "(" + text + ")";
    }
    FullValueText(Raw, kind, entry, Value, FullLimit, text);
    return text;
}

bool TTreeTextWriter::WritePage(TKvCodecTrnTiff& reader)
{
    Failed = false;
    TTiffWalkDir page;
    Walker.ReadDir(reader.IfdOffset(), TTiffDirKind::Page, page);
    if (Tree)
        Walker.ReadChildren(page);
    // The raw directory is the one the reader loaded; should it not be
    // readable, the reader's lines stand alone.
    const bool raw = page.Failure.empty() && page.Entries.size() == reader.EntryCount();
    std::string line, piece;
    for (std::uint32_t i = 0; i < reader.EntryCount(); ++i) {
        line = reader.TagName(i) + " (" + std::to_string(reader.ValueCount(i)) + " " +
               reader.DataTypeName(i) + "): ";
        if (ValuesAll && raw) {
            line += ValueText(TTiffDirKind::Page, page.Entries[i].Raw);
        } else {
            try {
                reader.ValueText(i, Limit, piece);
            } catch (const EKvInternal& e) {
                Failed = true;
                piece = "(" + UnexpectedText(e.what()) + ")";
            }
            line += piece;
        }
        Out << line << '\n';
        if (Tree && raw)
            WriteChildren(page.Entries[i], 1);
    }
    if (reader.DirectoryCut()) {
        Failed = true;
        Out << TKvCodecTrnTiff::DirectoryCutText << '\n';
    }
    return !Failed;
}

void TTreeTextWriter::WriteChildren(const TTiffWalkEntry& entry, unsigned depth)
{
    if (!entry.ChildFailure.empty()) {
        Failed = true;
        Out << Indent(depth) << entry.ChildFailure << '\n';
    }
    for (const TTiffChildDir& child : entry.Children)
        WriteDirectory(child, static_cast<std::uint32_t>(entry.Raw.Count), depth);
}

void TTreeTextWriter::WriteDirectory(const TTiffChildDir& dir, std::uint32_t pointerCount,
                                     unsigned depth)
{
    Out << Indent(depth) << ChildDirLabel(dir, pointerCount) << " at offset " << dir.Offset << ": ";
    if (!dir.Failure.empty()) {
        Failed = true;
        Out << dir.Failure << '\n';
        return;
    }
    Out << dir.Entries.size() << " entries\n";
    for (const TTiffWalkEntry& entry : dir.Entries) {
        WriteEntry(dir.Kind, entry.Raw, depth);
        WriteChildren(entry, depth + 1);
    }
}

void TTreeTextWriter::WriteEntry(TTiffDirKind kind, const TTiffRawEntry& entry, unsigned depth)
{
    const char* name = TiffTagNameIn(kind, entry.Tag);
    Out << Indent(depth) << (name ? std::string(name) : std::to_string(entry.Tag)) << " ("
        << entry.Count << " " << TiffRawTypeName(entry.Type) << "): " << ValueText(kind, entry)
        << '\n';
}
