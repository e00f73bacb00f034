#include "install/win32/WinInstallSystem.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "io/SysErr.h"
#include "io/win32/SysElevation.h"
#include "io/win32/WideCalls.h"
#include "io/win32/WidePath.h"

namespace {

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
        if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    reinterpret_cast<void**>(&FLink.FPtr))))
            RaiseInternal("FUninstall 176.154");
        if (FAILED(FLink.FPtr->QueryInterface(IID_IPersistFile,
                                              reinterpret_cast<void**>(&FFile.FPtr))))
            RaiseInternal("FUninstall 178.126");
    }

    bool ReadTarget(const std::string& linkFile, std::string& target) override
    {
        std::wstring wide = WideText(linkFile);
        if (wide.empty())
            RaiseInternal("FUninstall 195.83");
        if (FAILED(FFile.FPtr->Load(wide.c_str(), STGM_READ)))
            return false;
        // The item identifier holds the target's full names; the path field
        // may have kept them only in the code page, and holds at most
        // MAX_PATH characters (a longer target is there in short form).
        wchar_t path[MAX_PATH] = {};
        PIDLIST_ABSOLUTE item = nullptr;
        bool found =
            SUCCEEDED(FLink.FPtr->GetIDList(&item)) && item && SHGetPathFromIDListW(item, path);
        if (item)
            CoTaskMemFree(item);
        if (!found && FLink.FPtr->GetPath(path, MAX_PATH, nullptr, 0) != S_OK)
            return false;
        target = LongPathName(Utf8Text(path));
        return true;
    }

private:
    TComPtr<IShellLinkW> FLink;
    TComPtr<IPersistFile> FFile;
};

}  // namespace

bool TKvWinInstallSystem::SpecialFolderPath(int folder, std::string& path)
{
    wchar_t buffer[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, folder, TRUE))
        return false;
    path = Utf8Text(buffer);
    return true;
}

bool TKvWinInstallSystem::SaveShortcut(const std::string& linkFile, const std::string& description,
                                       const std::string& target, const std::string& arguments)
{
    TComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.FPtr))))
        return false;
    // The link format holds a target of at most MAX_PATH characters: a
    // longer one would be cut and point elsewhere, so it goes in short form.
    std::wstring wideTarget = WideText(target);
    if (wideTarget.size() >= MAX_PATH)
        wideTarget = WideText(ShortPathName(target));
    if (wideTarget.size() >= MAX_PATH || FAILED(link.FPtr->SetPath(wideTarget.c_str())))
        return false;
    link.FPtr->SetDescription(WideText(description).c_str());
    if (!arguments.empty())
        link.FPtr->SetArguments(WideText(arguments).c_str());
    TComPtr<IPersistFile> file;
    if (FAILED(link.FPtr->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.FPtr))))
        return false;
    std::wstring wide = WideText(linkFile);
    return !wide.empty() && SUCCEEDED(file.FPtr->Save(wide.c_str(), TRUE));
}

std::unique_ptr<TKvShortcutReader> TKvWinInstallSystem::CreateShortcutReader()
{
    return std::make_unique<TWinShortcutReader>();
}

std::uint32_t TKvWinInstallSystem::CreateFolder(const std::string& path)
{
    return CreateDirectoryW(SystemPath(path).c_str(), nullptr) ? 0 : GetLastError();
}

bool TKvWinInstallSystem::RemoveFolder(const std::string& path)
{
    return RemoveDirectoryW(SystemPath(path).c_str()) != 0;
}

bool TKvWinInstallSystem::RemoveFile(const std::string& path)
{
    return DeleteFileW(SystemPath(path).c_str()) != 0;
}

bool TKvWinInstallSystem::FileExists(const std::string& path)
{
    DWORD a = GetFileAttributesW(SystemPath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::uint32_t TKvWinInstallSystem::CopyFileTo(const std::string& source, const std::string& dest)
{
    return CopyFileW(SystemPath(source).c_str(), SystemPath(dest).c_str(), FALSE) ? 0
                                                                                  : GetLastError();
}

std::vector<TKvFolderEntry> TKvWinInstallSystem::ListFolder(const std::string& folder)
{
    std::vector<TKvFolderEntry> entries;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(SystemPath(folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return entries;
    do {
        std::string name = Utf8Text(data.cFileName);
        if (name != "." && name != "..")
            entries.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return entries;
}

std::string TKvWinInstallSystem::OwnExecutable()
{
    // Started through a link to a long folder, the program runs under the
    // short form of its path.
    return LongPathName(ModulePath());
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
