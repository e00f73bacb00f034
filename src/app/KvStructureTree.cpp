#include "app/KvStructureTree.h"

#include <algorithm>

#include "inspect/TreeText.h"
#include "tiff/KvCodecTiff.h"

namespace {

bool PointsToDirectories(const TTiffWalkDir& dir)
{
    TTiffDirKind child;
    return std::any_of(dir.Entries.begin(), dir.Entries.end(), [&](const TTiffWalkEntry& e) {
        return TiffChildKind(dir.Kind, e.Raw.Tag, child);
    });
}

std::string DirectorySummary(const TTiffWalkDir& dir)
{
    std::string text = " at offset " + std::to_string(dir.Offset) + ": ";
    if (!dir.Failure.empty())
        return text + dir.Failure;
    return text + std::to_string(dir.Entries.size()) + " entries";
}

}  // namespace

void TKvStructureTree::Reset()
{
    FNodes.clear();
    FTop.clear();
    FTopSpan = 0;
    FCount = 0;
}

std::uint64_t TKvStructureTree::TopSpan(std::uint32_t count) const
{
    std::uint64_t span = 1;
    while (count > span * RangeFanOut)
        span *= RangeFanOut;
    return span;
}

std::vector<TKvNodeId> TKvStructureTree::Roots()
{
    Reset();
    FCount = FPages.KnownPageCount();
    FTopSpan = TopSpan(FCount);
    std::vector<TKvNodeId> added;
    ExtendTop(FCount, added);
    return FTop;
}

void TKvStructureTree::ExtendTop(std::uint32_t count, std::vector<TKvNodeId>& added)
{
    const std::size_t before = added.size();
    if (FTopSpan == 1) {
        const std::uint32_t have = static_cast<std::uint32_t>(FTop.size());
        AddPages(NoNode, have, count - have, added);
    } else {
        for (std::uint64_t first = FTop.size() * FTopSpan; first < count; first += FTopSpan)
            added.push_back(AddRange(NoNode, static_cast<std::uint32_t>(first), FTopSpan));
    }
    FTop.insert(FTop.end(), added.begin() + std::ptrdiff_t(before), added.end());
}

TKvNodeId TKvStructureTree::AddRange(TKvNodeId parent, std::uint32_t first, std::uint64_t span)
{
    TKvStructureNode node;
    node.Kind = TKvNodeKind::Range;
    node.Parent = parent;
    node.First = first;
    node.Span = span;
    node.HasChildren = true;
    FNodes.push_back(std::move(node));
    return TKvNodeId(FNodes.size() - 1);
}

// One hold of the page list's lock for the whole batch; each page's own
// directory is read when first looked at, its children when it is opened.
void TKvStructureTree::AddPages(TKvNodeId parent, std::uint32_t first, std::uint32_t count,
                                std::vector<TKvNodeId>& added)
{
    if (count == 0)
        return;
    FPages.PageOffsets(first, count, FOffsets);
    for (std::uint32_t i = 0; i < FOffsets.size(); ++i) {
        TKvStructureNode node;
        node.Kind = TKvNodeKind::Page;
        node.Parent = parent;
        node.First = first + i;
        node.Dir.Offset = FOffsets[i];
        FNodes.push_back(std::move(node));
        added.push_back(TKvNodeId(FNodes.size() - 1));
    }
}

void TKvStructureTree::ReadPage(TKvStructureNode& node) const
{
    TKvTiffChildWalker walker(FReader);
    walker.ReadDir(node.Dir.Offset, TTiffDirKind::Page, node.Dir);
    node.HasChildren = PointsToDirectories(node.Dir);
    node.Read = true;
}

std::uint32_t TKvStructureTree::PageEnd(const TKvStructureNode& range, std::uint32_t count) const
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(range.First + range.Span, count));
}

void TKvStructureTree::ExtendRange(TKvNodeId id, std::uint32_t count, std::vector<TKvNodeId>& added)
{
    const std::uint64_t childSpan = Node(id).Span / RangeFanOut;
    const std::uint32_t end = PageEnd(Node(id), count);
    const std::uint64_t have = Node(id).Children.size();
    const std::uint32_t next = static_cast<std::uint32_t>(Node(id).First + have * childSpan);
    const std::size_t before = added.size();
    if (childSpan == 1) {
        if (next < end)
            AddPages(id, next, end - next, added);
    } else {
        for (std::uint64_t first = next; first < end; first += childSpan)
            added.push_back(AddRange(id, static_cast<std::uint32_t>(first), childSpan));
    }
    auto& children = FNodes[std::size_t(id)].Children;
    children.insert(children.end(), added.begin() + std::ptrdiff_t(before), added.end());
}

void TKvStructureTree::Make(TKvNodeId id)
{
    std::vector<TKvNodeId> added;
    if (Node(id).Kind == TKvNodeKind::Range)
        ExtendRange(id, FCount, added);
    else if (Node(id).Kind == TKvNodeKind::Page && Node(id).HasChildren &&
             Node(id).Children.empty())
        MakeDirectoryChildren(id);
}

std::vector<TKvNodeId> TKvStructureTree::Open(TKvNodeId id)
{
    Make(id);
    if (Node(id).Shown)
        return {};
    FNodes[std::size_t(id)].Shown = true;
    return Node(id).Children;
}

// A page's directories are read in one walk of their own: a directory
// pointed to twice below the page is read once, and the page itself counts
// as read.
void TKvStructureTree::MakeDirectoryChildren(TKvNodeId id)
{
    TTiffWalkDir page;
    TKvTiffChildWalker walker(FReader);
    const std::uint64_t offset = Node(id).Dir.Offset;
    walker.SetKnownOffsets([offset](TKvTiffOffsetSet& known) { known.Insert(offset); });
    walker.ReadDir(offset, TTiffDirKind::Page, page);
    walker.ReadChildren(page);
    AddChildDirs(id, page);
}

void TKvStructureTree::AddChildDirs(TKvNodeId parent, const TTiffWalkDir& dir)
{
    for (const TTiffWalkEntry& entry : dir.Entries) {
        if (!entry.ChildFailure.empty()) {
            TKvStructureNode note;
            note.Kind = TKvNodeKind::Note;
            note.Parent = parent;
            note.First = Node(parent).First;
            const char* name = TiffTagNameIn(dir.Kind, entry.Raw.Tag);
            note.NoteText = (name ? std::string(name) : std::to_string(entry.Raw.Tag)) + ": " +
                            entry.ChildFailure;
            FNodes.push_back(std::move(note));
            FNodes[std::size_t(parent)].Children.push_back(TKvNodeId(FNodes.size() - 1));
        }
        for (const TTiffChildDir& child : entry.Children) {
            TKvStructureNode node;
            node.Kind = TKvNodeKind::Directory;
            node.Parent = parent;
            node.First = Node(parent).First;
            node.PointerCount = static_cast<std::uint32_t>(entry.Raw.Count);
            node.Dir = child;
            for (TTiffWalkEntry& e : node.Dir.Entries)
                e.Children.clear();
            FNodes.push_back(std::move(node));
            const TKvNodeId id = TKvNodeId(FNodes.size() - 1);
            FNodes[std::size_t(parent)].Children.push_back(id);
            AddChildDirs(id, child);
            FNodes[std::size_t(id)].HasChildren = !Node(id).Children.empty();
        }
    }
}

bool TKvStructureTree::Grow(std::vector<TKvNodeGrowth>& growth)
{
    growth.clear();
    const std::uint32_t count = FPages.KnownPageCount();
    if (FTopSpan == 0 || count == FCount)
        return false;
    if (count < FCount || TopSpan(count) != FTopSpan)
        return true;
    FCount = count;
    TKvNodeGrowth top;
    ExtendTop(count, top.Added);
    if (!top.Added.empty())
        growth.push_back(std::move(top));
    // Only open ranges take new children; closed ones make theirs when
    // opened. Ranges made just now are closed.
    const std::size_t made = FNodes.size();
    for (std::size_t i = 0; i < made; ++i) {
        if (FNodes[i].Kind != TKvNodeKind::Range || !FNodes[i].Shown)
            continue;
        TKvNodeGrowth g;
        g.Parent = TKvNodeId(i);
        ExtendRange(g.Parent, count, g.Added);
        if (!g.Added.empty())
            growth.push_back(std::move(g));
    }
    return false;
}

std::string TKvStructureTree::Label(TKvNodeId id) const
{
    const TKvStructureNode& node = Node(id);
    switch (node.Kind) {
    case TKvNodeKind::Range: {
        const std::uint32_t end = std::max(PageEnd(node, FCount), node.First + 1);
        return "Pages " + std::to_string(node.First + 1) + "-" + std::to_string(end);
    }
    case TKvNodeKind::Page:
        // The page list marks a page whose directory the chain could not
        // reach; its offset means nothing.
        if (node.Dir.Offset == TKvCodecTrnTiff::BrokenMark)
            return "Page " + std::to_string(node.First + 1) + ": " + node.Dir.Failure;
        return "Page " + std::to_string(node.First + 1) + DirectorySummary(node.Dir);
    case TKvNodeKind::Directory:
        return ChildDirLabel(node.Dir, node.PointerCount) + DirectorySummary(node.Dir);
    case TKvNodeKind::Note: return node.NoteText;
    }
    return "";
}

std::vector<TKvNodeId> TKvStructureTree::PathToPage(std::uint32_t page)
{
    std::vector<TKvNodeId> path;
    if (FTopSpan == 0 || page >= FCount)
        return path;
    const std::vector<TKvNodeId>* level = &FTop;
    std::uint32_t levelFirst = 0;
    std::uint64_t span = FTopSpan;
    for (;;) {
        const TKvNodeId id = (*level)[std::size_t((page - levelFirst) / span)];
        path.push_back(id);
        if (Node(id).Kind == TKvNodeKind::Page)
            return path;
        Make(id);
        level = &Node(id).Children;
        levelFirst = Node(id).First;
        span /= RangeFanOut;
    }
}

std::vector<TKvNodeId> TKvStructureTree::PathToDirectory(std::uint32_t page, std::uint64_t offset)
{
    std::vector<TKvNodeId> path = PathToPage(page);
    if (path.empty() || Node(path.back()).Dir.Offset == offset)
        return path;
    // Depth first through the page's directories, the path kept on the way.
    std::vector<TKvNodeId> found;
    auto search = [&](auto& self, TKvNodeId id) -> bool {
        Make(id);
        for (TKvNodeId child : Node(id).Children) {
            found.push_back(child);
            if (Node(child).Kind == TKvNodeKind::Directory &&
                (Node(child).Dir.Offset == offset || self(self, child)))
                return true;
            found.pop_back();
        }
        return false;
    };
    if (search(search, path.back()))
        path.insert(path.end(), found.begin(), found.end());
    return path;
}

bool TKvStructureTree::FindPage(std::uint64_t offset, std::uint32_t& page)
{
    constexpr std::uint32_t Batch = 65536;
    for (std::uint32_t first = 0; first < FCount; first += Batch) {
        FPages.PageOffsets(first, std::min(Batch, FCount - first), FOffsets);
        auto it = std::find(FOffsets.begin(), FOffsets.end(), offset);
        if (it != FOffsets.end()) {
            page = first + std::uint32_t(it - FOffsets.begin());
            return true;
        }
    }
    return false;
}
