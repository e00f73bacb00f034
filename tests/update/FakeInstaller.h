// The smallest Windows executable the download check takes for an installer:
// "MZ" and "PE" headers, one resource section holding a version resource
// with the given product name, padded with zeros to size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace fake_installer {

inline void Put(std::string& s, std::size_t at, std::uint32_t value, int count)
{
    for (int i = 0; i < count; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

inline std::string Utf16(std::string_view text)
{
    std::string units;
    for (char c : text)
        units += {c, '\0'};
    return units + std::string(2, '\0');
}

inline void Pad4(std::string& s)
{
    s.resize((s.size() + 3) & ~std::size_t{3}, '\0');
}

inline std::string Node(std::string_view key, const std::string& value, bool text,
                        const std::vector<std::string>& children = {})
{
    std::string node(6, '\0');
    node += Utf16(key);
    Pad4(node);
    node += value;
    for (const std::string& child : children) {
        Pad4(node);
        node += child;
    }
    Put(node, 0, static_cast<std::uint32_t>(node.size()), 2);
    Put(node, 2, static_cast<std::uint32_t>(text ? value.size() / 2 : value.size()), 2);
    Put(node, 4, text ? 1 : 0, 2);
    return node;
}

}  // namespace fake_installer

inline std::string FakeInstaller(std::string_view productName, std::size_t size = 0)
{
    using namespace fake_installer;
    const std::string version =
        Node("VS_VERSION_INFO", std::string(52, '\0'), false,
             {Node("StringFileInfo", "", true,
                   {Node("040904b0", "", true,
                         {Node("CompanyName", Utf16("Kestrova"), true),
                          Node("ProductName", Utf16(productName), true)})})});
    std::string exe(0x200, '\0');
    exe[0] = 'M', exe[1] = 'Z';
    Put(exe, 0x3C, 0x40, 4);
    exe.replace(0x40, 4, std::string("PE\0\0", 4));
    Put(exe, 0x44, 0x14C, 2);         // i386
    Put(exe, 0x46, 1, 2);             // one section
    Put(exe, 0x54, 224, 2);           // optional header size
    Put(exe, 0x58, 0x10B, 2);         // PE32
    Put(exe, 0x58 + 92, 16, 4);       // data directories
    Put(exe, 0x58 + 112, 0x1000, 4);  // resources at 0x1000
    Put(exe, 0x58 + 116, static_cast<std::uint32_t>(0x58 + version.size()), 4);
    const std::size_t section = 0x58 + 224;
    exe.replace(section, 5, ".rsrc");
    Put(exe, section + 12, 0x1000, 4);
    Put(exe, section + 16, static_cast<std::uint32_t>(0x58 + version.size()), 4);
    Put(exe, section + 20, 0x200, 4);
    // Type 16 (version) > name 1 > language 0x409 > data entry > the tree.
    std::string resources(0x58, '\0');
    Put(resources, 0x0E, 1, 2);
    Put(resources, 0x10, 16, 4);
    Put(resources, 0x14, 0x80000018u, 4);
    Put(resources, 0x18 + 0x0E, 1, 2);
    Put(resources, 0x28, 1, 4);
    Put(resources, 0x2C, 0x80000030u, 4);
    Put(resources, 0x30 + 0x0E, 1, 2);
    Put(resources, 0x40, 0x409, 4);
    Put(resources, 0x44, 0x48, 4);
    Put(resources, 0x48, 0x1058, 4);
    Put(resources, 0x4C, static_cast<std::uint32_t>(version.size()), 4);
    exe += resources + version;
    if (exe.size() < size)
        exe.resize(size, '\0');
    return exe;
}
