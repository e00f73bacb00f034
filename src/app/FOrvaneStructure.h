// The Structure tab's logic: the tree of every directory of the open file,
// the tags of the selected one, and the file's problems. Directories are
// read through a reader of the tab's own; only the page list is the
// page-count thread's, read under its lock.
#pragma once

#include <cstdint>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "app/FOrvaneTrnTiff.h"
#include "app/KvStructureAnalysis.h"
#include "app/KvStructureTree.h"
#include "app/OrvaneWidgets.h"

class IKvTreeWidget {
public:
    virtual ~IKvTreeWidget() = default;
    virtual void Clear() = 0;
    // Children of an open node (NoNode: the top level); their labels and
    // whether they can be opened are asked of the logic when drawn.
    virtual void Add(TKvNodeId parent, const std::vector<TKvNodeId>& ids) = 0;
    // Opens each node of the path but the last, and selects the last.
    virtual void SelectPath(const std::vector<TKvNodeId>& path) = 0;
    // The labels changed (a range grew).
    virtual void Redraw() = 0;
};

class IKvRowListWidget : public IKvListWidget {
public:
    virtual void SelectRow(std::int32_t row) = 0;
};

class IKvByteMapWidget {
public:
    virtual ~IKvByteMapWidget() = default;
    virtual void SetMap(std::shared_ptr<const TKvStructureAnalysisResult> result) = 0;
    // The picture's pixel count, coloured on the analysis worker.
    virtual std::uint32_t PicturePixels() = 0;
};

struct TStructureWidgets {
    IKvTreeWidget* TreDirectories = nullptr;
    IKvRowListWidget* LivTags = nullptr;
    IKvButtonWidget* ButViewTagValue = nullptr;
    IKvButtonWidget* ButCopyTagsAsText = nullptr;
    IKvListWidget* LivProblems = nullptr;
    IKvTextWidget* LabProgress = nullptr;
    IKvByteMapWidget* ByteMap = nullptr;
};

// The page list of the shared reader, each call one hold of its lock.
class TKvSharedPageList : public IKvPageListSource {
public:
    explicit TKvSharedPageList(std::shared_ptr<TTrnTiffShared> shared) : FShared(std::move(shared))
    {
    }
    std::uint32_t KnownPageCount() override;
    void PageOffsets(std::uint32_t first, std::uint32_t count,
                     std::vector<std::uint64_t>& offsets) override;

private:
    std::shared_ptr<TTrnTiffShared> FShared;
};

class TFrmOrvaneStructure {
public:
    TFrmOrvaneStructure(IKvOrvaneHost& host, const TStructureWidgets& widgets,
                        std::shared_ptr<TTrnTiffShared> shared);
    ~TFrmOrvaneStructure();
    TFrmOrvaneStructure(const TFrmOrvaneStructure&) = delete;
    TFrmOrvaneStructure& operator=(const TFrmOrvaneStructure&) = delete;

    // The viewer opened a file (an empty path: none is open).
    void FileShown(const std::string& path, const std::string& display);
    void PageCountProgress();

    void TreeOpening(TKvNodeId id);
    void TreeSelect(TKvNodeId id);
    // An item the window still draws after the tree was made anew is
    // blank.
    std::string NodeLabel(TKvNodeId id) const { return FTree.Has(id) ? FTree.Label(id) : ""; }
    bool NodeHasChildren(TKvNodeId id) const { return FTree.Has(id) && FTree.Node(id).HasChildren; }

    void LivTagsSelectItem();
    void ButViewTagValueClick();
    void ButCopyTagsAsTextClick();

    // Called on a timer while the analysis runs: the progress, then the
    // problems and the map. False once there is nothing left to wait for.
    bool AnalysisTick();
    void LivProblemsSelectItem();
    // A click on the byte map: the owner of the byte at offset.
    void ByteMapClick(std::uint64_t offset);

    // Shows the directory at offset below the page, and selects its entry
    // with the tag when there is one; false when it is not in the tree.
    bool RevealDirectory(std::uint32_t page, std::uint64_t offset, std::int32_t tag = -1);

    TKvNodeId SelectedNode() const { return FSelected; }

private:
    void ShowNoDirectory();
    void ShowResult(const TKvStructureAnalysisResult& result);
    const TTiffWalkDir* SelectedDir() const;
    bool ReadValue(const TTiffRawEntry& entry, std::uint64_t maxBytes,
                   std::vector<std::uint8_t>& bytes, std::string& failure);
    std::string ValueText(TTiffDirKind kind, const TTiffRawEntry& entry, std::uint32_t limit);
    std::optional<std::string> DecodedText(const TTiffWalkDir& dir, const TTiffRawEntry& entry,
                                           const TKvTagValue& value);
    TKvTagRow EntryRow(TTiffDirKind kind, const TTiffRawEntry& entry, std::uint32_t limit);

    IKvOrvaneHost& FHost;
    TStructureWidgets FWidgets;
    TKvSharedPageList FPages;
    TKvTiffDirReader FReader;
    TKvStructureTree FTree;
    bool FOpen = false;
    TKvNodeId FSelected = NoNode;
    std::int32_t FEntryRows = 0;
    std::vector<std::uint8_t> FValue;
    // Made with the tab, so a tab nobody opened reads nothing.
    TKvStructureAnalysis FAnalysis;
    std::shared_ptr<const TKvStructureAnalysisResult> FResult;
    bool FAnalysing = false;
};

// The page of a finding's "page 3 > EXIF directory", from 0; false for the
// header and the file as a whole.
bool FindingPage(const std::string& where, std::uint32_t& page);

// The value bytes of a type in host order (the hex window shows what the
// first tab shows): each element, each half of a rational, turned round
// when the file is big-endian.
void ToHostOrder(std::vector<std::uint8_t>& bytes, std::uint32_t dataType, bool bigEndian);
