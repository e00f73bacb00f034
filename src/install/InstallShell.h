// Special folders, folder paths and shell links, shared by the installer and
// the uninstaller. Paths are Windows paths with backslashes.
#pragma once

#include <cstdint>
#include <string>

#include "install/InstallSystem.h"

inline constexpr std::uint32_t ErrorAlreadyExists = 183;

void LocateSystemFolder(TKvInstallSystem& sys, int folder, std::string& path,
                        std::uint32_t& errCode, std::string& errText);

// Creates every folder before a backslash but the first (the drive); the
// path itself only when it ends with a backslash.
void CreateDirectories(TKvInstallSystem& sys, const std::string& path, std::uint32_t& errCode,
                       std::string& errText);
// The same, giving the system's code (0 when every folder is there) and the
// folder that could not be made.
std::uint32_t CreateFolders(TKvInstallSystem& sys, const std::string& path, std::string& failed);

void CreateShortcut(TKvInstallSystem& sys, const std::string& linkFile,
                    const std::string& description, const std::string& target,
                    const std::string& arguments, std::uint32_t& errCode, std::string& errText);
// For callers that go on whatever happens.
void CreateShortcut(TKvInstallSystem& sys, const std::string& linkFile,
                    const std::string& description, const std::string& target,
                    const std::string& arguments);

// Deletes the shortcuts to targetFile in folder and, while depth > 1, in its
// sub-folders, removing sub-folders that held nothing else. True when the
// folder held files and all of them were deleted.
bool RemoveShortcutsTo(TKvInstallSystem& sys, const std::string& folder, int depth,
                       const std::string& targetFile);

// ASCII letters only, as the file system's own short comparisons.
bool SameTextAscii(const std::string& a, const std::string& b);

// Drive letter with a backslash, or a \\server\share start.
bool IsAbsoluteFolder(const std::string& path);

// The root of a drive ("C:\") or of a share ("\\server\share"), also
// written with trailing backslashes or "." and ".." steps that lead back to
// it: never a folder of the program's own.
bool IsRootFolder(const std::string& path);

// The folder part of a path: up to and including its last backslash or colon.
std::string FolderOf(const std::string& path);
