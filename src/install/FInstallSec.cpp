#include "install/FInstallSec.h"

#include "install/InstallShell.h"

namespace {

const std::vector<TKvWizardPage> InstallPages = {
    {false, true, true, false},
    {true, true, true, false},
    {false, false, false, false},
    {false, true, false, true},
};

}  // namespace

TFrmInstallSec::TFrmInstallSec(IKvInstallHost& host, TKvInstallSystem& sys)
    : TKvWizard(host, InstallPages, 2), FInstallHost(host), FSys(sys)
{
}

std::vector<TKvControlDef> TFrmInstallSec::Controls() const
{
    std::vector<TKvControlDef> c = {
        {ckPanel, "Page0", "", WizardPanelBounds, 0},
        {ckLabel,
         "Label1",
         "This will install Kestrova Orvane on your hard drive. Orvane enables you to examine a "
         "TIFF file's page list and each page's TIFF Tags.",
         {10, 10, 421, 61},
         0,
         true},
        {ckLabel,
         "Label2",
         "Click 'Next' to continue or 'Cancel' to abort the installation.",
         {10, 70, 421, 111},
         0,
         true},
    };
    for (const TKvControlDef& f : WizardFrameControls())
        c.push_back(f);
    std::vector<TKvControlDef> rest = {
        {ckPanel, "Page1", "", WizardPanelBounds, 1},
        {ckLabel,
         "Label3",
         "Please edit the preferences if needed, and click 'Next' to continue. You may also "
         "click 'Previous' to restart, or 'Cancel' to abort installation.",
         {10, 10, 421, 61},
         1,
         true},
        {ckLabel, "LabDirLut", "Orvane folder", {10, 70, 131, 91}, 1},
        {ckEdit, "EdiFolder", "", {140, 70, 421, 91}, 1},
        {ckButton, "ButFolderBrowse", "Browse", {340, 90, 421, 111}, 1},
        {ckCheckBox, "ChbStartMenu", "Include in Start menu", {10, 120, 153, 137}, 1, false, true},
        {ckCheckBox, "ChbDesktopIcon", "Build desktop icon", {10, 140, 153, 157}, 1, false, true},
        {ckPanel, "Page3", "", WizardPanelBounds, 3},
        {ckLabel, "LabReport", "", {10, 10, 421, 61}, 3, true},
        {ckPanel, "Page2", "", WizardPanelBounds, 2},
        {ckLabel, "Label4", "Installing...", {10, 10, 421, 61}, 2},
    };
    c.insert(c.end(), rest.begin(), rest.end());
    return c;
}

void TFrmInstallSec::Shown()
{
    std::string programs = InstallFolderFallback;
    std::uint32_t errCode = 0;
    std::string errText;
    LocateSystemFolder(FSys, SysFolderProgramFiles, programs, errCode, errText);
    if (errCode != 0)
        programs = InstallFolderFallback;
    FFolder = programs + InstallSubFolder;
    FInstallHost.SetFolderText(FFolder);
    ShowPage(0);
    FTrackFolder = true;
}

void TFrmInstallSec::EdiFolderChange(const std::string& text)
{
    if (FTrackFolder)
        FFolder = text;
}

void TFrmInstallSec::SetFolder(const std::string& folder)
{
    FTrackFolder = false;
    FFolder = folder;
    FInstallHost.SetFolderText(folder);
    FTrackFolder = true;
}

void TFrmInstallSec::ButFolderBrowseClick()
{
    std::uint32_t errCode = 0;
    std::string errText, chosen;
    bool ok = FInstallHost.BrowseForFolder(BrowseTitle, FFolder, chosen, errCode, errText);
    if (errCode != 0)
        FInstallHost.ShowError(errText);
    else if (ok)
        SetFolder(chosen);
}

// A root as the folder would put the program's files among the drive's own,
// and its uninstallation would remove the root's folder.
bool TFrmInstallSec::CanLeavePage(int page)
{
    if (page != 1 || !IsRootFolder(FFolder))
        return true;
    FInstallHost.ShowError(RootFolderText);
    return false;
}

void TFrmInstallSec::RunWork()
{
    FHost.RepaintNow();
    FSys.BeginShellWork();
    std::string report;
    if (Install(report))
        report = InstalledText;
    FSys.EndShellWork();
    FHost.SetReport(report);
    ShowPage(3);
}

bool TFrmInstallSec::Install(std::string& report)
{
    // A relative folder would land wherever the program happened to start.
    if (!IsAbsoluteFolder(FFolder)) {
        report = "Failed to create directory '" + FFolder + "'";
        return false;
    }
    std::uint32_t code = PlaceExecutable(FSys, FFolder, report);
    // A standard user under the folder of installed programs: the same step
    // with raised rights; the shortcuts stay this user's own.
    if (InstallElevates(code, FSys.CanElevate()) &&
        FSys.RunElevated(ElevatedInstallArguments(FFolder)) == 0)
        code = 0;
    if (code != 0)
        return false;
    CreateShortcuts(FFolder + "\\" + InstallExeName);
    return true;
}

std::uint32_t PlaceExecutable(TKvInstallSystem& sys, const std::string& folder, std::string& report)
{
    std::string failed;
    std::uint32_t code = CreateFolders(sys, folder + "\\", failed);
    if (code != 0) {
        report = "Failed to create directory '" + failed + "'";
        return code;
    }
    const std::string exe = folder + "\\" + InstallExeName;
    // Files of an earlier installation go; a folder of the user's own keeps
    // whatever it holds.
    if (sys.FileExists(exe))
        for (const char* old : {"Orvane.exe", "Manual.txt", "Uninstall.txt", "Uninstaller.exe"})
            sys.RemoveFile(folder + "\\" + old);
    code = sys.CopyFileTo(sys.OwnExecutable(), exe);
    if (code != 0)
        report = "Failed to copy executable file to '" + exe + "'";
    return code;
}

bool InstallElevates(std::uint32_t code, bool canElevate)
{
    return code == SysCodeAccessDenied && canElevate;
}

std::string ElevatedInstallArguments(const std::string& folder)
{
    return std::string("/install ") + InstallElevatedMark + " \"" + folder + "\"";
}

std::uint32_t RunElevatedInstall(TKvInstallSystem& sys, const std::string& folder)
{
    if (!IsAbsoluteFolder(folder))
        return 161;  // the system's "bad path name"
    std::string report;
    return PlaceExecutable(sys, folder, report);
}

void TFrmInstallSec::CreateShortcuts(const std::string& exe)
{
    std::uint32_t errCode = 0;
    std::string errText, folder;
    if (FInstallHost.StartMenuChecked()) {
        LocateSystemFolder(FSys, SysFolderPrograms, folder, errCode, errText);
        if (errCode == 0 && !folder.empty()) {
            const std::string group = folder + "\\Orvane";
            CreateShortcut(FSys, group + "\\Orvane.lnk", "Orvane", exe, "");
            CreateShortcut(FSys, group + "\\Manual.lnk", "Manual", exe, "/manual");
            CreateShortcut(FSys, group + "\\Uninstall.lnk", "Uninstall", exe, "/uninstall");
        }
    }
    errCode = 0;
    folder.clear();
    if (FInstallHost.DesktopIconChecked()) {
        LocateSystemFolder(FSys, SysFolderDesktop, folder, errCode, errText);
        if (errCode == 0 && !folder.empty())
            CreateShortcut(FSys, folder + "\\Orvane.lnk", "Orvane", exe, "");
    }
}
