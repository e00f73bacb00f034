// The installer's system calls on Windows: the shell's special folders, the
// shell link object through IShellLinkW and IPersistFile, and the file system.
#pragma once

#include "install/InstallSystem.h"

class TKvWinInstallSystem : public TKvInstallSystem {
public:
    bool SpecialFolderPath(int folder, std::string& path) override;
    bool SaveShortcut(const std::string& linkFile, const std::string& description,
                      const std::string& target, const std::string& arguments) override;
    std::unique_ptr<TKvShortcutReader> CreateShortcutReader() override;
    std::uint32_t CreateFolder(const std::string& path) override;
    bool RemoveFolder(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    std::uint32_t CopyFileTo(const std::string& source, const std::string& dest) override;
    std::vector<TKvFolderEntry> ListFolder(const std::string& folder) override;
    std::string OwnExecutable() override;
    bool CanElevate() override;
    std::uint32_t RunElevated(const std::string& arguments) override;
    void BeginShellWork() override;
    void EndShellWork() override;
};
