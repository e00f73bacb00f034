// The installer's wizard: welcome, preferences (folder and shortcuts),
// "Installing..." and the report.
#pragma once

#include "install/InstallSystem.h"
#include "install/KvWizard.h"

class IKvInstallHost : public IKvWizardHost {
public:
    virtual void SetFolderText(const std::string& text) = 0;
    virtual bool StartMenuChecked() = 0;
    virtual bool DesktopIconChecked() = 0;
    // The folder browser next to the Browse button; false when cancelled.
    virtual bool BrowseForFolder(const std::string& title, const std::string& start,
                                 std::string& chosen, std::uint32_t& errCode,
                                 std::string& errText) = 0;
    virtual void ShowError(const std::string& text) = 0;
};

inline constexpr const char* InstallFolderFallback = "C:\\Program files";
inline constexpr const char* InstallSubFolder = "\\Kestrova\\Orvane";
inline constexpr const char* InstallExeName = "Orvane.exe";
inline constexpr const char* BrowseTitle = "Browse for Orvane directory...";
inline constexpr const char* InstalledText =
    "Kestrova Orvane has successfully been installed. There's no need to restart your "
    "computer. Click 'Finish' and you're ready!";

// "/install elevated FOLDER": the folder and the executable only, run with
// raised rights by an installer whose user may not write there; the exit
// code is the result.
inline constexpr const char* InstallElevatedMark = "elevated";
inline constexpr std::uint32_t SysCodeAccessDenied = 5;

// Creates the folder and copies this executable into it: 0 or the system's
// code, with the report's text on failure.
std::uint32_t PlaceExecutable(TKvInstallSystem& sys, const std::string& folder,
                              std::string& report);
// Whether a failed step may succeed with raised rights.
bool InstallElevates(std::uint32_t code, bool canElevate);
std::string ElevatedInstallArguments(const std::string& folder);
// The elevated run's work; its exit code.
std::uint32_t RunElevatedInstall(TKvInstallSystem& sys, const std::string& folder);
inline constexpr const char* RootFolderText =
    "Orvane cannot be installed into the root of a drive or network share. Please choose a "
    "folder inside it.";

class TFrmInstallSec : public TKvWizard {
public:
    TFrmInstallSec(IKvInstallHost& host, TKvInstallSystem& sys);

    std::vector<TKvControlDef> Controls() const override;
    const char* Caption() const override { return "Installer"; }
    void Shown() override;
    void RunWork() override;

    void EdiFolderChange(const std::string& text);
    void ButFolderBrowseClick();
    const std::string& Folder() const { return FFolder; }

protected:
    bool CanLeavePage(int page) override;

private:
    void SetFolder(const std::string& folder);
    bool Install(std::string& report);
    void CreateShortcuts(const std::string& exe);

    IKvInstallHost& FInstallHost;
    TKvInstallSystem& FSys;
    bool FTrackFolder = false;
    std::string FFolder;
};
