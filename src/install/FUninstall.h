// The uninstaller: a three-page wizard whose first stage removes the
// shortcuts and starts a temporary copy of the program, and the second
// stage run by that copy, which waits for the first process to end and then
// removes the executable and its folder.
#pragma once

#include <cstdint>
#include <string>

#include "install/InstallSystem.h"
#include "install/KvWizard.h"

// Process and temporary-file services of the two stages.
class TKvUninstallSystem {
public:
    virtual ~TKvUninstallSystem() = default;
    // A new empty file with a unique name and the prefix in the folder for
    // temporary files; the system's error code on failure, else 0.
    virtual std::uint32_t CreateTempFile(const std::string& prefix, std::string& path) = 0;
    // Starts tempCopy with the second-stage command line and an inheritable
    // handle to this process; the system's error code on failure, else 0.
    virtual std::uint32_t StartSecondStage(const std::string& tempCopy,
                                           const std::string& installedExe) = 0;
    // Waits for the process behind the inherited handle and closes it.
    virtual bool WaitForProcess(std::uintptr_t handle) = 0;
    virtual std::string ErrorText(std::uint32_t code) = 0;
};

inline constexpr const char* UninstalledText =
    "Orvane is removed from your system. Hit 'Finish' and you're ready.";
inline constexpr const char* TempCopyPrefix = "kvu";

// "temp" /uninstallsec handle "exe"
std::string SecondStageCommandLine(const std::string& tempCopy, std::uintptr_t handle,
                                   const std::string& installedExe);
// The handle of argument 2: 0 for text that is not a decimal number.
std::uintptr_t HandleArgument(const std::string& text);

class TFrmUninstall : public TKvWizard {
public:
    TFrmUninstall(IKvWizardHost& host, TKvInstallSystem& sys, TKvUninstallSystem& procs);

    std::vector<TKvControlDef> Controls() const override;
    const char* Caption() const override { return "Uninstaller"; }
    void Shown() override { ShowPage(0); }
    void RunWork() override;

private:
    bool FirstStage(std::string& report);

    TKvInstallSystem& FSys;
    TKvUninstallSystem& FProcs;
};

// The second stage: arguments 2 (handle) and 3 (installed executable).
void UninstallSecondStage(TKvInstallSystem& sys, TKvUninstallSystem& procs,
                          const std::string& handleText, const std::string& installedExe);
