#include "install/FUninstall.h"

#include "install/InstallShell.h"

namespace {

const std::vector<TKvWizardPage> UninstallPages = {
    {false, true, true, false},
    {false, false, false, false},
    {false, true, false, true},
};

}  // namespace

std::string SecondStageCommandLine(const std::string& tempCopy, std::uintptr_t handle,
                                   const std::string& installedExe)
{
    return "\"" + tempCopy + "\" /uninstallsec " + std::to_string(handle) + " \"" + installedExe +
           "\"";
}

std::uintptr_t HandleArgument(const std::string& text)
{
    if (text.empty() || text.size() > 19)
        return 0;
    std::uintptr_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + static_cast<std::uintptr_t>(c - '0');
    }
    return value;
}

TFrmUninstall::TFrmUninstall(IKvWizardHost& host, TKvInstallSystem& sys, TKvUninstallSystem& procs)
    : TKvWizard(host, UninstallPages, 1), FSys(sys), FProcs(procs)
{
}

std::vector<TKvControlDef> TFrmUninstall::Controls() const
{
    std::vector<TKvControlDef> c = {
        {ckPanel, "Page0", "", WizardPanelBounds, 0},
        {ckLabel,
         "Label1",
         "This will uninstall Kestrova Orvane from your hard drive.",
         {10, 10, 421, 61},
         0,
         true},
        {ckLabel,
         "Label2",
         "Click 'Next' to continue or 'Cancel' to abort the uninstallation.",
         {10, 70, 421, 111},
         0},
    };
    for (const TKvControlDef& f : WizardFrameControls())
        c.push_back(f);
    c.push_back({ckPanel, "Page2", "", WizardPanelBounds, 2});
    c.push_back({ckLabel, "LabReport", UninstalledText, {10, 10, 421, 61}, 2, true});
    c.push_back({ckPanel, "Page1", "", WizardPanelBounds, 1});
    c.push_back({ckLabel, "Label4", "Uninstalling...", {10, 10, 421, 61}, 1});
    return c;
}

void TFrmUninstall::RunWork()
{
    FHost.RepaintNow();
    FSys.BeginShellWork();
    std::string report = UninstalledText;
    try {
        FirstStage(report);
    } catch (...) {
        FSys.EndShellWork();
        throw;  // the window shows it; the wizard stays on its work page
    }
    FSys.EndShellWork();
    FHost.SetReport(report);
    ShowPage(2);
}

bool TFrmUninstall::FirstStage(std::string& report)
{
    const std::string exe = FSys.OwnExecutable();
    std::uint32_t errCode = 0;
    std::string errText, folder;
    LocateSystemFolder(FSys, SysFolderPrograms, folder, errCode, errText);
    if (errCode == 0 && !folder.empty())
        RemoveShortcutsTo(FSys, folder, 4, exe);
    errCode = 0;
    folder.clear();
    LocateSystemFolder(FSys, SysFolderDesktop, folder, errCode, errText);
    if (errCode == 0 && !folder.empty())
        RemoveShortcutsTo(FSys, folder, 1, exe);

    // The executable cannot delete itself while it runs: a copy does it once
    // this process has ended. Whatever keeps it from starting is reported.
    std::string tempCopy;
    std::uint32_t code = FProcs.CreateTempFile(TempCopyPrefix, tempCopy);
    if (code == 0)
        code = FSys.CopyFileTo(exe, tempCopy);
    if (code == 0)
        code = FProcs.StartSecondStage(tempCopy, exe);
    if (code != 0) {
        if (!tempCopy.empty())
            FSys.RemoveFile(tempCopy);
        report = FProcs.ErrorText(code);
        return false;
    }
    return true;
}

void UninstallSecondStage(TKvInstallSystem& sys, TKvUninstallSystem& procs,
                          const std::string& handleText, const std::string& installedExe)
{
    std::uintptr_t handle = HandleArgument(handleText);
    if (handle == 0 || !procs.WaitForProcess(handle))
        return;
    sys.RemoveFile(installedExe);
    // Only the executable's own folder, by its full path: "C:" without the
    // backslash would be the drive's current folder, whatever that is.
    std::string folder = FolderOf(installedExe);
    if (!IsAbsoluteFolder(folder) || IsRootFolder(folder))
        return;
    while (folder.back() == '\\')
        folder.pop_back();
    sys.RemoveFolder(folder);
}
