// The system calls that hand paths back or start programs, over the wide
// functions with UTF-8 in and out and no fixed MAX_PATH buffers.
#pragma once

#include <cstdint>
#include <string>

// The running program's own file; empty when the system does not say.
std::string ModulePath();

// The user's temporary folder with its final backslash; empty on failure.
std::string TempFolderPath();

// The path with every component in its long form; the path itself when the
// system cannot resolve it (it does not exist, for instance).
std::string LongPathName(const std::string& path);

// The path with its components in their short (8.3) form, for places that
// hold no more than MAX_PATH characters; the path itself when the volume
// keeps no short names or the path does not exist.
std::string ShortPathName(const std::string& path);

// Creates an empty file with a unique name in folder; returns the system
// error code, 0 on success.
std::uint32_t CreateUniqueTempFile(const std::string& folder, const std::string& prefix,
                                   std::string& path);

struct TProcessStart {
    std::string Application;  // empty: the command line's first word
    std::string CommandLine;
    std::string Folder;  // empty: this process's current folder
    bool InheritHandles = false;
    std::uint32_t CreationFlags = 0;
};

// Starts the program without waiting for it; returns the system error code,
// 0 on success.
std::uint32_t StartProcess(const TProcessStart& start);
