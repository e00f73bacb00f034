#include "shelldlg/win32/KvShellPlaces.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "io/SysErr.h"
#include "shelldlg/KvShellPath.h"

namespace {

constexpr int DefaultPlaces[TKvShellPlaces::Count] = {CSIDL_RECENT, CSIDL_DESKTOP, CSIDL_PERSONAL,
                                                      CSIDL_DRIVES, CSIDL_NETWORK};

LPITEMIDLIST ParsePath(const std::string& path)
{
    if (!ShellCanParse(path))
        return nullptr;
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return nullptr;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n);
    PIDLIST_ABSOLUTE item = nullptr;
    if (FAILED(SHParseDisplayName(wide.c_str(), nullptr, &item, 0, nullptr)))
        return nullptr;
    return item;
}

std::string ExpandedText(const std::vector<char>& data, DWORD type)
{
    std::string text(data.data());
    if (type != REG_EXPAND_SZ)
        return text;
    char expanded[MAX_PATH * 2] = {};
    DWORD n = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof(expanded));
    return n > 0 && n <= sizeof(expanded) ? std::string(expanded) : text;
}

}  // namespace

TKvShellPlaces::~TKvShellPlaces()
{
    Clear();
}

void TKvShellPlaces::Clear()
{
    for (TKvPlace& p : FPlaces)
        if (p.FItem)
            CoTaskMemFree(p.FItem);
    FPlaces = {};
}

void TKvShellPlaces::SetSpecial(int place, int number)
{
    TKvPlace& p = FPlaces[static_cast<std::size_t>(place)];
    p.FSpecial = true;
    p.FSpecialNumber = number;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, number, &p.FItem)))
        RaiseInternal("KvShell 479:34");
}

void TKvShellPlaces::Load(HKEY root, const char* keyPath)
{
    Clear();
    HKEY key = nullptr;
    FDefaults = RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS;
    if (FDefaults) {
        for (int i = 0; i < Count; ++i)
            SetSpecial(i, DefaultPlaces[i]);
        return;
    }
    for (int i = 0; i < Count; ++i) {
        std::string name = "Place" + std::to_string(i);
        DWORD type = 0, size = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            continue;
        std::vector<char> data(size + 2, '\0');
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            continue;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            FPlaces[static_cast<std::size_t>(i)].FItem = ParsePath(ExpandedText(data, type));
        } else if (type == REG_DWORD) {
            if (size != 4) {
                RegCloseKey(key);
                RaiseInternal("KvShell 1367:56");
            }
            DWORD number = 0;
            std::memcpy(&number, data.data(), 4);
            SetSpecial(i, static_cast<int>(number));
        } else {
            RegCloseKey(key);
            RaiseInternal("KvShell 1372:40");
        }
    }
    RegCloseKey(key);
}

const std::string& TKvShellPlaces::Caption(int place)
{
    TKvPlace& p = FPlaces[static_cast<std::size_t>(place)];
    if (!p.FCaptionKnown && p.FItem) {
        if (p.FSpecial && p.FSpecialNumber == CSIDL_RECENT) {
            p.FCaption = "History";
        } else {
            SHFILEINFOA info{};
            if (SHGetFileInfoA(reinterpret_cast<LPCSTR>(p.FItem), 0, &info, sizeof(info),
                               SHGFI_PIDL | SHGFI_DISPLAYNAME))
                p.FCaption = info.szDisplayName;
        }
        p.FCaptionKnown = true;
    }
    return p.FCaption;
}

int TKvShellPlaces::Icon(int place)
{
    TKvPlace& p = FPlaces[static_cast<std::size_t>(place)];
    if (!p.FIconKnown && p.FItem) {
        SHFILEINFOA info{};
        DWORD_PTR list = SHGetFileInfoA(reinterpret_cast<LPCSTR>(p.FItem), 0, &info, sizeof(info),
                                        SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_LARGEICON);
        if (!list)
            RaiseInternal("KvShell 604:46");
        FImages = reinterpret_cast<HIMAGELIST>(list);
        p.FIcon = info.iIcon;
        p.FIconKnown = true;
    }
    return p.FIcon;
}
