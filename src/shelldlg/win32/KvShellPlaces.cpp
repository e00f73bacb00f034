#include "shelldlg/win32/KvShellPlaces.h"

#include <shellapi.h>

#include <cstring>
#include <vector>

#include "io/SysErr.h"
#include "io/win32/WidePath.h"
#include "shelldlg/KvShellPath.h"

namespace {

constexpr int DefaultPlaces[TKvShellPlaces::Count] = {CSIDL_RECENT, CSIDL_DESKTOP, CSIDL_PERSONAL,
                                                      CSIDL_DRIVES, CSIDL_NETWORK};

LPITEMIDLIST ParsePath(const std::wstring& path)
{
    if (!ShellCanParse(Utf8Text(path)))
        return nullptr;
    PIDLIST_ABSOLUTE item = nullptr;
    if (path.empty() || FAILED(SHParseDisplayName(path.c_str(), nullptr, &item, 0, nullptr)))
        return nullptr;
    return item;
}

std::wstring ExpandedText(const std::vector<wchar_t>& data, DWORD type)
{
    std::wstring text(data.data());
    if (type != REG_EXPAND_SZ)
        return text;
    wchar_t expanded[MAX_PATH * 2] = {};
    DWORD n = ExpandEnvironmentStringsW(text.c_str(), expanded, MAX_PATH * 2);
    return n > 0 && n <= MAX_PATH * 2 ? std::wstring(expanded) : text;
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
        const std::wstring name = L"Place" + std::to_wstring(i);
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            continue;
        // Room for a final zero the value may lack, in characters.
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 2, L'\0');
        if (RegQueryValueExW(key, name.c_str(), nullptr, &type,
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
            SHFILEINFOW info{};
            if (SHGetFileInfoW(reinterpret_cast<LPCWSTR>(p.FItem), 0, &info, sizeof(info),
                               SHGFI_PIDL | SHGFI_DISPLAYNAME))
                p.FCaption = Utf8Text(info.szDisplayName);
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
