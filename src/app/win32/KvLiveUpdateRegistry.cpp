#include "app/win32/KvLiveUpdateRegistry.h"

#include <windows.h>

namespace {

constexpr const char* ValueName = "LiveUpdate";
constexpr const char* KeyPath[] = {"Software", "Kestrova", "Orvane"};

// Closes every key it opened, innermost first.
class TKeyChain {
public:
    ~TKeyChain()
    {
        for (int i = FCount - 1; i >= 0; --i)
            RegCloseKey(FKeys[i]);
    }
    // Opens (or, with Create, creates) the three keys one under the other.
    bool Open(bool create)
    {
        HKEY parent = HKEY_LOCAL_MACHINE;
        for (const char* name : KeyPath) {
            HKEY key = nullptr;
            LONG rc = create && FCount > 0
                          ? RegCreateKeyExA(parent, name, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                                            nullptr)
                          : RegOpenKeyExA(parent, name, 0, create ? KEY_WRITE : KEY_READ, &key);
            if (rc != ERROR_SUCCESS)
                return false;
            FKeys[FCount++] = key;
            parent = key;
        }
        return true;
    }
    HKEY Last() const { return FKeys[FCount - 1]; }

private:
    HKEY FKeys[3] = {};
    int FCount = 0;
};

}  // namespace

TKvStoredKind TKvLiveUpdateRegistryWin::Query(std::uint32_t& size)
{
    TKeyChain keys;
    DWORD type = 0;
    DWORD bytes = 0;
    if (!keys.Open(false) ||
        RegQueryValueExA(keys.Last(), ValueName, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return TKvStoredKind::Absent;
    size = bytes;
    return type == REG_BINARY ? TKvStoredKind::Binary : TKvStoredKind::OtherType;
}

bool TKvLiveUpdateRegistryWin::Read(std::uint32_t size, std::string& bytes)
{
    TKeyChain keys;
    if (!keys.Open(false))
        return false;
    std::string buffer(size, '\0');
    DWORD type = 0;
    DWORD got = size;
    if (RegQueryValueExA(keys.Last(), ValueName, nullptr, &type,
                         reinterpret_cast<BYTE*>(buffer.data()), &got) != ERROR_SUCCESS ||
        type != REG_BINARY || got != size)
        return false;
    bytes = std::move(buffer);
    return true;
}

void TKvLiveUpdateRegistryWin::Write(const std::string& bytes)
{
    TKeyChain keys;
    if (keys.Open(true))
        RegSetValueExA(keys.Last(), ValueName, 0, REG_BINARY,
                       reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
}
