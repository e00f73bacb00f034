#include "../ReferenceWalks.h"

#include <windows.h>

#include <stdexcept>

std::uint32_t CountPagesMapped(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + path);
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    std::uint32_t pages = 0;
    if (view) {
        pages = CountPagesInBytes(static_cast<const std::uint8_t*>(view),
                                  static_cast<std::uint64_t>(size.QuadPart));
        UnmapViewOfFile(view);
    }
    if (mapping)
        CloseHandle(mapping);
    CloseHandle(file);
    if (!view)
        throw std::runtime_error("cannot map " + path);
    return pages;
}
