#include "app/FOrvaneStructure.h"

#include <algorithm>
#include <charconv>
#include <mutex>

#include "app/FOrvane.h"
#include "decode/EntryValue.h"
#include "decode/TagDecoders.h"
#include "inspect/FullValues.h"
#include "tiff/GeoKeyDirectory.h"
#include "tiff/KvCodecTiff.h"
#include "tiff/ValueLimits.h"

// RATIONALs turn as their two LONGs; the turn between file and host order is
// its own inverse.
void ToHostOrder(std::vector<std::uint8_t>& bytes, std::uint32_t dataType, bool bigEndian)
{
    const unsigned width =
        dataType == ttRational || dataType == ttSRational ? 4 : TiffRawTypeSize(dataType);
    RestoreFileOrder(bytes, width, bigEndian);
}

namespace {

// The value window's caption needs only the name, not the row's value.
std::string TagCaption(TTiffDirKind kind, std::uint16_t tag)
{
    const char* name = TiffTagNameIn(kind, tag);
    return name ? std::string(name) : std::to_string(tag);
}

}  // namespace

std::uint32_t TKvSharedPageList::KnownPageCount()
{
    std::lock_guard lock(FShared->FTiffLock);
    if (!FShared->FTiffCodec)
        return 0;
    bool final = false;
    std::uint32_t count = 0;
    FShared->FTiffCodec->GetPageCount(final, count);
    return count;
}

void TKvSharedPageList::PageOffsets(std::uint32_t first, std::uint32_t count,
                                    std::vector<std::uint64_t>& offsets)
{
    std::lock_guard lock(FShared->FTiffLock);
    offsets.clear();
    if (FShared->FTiffCodec)
        FShared->FTiffCodec->PageOffsets(first, count, offsets);
}

TFrmOrvaneStructure::TFrmOrvaneStructure(IKvOrvaneHost& host, const TStructureWidgets& widgets,
                                         std::shared_ptr<TTrnTiffShared> shared)
    : FHost(host), FWidgets(widgets), FPages(std::move(shared)), FTree(FReader, FPages)
{
}

TFrmOrvaneStructure::~TFrmOrvaneStructure() = default;

// A file the tab's reader cannot open shows an empty tree: the first tab has
// shown the reason already.
void TFrmOrvaneStructure::FileShown(const std::string& path, const std::string& display)
{
    FWidgets.TreDirectories->Clear();
    FTree.Reset();
    ShowNoDirectory();
    FWidgets.LivProblems->Clear();
    FWidgets.LabProgress->SetText("");
    FResult.reset();
    FWidgets.ByteMap->SetMap(nullptr);
    FAnalysis.Stop();
    FAnalysing = false;
    FOpen = false;
    if (path.empty())
        return;
    TErrCode errCode = ErrOk;
    std::string errText;
    FReader.Open(path, display, errCode, errText);
    FOpen = errCode == ErrOk;
    if (!FOpen)
        return;
    FWidgets.TreDirectories->Add(NoNode, FTree.Roots());
    FAnalysis.SetPicturePixels(FWidgets.ByteMap->PicturePixels());
    FAnalysis.Start(path);
    FAnalysis.SetPageCount(FPages.KnownPageCount());
    FAnalysing = true;
    AnalysisTick();
}

bool TFrmOrvaneStructure::AnalysisTick()
{
    if (!FAnalysing)
        return false;
    const TKvAnalysisProgress progress = FAnalysis.Progress();
    if (!progress.Done) {
        FWidgets.LabProgress->SetText(
            "Checking the file: " + std::to_string(int(progress.Fraction * 100)) + "%");
        return true;
    }
    FAnalysing = false;
    FResult = FAnalysis.Result();
    if (FResult)
        ShowResult(*FResult);
    return false;
}

void TFrmOrvaneStructure::ShowResult(const TKvStructureAnalysisResult& result)
{
    FWidgets.LivProblems->Clear();
    for (const TFinding& f : result.Findings) {
        const TRule& rule = CheckRule(f.Rule);
        FWidgets.LivProblems->AddRow({SeverityName(rule.Severity), std::to_string(f.Offset),
                                      f.Where, f.Message + " [" + std::string(rule.Name) + "]"});
    }
    const std::size_t count = result.Findings.size();
    if (!result.Readable)
        FWidgets.LabProgress->SetText(result.Failure);
    else if (count == 0)
        FWidgets.LabProgress->SetText("No problems found");
    else
        FWidgets.LabProgress->SetText(std::to_string(count) +
                                      (count == 1 ? " problem found" : " problems found"));
    FWidgets.ByteMap->SetMap(FResult);
}

bool FindingPage(const std::string& where, std::uint32_t& page)
{
    constexpr std::string_view Prefix = "page ";
    if (where.compare(0, Prefix.size(), Prefix) != 0)
        return false;
    const char* digits = where.data() + Prefix.size();
    const auto [end, code] = std::from_chars(digits, where.data() + where.size(), page);
    if (code != std::errc() || end == digits || page == 0)
        return false;
    --page;
    return true;
}

void TFrmOrvaneStructure::LivProblemsSelectItem()
{
    const std::int32_t row = FWidgets.LivProblems->SelectedIndex();
    if (!FResult || row < 0 || std::size_t(row) >= FResult->Findings.size())
        return;
    const TFinding& f = FResult->Findings[std::size_t(row)];
    std::uint32_t page = 0;
    if (f.DirectoryOffset != 0 && FindingPage(f.Where, page))
        RevealDirectory(page, f.DirectoryOffset, f.Tag ? std::int32_t(*f.Tag) : -1);
}

// Strips and tiles are owned by the entry that lists their offsets.
void TFrmOrvaneStructure::ByteMapClick(std::uint64_t offset)
{
    if (!FResult)
        return;
    const TByteClassMap& map = FResult->Map;
    const TByteRegion region = map.RegionAt(offset);
    if (region.Directory >= map.Directories().size())
        return;
    const TByteMapDirectory& dir = map.Directories()[region.Directory];
    std::int32_t tag = -1;
    if (region.Kind == TSpanKind::Value)
        tag = std::int32_t(region.FirstItem);
    else if (region.Kind == TSpanKind::Strip)
        tag = TagStripOffsets;
    else if (region.Kind == TSpanKind::Tile)
        tag = TagTileOffsets;
    if (dir.Page > 0)
        RevealDirectory(dir.Page - 1, dir.Offset, tag);
}

void TFrmOrvaneStructure::PageCountProgress()
{
    if (!FOpen)
        return;
    FAnalysis.SetPageCount(FPages.KnownPageCount());
    std::vector<TKvNodeGrowth> growth;
    if (FTree.Grow(growth)) {
        FWidgets.TreDirectories->Clear();
        ShowNoDirectory();
        FWidgets.TreDirectories->Add(NoNode, FTree.Roots());
        return;
    }
    for (const TKvNodeGrowth& g : growth)
        FWidgets.TreDirectories->Add(g.Parent, g.Added);
    FWidgets.TreDirectories->Redraw();
}

void TFrmOrvaneStructure::TreeOpening(TKvNodeId id)
{
    if (!FTree.Has(id))
        return;
    std::vector<TKvNodeId> added = FTree.Open(id);
    if (!added.empty())
        FWidgets.TreDirectories->Add(id, added);
}

void TFrmOrvaneStructure::ShowNoDirectory()
{
    FSelected = NoNode;
    FEntryRows = 0;
    FWidgets.LivTags->Clear();
    FWidgets.ButViewTagValue->SetEnabled(false);
    FWidgets.ButCopyTagsAsText->SetEnabled(false);
}

const TTiffWalkDir* TFrmOrvaneStructure::SelectedDir() const
{
    if (FSelected == NoNode)
        return nullptr;
    const TKvStructureNode& node = FTree.Node(FSelected);
    if (node.Kind != TKvNodeKind::Page && node.Kind != TKvNodeKind::Directory)
        return nullptr;
    return &node.Dir;
}

void TFrmOrvaneStructure::TreeSelect(TKvNodeId id)
{
    ShowNoDirectory();
    FSelected = FTree.Has(id) ? id : NoNode;
    const TTiffWalkDir* dir = SelectedDir();
    if (!dir)
        return;
    for (const TTiffWalkEntry& e : dir->Entries)
        FWidgets.LivTags->AddRow(EntryRow(dir->Kind, e.Raw, ListValueLimit));
    FEntryRows = static_cast<std::int32_t>(dir->Entries.size());
    if (!dir->Failure.empty())
        FWidgets.LivTags->AddRow({dir->Failure, "", "", ""});
    FWidgets.LivTags->SelectNone();
    FWidgets.ButCopyTagsAsText->SetEnabled(true);
}

bool TFrmOrvaneStructure::ReadValue(const TTiffRawEntry& entry, std::uint64_t maxBytes,
                                    std::vector<std::uint8_t>& bytes, std::string& failure)
{
    TErrCode errCode = ErrOk;
    failure.clear();
    GuardErrors([&] { FReader.ReadValueStart(entry, maxBytes, bytes, errCode, failure); }, errCode,
                failure);
    return errCode == ErrOk;
}

std::string TFrmOrvaneStructure::ValueText(TTiffDirKind kind, const TTiffRawEntry& entry,
                                           std::uint32_t limit)
{
    std::string text;
    // Every value gives at least one character, so this many bytes fill the
    // limit.
    if (!ReadValue(entry, (std::uint64_t(limit) + 2) * 8, FValue, text))
        return "(" + text + ")";
    FullValueText(FReader, kind, entry, FValue, limit, text);
    // A text's closing NULs are no characters to the reader of the list.
    if (entry.Type == ttAscii)
        for (auto b = FValue.rbegin();
             b != FValue.rend() && *b == 0 && !text.empty() && text.back() == ' '; ++b)
            text.pop_back();
    return text;
}

TKvTagRow TFrmOrvaneStructure::EntryRow(TTiffDirKind kind, const TTiffRawEntry& entry,
                                        std::uint32_t limit)
{
    std::string type;
    TiffDataTypeName(entry.Type, type, FReader.IsBigTiff());
    return {TagCaption(kind, entry.Tag), type, std::to_string(entry.Count),
            ValueText(kind, entry, limit)};
}

void TFrmOrvaneStructure::LivTagsSelectItem()
{
    const std::int32_t row = FWidgets.LivTags->SelectedIndex();
    FWidgets.ButViewTagValue->SetEnabled(row >= 0 && row < FEntryRows);
}

void TFrmOrvaneStructure::ButViewTagValueClick()
{
    const TTiffWalkDir* dir = SelectedDir();
    const std::int32_t row = FWidgets.LivTags->SelectedIndex();
    if (!dir || row < 0 || row >= FEntryRows)
        return;
    const TTiffRawEntry& entry = dir->Entries[std::size_t(row)].Raw;
    TKvTagValue value;
    value.Caption = TagCaption(dir->Kind, entry.Tag);
    std::string failure;
    if (!ReadValue(entry, UINT64_MAX, value.FileBytes, failure))
        return FHost.ShowError(failure);
    value.Bytes = value.FileBytes;
    ToHostOrder(value.Bytes, entry.Type, FReader.IsBigEndian());
    value.Decoded = DecodedText(*dir, entry, value);
    FHost.ShowTagValue(value);
}

// As the first tab decodes a page's value, for any directory: numbers in host
// order, byte streams as the file holds them.
std::optional<std::string> TFrmOrvaneStructure::DecodedText(const TTiffWalkDir& dir,
                                                            const TTiffRawEntry& entry,
                                                            const TKvTagValue& value)
{
    if (!HasDecoder(entry.Tag))
        return std::nullopt;
    TDecodeInput input;
    input.Tag = entry.Tag;
    input.Type = entry.Type;
    input.Bytes = DecoderReadsNumbers(entry.Tag) ? value.Bytes : value.FileBytes;
    input.PageCount = FPages.KnownPageCount();
    std::vector<std::uint8_t> doubles, ascii;
    if (entry.Tag == TagGeoKeyDirectory) {
        std::string ignored;
        for (const TTiffWalkEntry& sibling : dir.Entries) {
            if (sibling.Raw.Tag == TagGeoDoubleParams &&
                ReadValue(sibling.Raw, UINT64_MAX, doubles, ignored))
                ToHostOrder(doubles, sibling.Raw.Type, FReader.IsBigEndian());
            else if (sibling.Raw.Tag == TagGeoAsciiParams)
                ReadValue(sibling.Raw, UINT64_MAX, ascii, ignored);
        }
        input.GeoDoubles = doubles;
        input.GeoAscii = ascii;
    }
    const std::optional<TDecodedView> view = DecodeTagValue(input);
    if (!view)
        return std::nullopt;
    return DecodedViewText(*view);
}

void TFrmOrvaneStructure::ButCopyTagsAsTextClick()
{
    const TTiffWalkDir* dir = SelectedDir();
    if (!dir)
        return;
    std::string text;
    for (const TTiffWalkEntry& e : dir->Entries) {
        const TKvTagRow row = EntryRow(dir->Kind, e.Raw, DumpValueLimit);
        text += row[0] + " (" + row[2] + " " + row[1] + "): " + row[3] + "\r\n";
    }
    if (!dir->Failure.empty())
        text += dir->Failure + "\r\n";
    FHost.SetClipboardText(text);
}

bool TFrmOrvaneStructure::RevealDirectory(std::uint32_t page, std::uint64_t offset,
                                          std::int32_t tag)
{
    const std::vector<TKvNodeId> path = FTree.PathToDirectory(page, offset);
    if (path.empty() || FTree.Node(path.back()).Dir.Offset != offset)
        return false;
    FWidgets.TreDirectories->SelectPath(path);
    if (FSelected != path.back())
        TreeSelect(path.back());
    const TTiffWalkDir* dir = SelectedDir();
    for (std::size_t i = 0; dir && tag >= 0 && i < dir->Entries.size(); ++i) {
        if (dir->Entries[i].Raw.Tag == tag) {
            FWidgets.LivTags->SelectRow(std::int32_t(i));
            LivTagsSelectItem();
            break;
        }
    }
    return true;
}
