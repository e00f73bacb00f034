#include "install/win32/WinInstallSystem.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "io/SysErr.h"
#include "io/win32/SysElevation.h"

namespace {

// The link file's name as the persist-file interface wants it; empty when
// the system code page cannot convert it.
std::wstring WidePath(const std::string& path)
{
    int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (n <= 0)
        return {};
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), n) != n)
        return {};
    wide.resize(static_cast<std::size_t>(n - 1));
    return wide;
}

template <class T>
struct TComPtr {
    T* FPtr = nullptr;
    ~TComPtr()
    {
        if (FPtr)
            FPtr->Release();
    }
};

class TWinShortcutReader : public TKvShortcutReader {
public:
    TWinShortcutReader()
    {
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                    reinterpret_cast<void**>(&FLink.FPtr))))
            RaiseInternal("FUninstall 176.154");
        if (FAILED(FLink.FPtr->QueryInterface(IID_IPersistFile,
                                              reinterpret_cast<void**>(&FFile.FPtr))))
            RaiseInternal("FUninstall 178.126");
    }

    bool ReadTarget(const std::string& linkFile, std::string& target) override
    {
        std::wstring wide = WidePath(linkFile);
        if (wide.empty())
            RaiseInternal("FUninstall 195.83");
        if (FAILED(FFile.FPtr->Load(wide.c_str(), STGM_READ)))
            return false;
        char path[MAX_PATH] = {};
        if (FLink.FPtr->GetPath(path, MAX_PATH, nullptr, 0) != S_OK)
            return false;
        target = path;
        return true;
    }

private:
    TComPtr<IShellLinkA> FLink;
    TComPtr<IPersistFile> FFile;
};

}  // namespace

bool TKvWinInstallSystem::SpecialFolderPath(int folder, std::string& path)
{
    char buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, buffer, folder, TRUE))
        return false;
    path = buffer;
    return true;
}

bool TKvWinInstallSystem::SaveShortcut(const std::string& linkFile, const std::string& description,
                                       const std::string& target, const std::string& arguments)
{
    TComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.FPtr))))
        return false;
    link.FPtr->SetPath(target.c_str());
    link.FPtr->SetDescription(description.c_str());
    if (!arguments.empty())
        link.FPtr->SetArguments(arguments.c_str());
    TComPtr<IPersistFile> file;
    if (FAILED(link.FPtr->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.FPtr))))
        return false;
    std::wstring wide = WidePath(linkFile);
    return !wide.empty() && SUCCEEDED(file.FPtr->Save(wide.c_str(), TRUE));
}

std::unique_ptr<TKvShortcutReader> TKvWinInstallSystem::CreateShortcutReader()
{
    return std::make_unique<TWinShortcutReader>();
}

std::uint32_t TKvWinInstallSystem::CreateFolder(const std::string& path)
{
    return CreateDirectoryA(path.c_str(), nullptr) ? 0 : GetLastError();
}

bool TKvWinInstallSystem::RemoveFolder(const std::string& path)
{
    return RemoveDirectoryA(path.c_str()) != 0;
}

bool TKvWinInstallSystem::RemoveFile(const std::string& path)
{
    return DeleteFileA(path.c_str()) != 0;
}

bool TKvWinInstallSystem::FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint32_t TKvWinInstallSystem::CopyFileTo(const std::string& source, const std::string& dest)
{
    return CopyFileA(source.c_str(), dest.c_str(), FALSE) ? 0 : GetLastError();
}

std::vector<TKvFolderEntry> TKvWinInstallSystem::ListFolder(const std::string& folder)
{
    std::vector<TKvFolderEntry> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = data.cFileName;
        if (name != "." && name != "..")
            entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return entries;
}

std::string TKvWinInstallSystem::OwnExecutable()
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

void TKvWinInstallSystem::BeginShellWork()
{
    CoInitialize(nullptr);
}

void TKvWinInstallSystem::EndShellWork()
{
    CoUninitialize();
}

bool TKvWinInstallSystem::CanElevate()
{
    return SysCanElevate();
}

std::uint32_t TKvWinInstallSystem::RunElevated(const std::string& arguments)
{
    return SysRunElevated(arguments);
}
