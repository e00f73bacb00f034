#include "io/win32/WideCalls.h"

#include <windows.h>

#include <vector>

#include "io/win32/WidePath.h"

namespace {

// Calls fill(buffer, size) with growing buffers until the text fits; fill
// returns the length written, or the size it needs when that is larger.
template <class Fill>
std::string GrowingCall(Fill fill)
{
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (int attempt = 0; attempt < 8; ++attempt) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = fill(buffer.data(), size);
        if (length == 0)
            return std::string();
        if (length < size)
            return Utf8Text(std::wstring_view(buffer.data(), length));
        buffer.resize(std::max<std::size_t>(length + 1, buffer.size() * 2));
    }
    return std::string();
}

}  // namespace

std::string ModulePath()
{
    // A full buffer gives back its own size: that is the "too small" case.
    return GrowingCall([](wchar_t* buffer, DWORD size) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer, size);
        return n == size ? size * 2 : n;
    });
}

std::string TempFolderPath()
{
    return GrowingCall([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
}

std::string LongPathName(const std::string& path)
{
    const std::wstring wide = WideText(path);
    std::string result = GrowingCall(
        [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(wide.c_str(), buffer, size); });
    return result.empty() ? path : result;
}

std::string ShortPathName(const std::string& path)
{
    const std::wstring extended = SystemPath(path);
    std::string result = GrowingCall([&](wchar_t* buffer, DWORD size) {
        return GetShortPathNameW(extended.c_str(), buffer, size);
    });
    // The answer keeps the extended form it was asked in.
    if (result.rfind("\\\\?\\UNC\\", 0) == 0)
        return "\\\\" + result.substr(8);
    if (result.rfind("\\\\?\\", 0) == 0)
        return result.substr(4);
    return result.empty() ? path : result;
}

std::uint32_t CreateUniqueTempFile(const std::string& folder, const std::string& prefix,
                                   std::string& path)
{
    wchar_t name[MAX_PATH] = {};
    if (GetTempFileNameW(WideText(folder).c_str(), WideText(prefix).c_str(), 0, name) == 0)
        return GetLastError();
    path = Utf8Text(name);
    return 0;
}

std::uint32_t StartProcess(const TProcessStart& start)
{
    const std::wstring application = WideText(start.Application);
    std::wstring commandLine = WideText(start.CommandLine);
    const std::wstring folder = WideText(start.Folder);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), commandLine.data(),
                        nullptr, nullptr, start.InheritHandles, start.CreationFlags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}
