// The Structure tab's tree of directories: the pages of the main chain, each
// with the directories it points to, and above the pages range nodes so no
// node holds more than RangeFanOut children. Nodes are made only when their
// parent is opened, and ranges grow as the page count moves on; the window
// only draws what this model hands it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tiff/KvTiffChildDirs.h"

// Where the page offsets come from: the page list the page-count thread
// builds, read under its lock.
class IKvPageListSource {
public:
    virtual ~IKvPageListSource() = default;
    virtual std::uint32_t KnownPageCount() = 0;
    virtual void PageOffsets(std::uint32_t first, std::uint32_t count,
                             std::vector<std::uint64_t>& offsets) = 0;
};

using TKvNodeId = std::int32_t;
inline constexpr TKvNodeId NoNode = -1;

enum class TKvNodeKind : std::uint8_t { Range, Page, Directory, Note };

struct TKvStructureNode {
    TKvNodeKind Kind = TKvNodeKind::Range;
    TKvNodeId Parent = NoNode;
    std::uint32_t First = 0;  // Range: first page; Page, Directory: the page
    std::uint64_t Span = 1;   // Range: pages it may hold
    std::uint32_t PointerCount = 1;
    TTiffChildDir Dir;     // Page, Directory: as read, without its children
    std::string NoteText;  // Note: why a pointer was not followed
    bool HasChildren = false;
    bool Read = false;   // Page: its directory was read (on the first look)
    bool Shown = false;  // the children were handed to the window
    std::vector<TKvNodeId> Children;
};

// New children of a node that is open (NoNode: the top level).
struct TKvNodeGrowth {
    TKvNodeId Parent = NoNode;
    std::vector<TKvNodeId> Added;
};

class TKvStructureTree {
public:
    static constexpr std::uint32_t RangeFanOut = 1000;

    TKvStructureTree(TKvTiffDirReader& reader, IKvPageListSource& pages)
        : FReader(reader), FPages(pages)
    {
    }

    // Forgets every node; the top level follows the page count.
    void Reset();
    // The top-level nodes (shown at once).
    std::vector<TKvNodeId> Roots();
    // The children to add when the node is opened; empty once they are shown.
    std::vector<TKvNodeId> Open(TKvNodeId id);
    // Follows the page count. True when the top level changed its shape and
    // the window must start again from Roots(); else what to append.
    bool Grow(std::vector<TKvNodeGrowth>& growth);

    bool Has(TKvNodeId id) const { return id >= 0 && std::size_t(id) < FNodes.size(); }
    // A page's directory is read when the node is first looked at: opening a
    // range of a thousand pages reads only those the window draws.
    const TKvStructureNode& Node(TKvNodeId id) const
    {
        TKvStructureNode& node = FNodes[std::size_t(id)];
        if (node.Kind == TKvNodeKind::Page && !node.Read)
            ReadPage(node);
        return node;
    }
    std::string Label(TKvNodeId id) const;
    // The nodes from the top level down to the page, made on the way (the
    // window opens each to show the next); empty when the page is not known
    // yet.
    std::vector<TKvNodeId> PathToPage(std::uint32_t page);
    // The same down to the directory at offset below the page (or the page
    // itself).
    std::vector<TKvNodeId> PathToDirectory(std::uint32_t page, std::uint64_t offset);
    // The page whose directory lies at offset, searched in the page list.
    bool FindPage(std::uint64_t offset, std::uint32_t& page);

private:
    // Pages a top-level node holds, 1 when the pages are the top level.
    std::uint64_t TopSpan(std::uint32_t count) const;
    TKvNodeId AddRange(TKvNodeId parent, std::uint32_t first, std::uint64_t span);
    void AddPages(TKvNodeId parent, std::uint32_t first, std::uint32_t count,
                  std::vector<TKvNodeId>& added);
    // Children of a range up to the page count, after those it has.
    void ExtendRange(TKvNodeId id, std::uint32_t count, std::vector<TKvNodeId>& added);
    void ExtendTop(std::uint32_t count, std::vector<TKvNodeId>& added);
    void MakeDirectoryChildren(TKvNodeId id);
    void AddChildDirs(TKvNodeId parent, const TTiffWalkDir& dir);
    // Makes the node's children (up to the page count) without showing them.
    void Make(TKvNodeId id);
    std::uint32_t PageEnd(const TKvStructureNode& range, std::uint32_t count) const;

    void ReadPage(TKvStructureNode& node) const;

    TKvTiffDirReader& FReader;
    IKvPageListSource& FPages;
    // Pages are read on the first look, also through const access.
    mutable std::vector<TKvStructureNode> FNodes;
    std::vector<TKvNodeId> FTop;
    std::uint64_t FTopSpan = 0;  // 0 until Roots()
    std::uint32_t FCount = 0;
    std::vector<std::uint64_t> FOffsets;
};
