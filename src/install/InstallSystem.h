// What the installer and the uninstaller need from the system: files,
// folders, special folders, shell links and the program's own executable.
// The walks over folders are written against this so they run on a fake tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Shell folder identifiers.
inline constexpr int SysFolderDesktop = 0x00;
inline constexpr int SysFolderPrograms = 0x02;
inline constexpr int SysFolderProgramFiles = 0x26;

struct TKvFolderEntry {
    std::string FName;
    bool FIsFolder = false;
};

// Reads the targets of link files; made once per folder and reused.
class TKvShortcutReader {
public:
    virtual ~TKvShortcutReader() = default;
    // False when the link cannot be loaded or has no readable target.
    virtual bool ReadTarget(const std::string& linkFile, std::string& target) = 0;
};

class TKvInstallSystem {
public:
    virtual ~TKvInstallSystem() = default;

    // The folder's path, created when missing; false when the shell fails.
    virtual bool SpecialFolderPath(int folder, std::string& path) = 0;
    virtual bool SaveShortcut(const std::string& linkFile, const std::string& description,
                              const std::string& target, const std::string& arguments) = 0;
    // Raises an internal failure when the shell link machinery is missing.
    virtual std::unique_ptr<TKvShortcutReader> CreateShortcutReader() = 0;

    // 0, or the system's error code (183: the folder exists already).
    virtual std::uint32_t CreateFolder(const std::string& path) = 0;
    virtual bool RemoveFolder(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Overwrites dest; the system's error code on failure, else 0.
    virtual std::uint32_t CopyFileTo(const std::string& source, const std::string& dest) = 0;
    virtual std::vector<TKvFolderEntry> ListFolder(const std::string& folder) = 0;

    virtual std::string OwnExecutable() = 0;
    // True when an elevated run may get rights this process lacks.
    virtual bool CanElevate() = 0;
    // Runs this executable elevated with arguments and waits for it: its
    // exit code, or the system's code when it did not start.
    virtual std::uint32_t RunElevated(const std::string& arguments) = 0;
    // Shell work runs between these two on the window thread.
    virtual void BeginShellWork() = 0;
    virtual void EndShellWork() = 0;
};
