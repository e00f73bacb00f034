#include "update/PeVersion.h"

#include <vector>

namespace {

constexpr std::uint32_t ResourceTypeVersion = 16;
constexpr std::uint32_t SubdirectoryBit = 0x80000000u;
constexpr std::uint32_t MaxSections = 96;
constexpr std::uint32_t MaxDirectoryEntries = 4096;
constexpr std::uint32_t MaxVersionResource = 64 * 1024;

std::uint32_t Le(const char* p, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(p[i]);
    return value;
}

// The file as a PE image: its sections map resource addresses to offsets.
class TPeImage {
public:
    explicit TPeImage(TKvByteSource& bytes) : FBytes(bytes) {}

    bool Open(std::uint32_t& resourceRva);
    bool ReadAt(std::uint32_t rva, std::uint32_t count, char* out);
    bool U32At(std::uint32_t rva, std::uint32_t& value)
    {
        char b[4];
        return ReadAt(rva, 4, b) && (value = Le(b, 4), true);
    }

private:
    struct TSection {
        std::uint32_t FAddress, FRawSize, FRawOffset;
    };
    bool FileU(std::uint32_t offset, int count, std::uint32_t& value)
    {
        char b[4];
        return FBytes.Read(offset, static_cast<std::uint32_t>(count), b) &&
               (value = Le(b, count), true);
    }

    TKvByteSource& FBytes;
    std::vector<TSection> FSections;
};

bool TPeImage::Open(std::uint32_t& resourceRva)
{
    std::uint32_t mz = 0, pe = 0, signature = 0, sections = 0, optSize = 0, magic = 0;
    if (!FileU(0, 2, mz) || mz != 0x5A4D || !FileU(0x3C, 4, pe) || pe > FBytes.Size() ||
        !FileU(pe, 4, signature) || signature != 0x00004550)
        return false;
    const std::uint32_t coff = pe + 4, optional = coff + 20;
    if (!FileU(coff + 2, 2, sections) || !FileU(coff + 16, 2, optSize) || sections > MaxSections ||
        !FileU(optional, 2, magic))
        return false;
    const std::uint32_t directories = magic == 0x10B ? 96 : magic == 0x20B ? 112 : 0;
    std::uint32_t count = 0, size = 0;
    if (directories == 0 || optSize < directories + 3 * 8 ||
        !FileU(optional + directories - 4, 4, count) || count < 3 ||
        !FileU(optional + directories + 2 * 8, 4, resourceRva) ||
        !FileU(optional + directories + 2 * 8 + 4, 4, size) || resourceRva == 0 || size == 0)
        return false;
    for (std::uint32_t i = 0; i < sections; ++i) {
        const std::uint32_t header = optional + optSize + i * 40;
        TSection s{};
        if (!FileU(header + 12, 4, s.FAddress) || !FileU(header + 16, 4, s.FRawSize) ||
            !FileU(header + 20, 4, s.FRawOffset))
            return false;
        FSections.push_back(s);
    }
    return true;
}

bool TPeImage::ReadAt(std::uint32_t rva, std::uint32_t count, char* out)
{
    for (const TSection& s : FSections)
        if (rva >= s.FAddress && rva - s.FAddress <= s.FRawSize &&
            count <= s.FRawSize - (rva - s.FAddress))
            return FBytes.Read(s.FRawOffset + (rva - s.FAddress), count, out);
    return false;
}

// The OffsetToData of the directory's entry with the id, or of its first
// entry when any id will do.
bool FindEntry(TPeImage& image, std::uint32_t root, std::uint32_t directory, bool anyId,
               std::uint32_t id, std::uint32_t& target)
{
    char header[16];
    if (!image.ReadAt(root + directory, sizeof header, header))
        return false;
    const std::uint32_t entries = Le(header + 12, 2) + Le(header + 14, 2);
    for (std::uint32_t i = 0; i < entries && i < MaxDirectoryEntries; ++i) {
        char entry[8];
        if (!image.ReadAt(root + directory + 16 + i * 8, sizeof entry, entry))
            return false;
        if (anyId || Le(entry, 4) == id) {
            target = Le(entry + 4, 4);
            return true;
        }
    }
    return false;
}

bool ReadVersionResource(TKvByteSource& bytes, std::string& data)
{
    TPeImage image(bytes);
    std::uint32_t root = 0, type = 0, name = 0, language = 0, rva = 0, size = 0;
    if (!image.Open(root) || !FindEntry(image, root, 0, false, ResourceTypeVersion, type) ||
        !(type & SubdirectoryBit) ||
        !FindEntry(image, root, type & ~SubdirectoryBit, true, 0, name) ||
        !(name & SubdirectoryBit) ||
        !FindEntry(image, root, name & ~SubdirectoryBit, true, 0, language) ||
        (language & SubdirectoryBit) || !image.U32At(root + language, rva) ||
        !image.U32At(root + language + 4, size) || size > MaxVersionResource)
        return false;
    data.resize(size);
    return image.ReadAt(rva, size, data.data());
}

// One node of the version resource's tree: a length, a value length, a
// type, a UTF-16 key, then (each aligned to 4 bytes) its value and children.
struct TVersionNode {
    std::uint32_t FEnd = 0;
    std::uint32_t FValue = 0;
    std::uint32_t FChildren = 0;
    std::string FKey;
};

std::uint32_t Align4(std::uint32_t at)
{
    return (at + 3) & ~3u;
}

// A UTF-16 text from at up to its terminator or end, ASCII kept and the
// rest as '?'; end moves past the terminator.
std::string Utf16Text(const std::string& data, std::uint32_t at, std::uint32_t& end)
{
    std::string text;
    for (; at + 2 <= end; at += 2) {
        std::uint32_t unit = Le(data.data() + at, 2);
        if (unit == 0) {
            end = at + 2;
            return text;
        }
        text += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return text;
}

bool ReadNode(const std::string& data, std::uint32_t at, std::uint32_t limit, TVersionNode& node)
{
    if (at + 6 > limit)
        return false;
    const std::uint32_t length = Le(data.data() + at, 2);
    const std::uint32_t valueLength = Le(data.data() + at + 2, 2);
    const bool text = Le(data.data() + at + 4, 2) == 1;
    if (length < 6 || length > limit - at)
        return false;
    node.FEnd = at + length;
    std::uint32_t keyEnd = node.FEnd;
    node.FKey = Utf16Text(data, at + 6, keyEnd);
    node.FValue = Align4(keyEnd);
    const std::uint32_t valueBytes = text ? valueLength * 2 : valueLength;
    node.FChildren = Align4(node.FValue + valueBytes);
    return node.FValue <= node.FEnd;
}

// The children of the node with the key under parent, visited in order.
template <class TVisit>
bool EachChild(const std::string& data, const TVersionNode& parent, TVisit visit)
{
    for (std::uint32_t at = parent.FChildren; at < parent.FEnd;) {
        TVersionNode child;
        if (!ReadNode(data, at, parent.FEnd, child))
            return false;
        if (visit(child))
            return true;
        at = Align4(child.FEnd);
    }
    return false;
}

}  // namespace

bool ReadVersionString(TKvByteSource& bytes, std::string_view key, std::string& value)
{
    std::string data;
    TVersionNode root;
    if (!ReadVersionResource(bytes, data) ||
        !ReadNode(data, 0, static_cast<std::uint32_t>(data.size()), root) ||
        root.FKey != "VS_VERSION_INFO")
        return false;
    return EachChild(data, root, [&](const TVersionNode& info) {
        return info.FKey == "StringFileInfo" &&
               EachChild(data, info, [&](const TVersionNode& table) {
                   return EachChild(data, table, [&](const TVersionNode& string) {
                       if (string.FKey != key)
                           return false;
                       std::uint32_t end = string.FEnd;
                       value = Utf16Text(data, string.FValue, end);
                       return true;
                   });
               });
    });
}
