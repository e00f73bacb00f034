// Temporary files, the second-stage process and waiting on the first, on
// Windows.
#pragma once

#include "install/FUninstall.h"

class TKvWinUninstallSystem : public TKvUninstallSystem {
public:
    std::uint32_t CreateTempFile(const std::string& prefix, std::string& path) override;
    std::uint32_t StartSecondStage(const std::string& tempCopy,
                                   const std::string& installedExe) override;
    bool WaitForProcess(std::uintptr_t handle) override;
    std::string ErrorText(std::uint32_t code) override;
};

// Lets the temporary copy that runs the second stage go too: a hidden
// command interpreter deletes it once this process has ended.
void DeleteOwnCopyWhenEnded();
