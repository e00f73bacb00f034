#include "BatchTree.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "TiffWriter.h"

using namespace tiffw;

namespace {

constexpr std::uint64_t FilesPerLeaf = 50;
constexpr std::uint64_t LeavesPerFolder = 20;

struct TTemplate {
    const char* Suffix;
    std::vector<std::uint8_t> Bytes;
};

// A page of 8x8 8-bit grey in one strip at stripAt, with the resolution
// that readers expect; a BigTIFF page takes its offsets as Long8.
std::vector<TEntry> GreyPage(std::uint64_t stripAt, bool big, std::uint32_t stripBytes = 64)
{
    std::vector<TEntry> entries = {
        Long(256, {8}),
        Long(257, {stripBytes / 8}),
        Short(258, {8}),
        Short(259, {1}),
        Short(262, {1}),
        big ? Long8(273, {stripAt}) : Long(273, {std::uint32_t(stripAt)}),
        Short(277, {1}),
        Long(278, {stripBytes / 8}),
        big ? Long8(279, {stripBytes}) : Long(279, {stripBytes}),
        Rational(282, {{72, 1}}),
        Rational(283, {{72, 1}}),
        Short(296, {2}),
    };
    return entries;
}

// Pages whose strips lie at the start of the file, after the header; the
// directories follow them.
TTiff Pages(TOrder order, bool big, unsigned pages, std::uint32_t stripBytes = 64)
{
    TTiff tiff;
    tiff.Order = order;
    tiff.Big = big;
    const std::uint64_t header = big ? 16 : 8;
    for (unsigned i = 0; i < pages; ++i) {
        TIfd page;
        page.Entries = GreyPage(header + i * stripBytes, big, stripBytes);
        tiff.Ifds.push_back(std::move(page));
    }
    tiff.Ifds.front().Offset = header + pages * std::uint64_t(stripBytes);
    return tiff;
}

TTemplate Broken(const char* suffix, TTiff tiff)
{
    return {suffix, Bytes(tiff)};
}

// One of each kind of file; the tree cycles through them. The clean kinds
// come most often, as in a real archive.
std::vector<TTemplate> Templates()
{
    std::vector<TTemplate> kinds = {
        {"le.tif", Bytes(Pages(TOrder::Little, false, 1))},
        {"be.tif", Bytes(Pages(TOrder::Big, false, 1))},
        {"big.tif", Bytes(Pages(TOrder::Little, true, 1))},
        {"pages.tif", Bytes(Pages(TOrder::Little, false, 8))},
        {"big-pages.tif", Bytes(Pages(TOrder::Big, true, 4))},
        {"large.tif", Bytes(Pages(TOrder::Little, false, 1, 256 * 1024))},
        {"le2.tif", Bytes(Pages(TOrder::Little, false, 2))},
    };
    TTiff noResolution = Pages(TOrder::Little, false, 1);
    noResolution.Ifds[0].Entries.resize(9);
    kinds.push_back(Broken("warn.tif", noResolution));
    TTiff wrongType = Pages(TOrder::Big, false, 1);
    wrongType.Ifds[0].Entries[0] = Ascii(256, "eight");
    kinds.push_back(Broken("type.tif", wrongType));
    TTiff loop = Pages(TOrder::Little, false, 3);
    loop.Ifds[2].Next = Lay(loop).IfdOffsets[0];
    kinds.push_back(Broken("loop.tif", loop));
    TTiff cut = Pages(TOrder::Little, true, 2);
    cut.Length = 40;
    kinds.push_back(Broken("cut.tif", cut));
    TTiff outside = Pages(TOrder::Big, false, 1);
    outside.FirstOffset = 1u << 30;
    kinds.push_back(Broken("outside.tif", outside));
    return kinds;
}

std::vector<std::uint8_t> Text(const std::string& text)
{
    return {text.begin(), text.end()};
}

const std::vector<TTemplate> Sidecars = {
    {"md5", Text("d41d8cd98f00b204e9800998ecf8427e  f0-le.tif\n")},
    {"xmp", Text("<x:xmpmeta/>\n")},
};

void Write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes,
           TBatchTree& tree)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
    ++tree.Files;
    tree.Bytes += bytes.size();
}

}  // namespace

TBatchTree WriteBatchTree(const std::filesystem::path& root, std::uint64_t files)
{
    const std::vector<TTemplate> kinds = Templates();
    TBatchTree tree;
    std::uint64_t written = 0;
    for (std::uint64_t leaf = 0; written < files; ++leaf) {
        char name[32];
        std::snprintf(name, sizeof name, "box%03llu/folder%03llu",
                      static_cast<unsigned long long>(leaf / LeavesPerFolder),
                      static_cast<unsigned long long>(leaf % LeavesPerFolder));
        const std::filesystem::path folder = root / name;
        std::filesystem::create_directories(folder);
        tree.Leaves.push_back(folder);
        for (std::uint64_t i = 0; i < FilesPerLeaf && written < files; ++i, ++written) {
            const TTemplate& kind = kinds[written % kinds.size()];
            Write(folder / ("f" + std::to_string(i) + "-" + kind.Suffix), kind.Bytes, tree);
        }
        const TTemplate& sidecar = Sidecars[leaf % Sidecars.size()];
        Write(folder / (std::string("manifest.") + sidecar.Suffix), sidecar.Bytes, tree);
        ++tree.Sidecars;
    }
    return tree;
}
