#include "io/win32/WidePath.h"

#include <windows.h>

std::wstring WideText(std::string_view utf8)
{
    if (utf8.empty())
        return std::wstring();
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8Text(std::wstring_view wide)
{
    if (wide.empty())
        return std::string();
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::string Utf8Text(const wchar_t* wide)
{
    return wide ? Utf8Text(std::wstring_view(wide)) : std::string();
}

namespace {

bool StartsWith(const std::wstring& text, std::wstring_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::wstring FullPath(const std::wstring& path)
{
    DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    while (length > 0) {
        std::wstring full(length, L'\0');
        const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
        if (written < length) {
            full.resize(written);
            return full;
        }
        length = written;  // the current folder changed in between
    }
    return std::wstring();
}

}  // namespace

std::wstring ExtendedLengthPath(const std::wstring& path)
{
    if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\"))
        return path;
    if (path.empty())
        return std::wstring();
    const std::wstring full = FullPath(path);
    if (StartsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.size() >= 3 && full[1] == L':' && full[2] == L'\\')
        return L"\\\\?\\" + full;
    return full;
}

std::wstring SystemPath(const std::string& utf8Path)
{
    return ExtendedLengthPath(WideText(utf8Path));
}
