// An in-memory tree of folders, files and links behind the installer's
// system interface, with switches to make single calls fail.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "install/FUninstall.h"
#include "install/InstallShell.h"
#include "install/InstallSystem.h"
#include "io/SysErr.h"

struct TFakeLink {
    std::string FTarget;
    std::string FDescription;
    std::string FArguments;
    bool FDamaged = false;
};

class TFakeInstallSystem : public TKvInstallSystem {
public:
    std::set<std::string> FFolders{"C:"};
    std::map<std::string, std::string> FFiles;  // path -> contents
    std::map<std::string, TFakeLink> FLinks;    // link files, also listed in FFiles
    std::map<int, std::string> FSpecial;
    std::set<std::string> FDenied;     // folders that cannot be created
    std::set<std::string> FLocked;     // files that cannot be deleted
    std::set<std::string> FProtected;  // folders this user may not create
    bool FCanElevate = false;
    std::uint32_t FElevatedResult = 0;
    std::vector<std::string> FElevatedRuns;
    std::string FOwnExe = "D:\\Downloads\\setup.exe";
    bool FNoShellLinks = false;  // the link machinery is missing: an internal failure
    int FShellDepth = 0;

    void AddFolder(const std::string& path)
    {
        for (std::size_t i = path.find('\\'); i != std::string::npos; i = path.find('\\', i + 1))
            FFolders.insert(path.substr(0, i));
        FFolders.insert(path);
    }
    void AddFile(const std::string& path, const std::string& contents = "x")
    {
        AddFolder(FolderOf(path).substr(0, FolderOf(path).size() - 1));
        FFiles[path] = contents;
    }
    void AddLink(const std::string& path, const std::string& target, bool damaged = false)
    {
        AddFile(path, "link");
        FLinks[path] = {target, "", "", damaged};
    }

    bool SpecialFolderPath(int folder, std::string& path) override
    {
        auto it = FSpecial.find(folder);
        if (it == FSpecial.end())
            return false;
        path = it->second;
        AddFolder(path);
        return true;
    }
    bool SaveShortcut(const std::string& linkFile, const std::string& description,
                      const std::string& target, const std::string& arguments) override
    {
        if (!FFolders.count(FolderOf(linkFile).substr(0, FolderOf(linkFile).size() - 1)))
            return false;
        FFiles[linkFile] = "link";
        FLinks[linkFile] = {target, description, arguments, false};
        return true;
    }
    std::unique_ptr<TKvShortcutReader> CreateShortcutReader() override
    {
        if (FNoShellLinks)
            RaiseInternal("no shell links");
        struct TReader : TKvShortcutReader {
            TFakeInstallSystem* FSys;
            explicit TReader(TFakeInstallSystem* sys) : FSys(sys) {}
            bool ReadTarget(const std::string& linkFile, std::string& target) override
            {
                auto it = FSys->FLinks.find(linkFile);
                if (it == FSys->FLinks.end() || it->second.FDamaged)
                    return false;
                target = it->second.FTarget;
                return true;
            }
        };
        return std::make_unique<TReader>(this);
    }
    std::uint32_t CreateFolder(const std::string& path) override
    {
        if (FProtected.count(path))
            return 5;
        if (FDenied.count(path) ||
            !FFolders.count(FolderOf(path).substr(0, FolderOf(path).size() - 1)))
            return 3;
        return FFolders.insert(path).second ? 0 : ErrorAlreadyExists;
    }
    bool RemoveFolder(const std::string& path) override
    {
        std::string prefix = path + "\\";
        for (const auto& f : FFiles)
            if (f.first.compare(0, prefix.size(), prefix) == 0)
                return false;
        for (const auto& d : FFolders)
            if (d.compare(0, prefix.size(), prefix) == 0)
                return false;
        return FFolders.erase(path) > 0;
    }
    bool RemoveFile(const std::string& path) override
    {
        if (FLocked.count(path))
            return false;
        FLinks.erase(path);
        return FFiles.erase(path) > 0;
    }
    bool FileExists(const std::string& path) override { return FFiles.count(path) > 0; }
    std::uint32_t CopyFileTo(const std::string& source, const std::string& dest) override
    {
        if (!FFiles.count(source) || FLocked.count(dest) ||
            !FFolders.count(FolderOf(dest).substr(0, FolderOf(dest).size() - 1)))
            return 5;
        FFiles[dest] = FFiles[source];
        return 0;
    }
    std::vector<TKvFolderEntry> ListFolder(const std::string& folder) override
    {
        std::vector<TKvFolderEntry> entries;
        std::string prefix = folder + "\\";
        auto direct = [&](const std::string& p) {
            return p.compare(0, prefix.size(), prefix) == 0 &&
                   p.find('\\', prefix.size()) == std::string::npos;
        };
        for (const auto& d : FFolders)
            if (direct(d))
                entries.push_back({d.substr(prefix.size()), true});
        for (const auto& f : FFiles)
            if (direct(f.first))
                entries.push_back({f.first.substr(prefix.size()), false});
        return entries;
    }
    std::string OwnExecutable() override { return FOwnExe; }
    bool CanElevate() override { return FCanElevate; }
    std::uint32_t RunElevated(const std::string& arguments) override
    {
        FElevatedRuns.push_back(arguments);
        return FElevatedResult;
    }
    void BeginShellWork() override { ++FShellDepth; }
    void EndShellWork() override { --FShellDepth; }
};

// The uninstaller's processes: the second stage is only counted and noted.
class TFakeProcesses : public TKvUninstallSystem {
public:
    std::uint32_t FTempError = 0, FStartError = 0;
    bool FWaitOk = true;
    std::string FStarted;
    int FStarts = 0;
    std::uintptr_t FWaited = 0;
    std::uint32_t CreateTempFile(const std::string& prefix, std::string& path) override
    {
        if (FTempError)
            return FTempError;
        path = "C:\\Temp\\" + prefix + "1A.tmp";
        return 0;
    }
    std::uint32_t StartSecondStage(const std::string& tempCopy, const std::string& exe) override
    {
        ++FStarts;
        FStarted = SecondStageCommandLine(tempCopy, 1234, exe);
        return FStartError;
    }
    bool WaitForProcess(std::uintptr_t handle) override
    {
        FWaited = handle;
        return FWaitOk;
    }
    std::string ErrorText(std::uint32_t code) override { return "error " + std::to_string(code); }
};
