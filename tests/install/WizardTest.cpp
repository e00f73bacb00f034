#include <gtest/gtest.h>

#include <map>

#include "FakeInstallSystem.h"
#include "install/FInstall.h"
#include "install/FInstallSec.h"
#include "install/FUninstall.h"

namespace {

class TFakeHost : public IKvInstallHost {
public:
    int FVisible = -1;
    bool FButtons[3] = {};
    std::string FNextCaption = "Next >>", FReport, FFolderText, FError;
    int FPostedWork = 0;
    TKvModalResult FResult = mrNone;
    bool FStartMenu = true, FDesktop = true;
    std::string FBrowseAnswer;
    TFrmInstallSec* FWizard = nullptr;

    void ShowPanel(int page, bool visible) override
    {
        if (visible)
            FVisible = page;
        else if (FVisible == page)
            FVisible = -1;
    }
    void SetButtonEnabled(TKvWizardButton b, bool on) override { FButtons[b] = on; }
    void SetNextCaption(const std::string& c) override { FNextCaption = c; }
    void SetReport(const std::string& t) override { FReport = t; }
    void PostWork() override { ++FPostedWork; }
    void RepaintNow() override {}
    void EndModal(TKvModalResult r) override { FResult = r; }
    // Setting the text fires the edit's change, as a real edit does.
    void SetFolderText(const std::string& t) override
    {
        FFolderText = t;
        if (FWizard)
            FWizard->EdiFolderChange(t);
    }
    bool StartMenuChecked() override { return FStartMenu; }
    bool DesktopIconChecked() override { return FDesktop; }
    bool BrowseForFolder(const std::string&, const std::string&, std::string& chosen,
                         std::uint32_t&, std::string&) override
    {
        chosen = FBrowseAnswer;
        return !chosen.empty();
    }
    void ShowError(const std::string& t) override { FError = t; }
    std::string Buttons() const
    {
        return std::string(FButtons[0] ? "P" : "-") + (FButtons[1] ? "N" : "-") +
               (FButtons[2] ? "C" : "-");
    }
};

struct TInstallFixture : ::testing::Test {
    TFakeInstallSystem FSys;
    TFakeHost FHost;
    TFrmInstallSec FWizard{FHost, FSys};
    const std::string FExe = "C:\\Program Files\\Kestrova\\Orvane\\Orvane.exe";
    const std::string FGroup = "C:\\Menu\\Programs\\Orvane";

    void SetUp() override
    {
        FHost.FWizard = &FWizard;
        FSys.AddFile(FSys.FOwnExe, "new");
        FSys.FSpecial = {{SysFolderProgramFiles, "C:\\Program Files"},
                         {SysFolderPrograms, "C:\\Menu\\Programs"},
                         {SysFolderDesktop, "C:\\Desktop"}};
    }
    void RunToReport()
    {
        FWizard.Shown();
        FWizard.ButNextClick();
        FWizard.ButNextClick();
        ASSERT_EQ(FHost.FPostedWork, 1);
        FWizard.RunWork();
    }
};

}  // namespace

TEST_F(TInstallFixture, RootFolderIsRefusedOnTheFolderPage)
{
    FWizard.Shown();
    FWizard.ButNextClick();
    for (const char* root : {"C:\\", "\\\\server\\share\\", "D:"}) {
        FHost.FError.clear();
        FWizard.EdiFolderChange(root);
        FWizard.ButNextClick();
        EXPECT_EQ(FHost.FError, RootFolderText) << root;
        EXPECT_EQ(FHost.FVisible, 1) << root;
    }
    EXPECT_EQ(FHost.FPostedWork, 0);
    FHost.FError.clear();
    FWizard.EdiFolderChange("C:\\Tools");
    FWizard.ButNextClick();
    EXPECT_EQ(FHost.FError, "");
    EXPECT_EQ(FHost.FPostedWork, 1);
}

TEST_F(TInstallFixture, PagesButtonsAndFolderTracking)
{
    FWizard.Shown();
    EXPECT_EQ(FHost.FFolderText, "C:\\Program Files\\Kestrova\\Orvane");
    EXPECT_EQ(FHost.FVisible, 0);
    EXPECT_EQ(FHost.Buttons(), "-NC");
    FWizard.ButNextClick();
    EXPECT_EQ(FHost.Buttons(), "PNC");
    FWizard.ButPreviousClick();
    EXPECT_EQ(FHost.FVisible, 0);
    FWizard.ButNextClick();
    FWizard.EdiFolderChange("D:\\Tools");
    EXPECT_EQ(FWizard.Folder(), "D:\\Tools");
    FHost.FBrowseAnswer = "E:\\Chosen";
    FWizard.ButFolderBrowseClick();
    EXPECT_EQ(FHost.FFolderText, "E:\\Chosen");
    EXPECT_EQ(FWizard.Folder(), "E:\\Chosen");
    FHost.FBrowseAnswer.clear();  // cancelled: unchanged
    FWizard.ButFolderBrowseClick();
    EXPECT_EQ(FWizard.Folder(), "E:\\Chosen");
    FWizard.ButNextClick();
    EXPECT_EQ(FHost.Buttons(), "---");
    EXPECT_EQ(FHost.FPostedWork, 1);
    FWizard.ButCancelClick();
    EXPECT_EQ(FHost.FResult, mrCancel);

    FSys.FSpecial.erase(SysFolderProgramFiles);
    FWizard.Shown();
    EXPECT_EQ(FHost.FFolderText, "C:\\Program files\\Kestrova\\Orvane");
}

TEST_F(TInstallFixture, InstallsExecutableAndShortcuts)
{
    RunToReport();
    EXPECT_EQ(FHost.FVisible, 3);
    EXPECT_EQ(FHost.Buttons(), "-N-");
    EXPECT_EQ(FHost.FNextCaption, "Finish");
    EXPECT_EQ(FHost.FReport, InstalledText);
    EXPECT_EQ(FSys.FShellDepth, 0);
    EXPECT_EQ(FSys.FFiles.at(FExe), "new");
    std::map<std::string, std::pair<std::string, std::string>> expected = {
        {FGroup + "\\Orvane.lnk", {"Orvane", ""}},
        {FGroup + "\\Manual.lnk", {"Manual", "/manual"}},
        {FGroup + "\\Uninstall.lnk", {"Uninstall", "/uninstall"}},
        {"C:\\Desktop\\Orvane.lnk", {"Orvane", ""}},
    };
    ASSERT_EQ(FSys.FLinks.size(), expected.size());
    for (const auto& [file, link] : FSys.FLinks) {
        EXPECT_EQ(link.FTarget, FExe) << file;
        EXPECT_EQ(std::make_pair(link.FDescription, link.FArguments), expected.at(file)) << file;
    }
    FWizard.ButNextClick();
    EXPECT_EQ(FHost.FResult, mrOk);
}

TEST_F(TInstallFixture, OldFilesGoOnlyFromAnEarlierInstallation)
{
    const std::string mine = "C:\\Program Files\\Kestrova\\Orvane\\Manual.txt";
    FSys.AddFile(mine);
    FHost.FStartMenu = FHost.FDesktop = false;
    RunToReport();
    EXPECT_TRUE(FSys.FFiles.count(mine));  // the user's own folder
    EXPECT_TRUE(FSys.FLinks.empty());
    EXPECT_EQ(FHost.FReport, InstalledText);
    FWizard.Shown();
    FHost.FPostedWork = 0;
    RunToReport();  // over an installation: its old files go
    EXPECT_FALSE(FSys.FFiles.count(mine));
    EXPECT_TRUE(FSys.FFiles.count(FExe));
}

TEST_F(TInstallFixture, FailuresReachTheReport)
{
    FWizard.Shown();
    FWizard.ButNextClick();
    FWizard.EdiFolderChange("Kestrova\\Orvane");
    FWizard.ButNextClick();
    FWizard.RunWork();
    EXPECT_EQ(FHost.FReport, "Failed to create directory 'Kestrova\\Orvane'");
    EXPECT_FALSE(FSys.FFolders.count("Kestrova"));

    FWizard.EdiFolderChange("Q:\\Tools\\Orvane");
    FWizard.RunWork();
    EXPECT_EQ(FHost.FReport, "Failed to create directory 'Q:\\Tools'");

    FWizard.EdiFolderChange("C:\\Busy");
    FSys.AddFile("C:\\Busy\\Orvane.exe");
    FSys.FLocked.insert("C:\\Busy\\Orvane.exe");
    FWizard.RunWork();
    EXPECT_EQ(FHost.FReport, "Failed to copy executable file to 'C:\\Busy\\Orvane.exe'");
    EXPECT_TRUE(FSys.FLinks.empty());
    EXPECT_EQ(FHost.FVisible, 3);
}

// A standard user under the folder of installed programs: the folder and the
// executable are asked of an elevated run, the shortcuts stay this user's.
TEST_F(TInstallFixture, AFolderWithoutRightsIsInstalledByAnElevatedRun)
{
    const std::string elevated = "/install elevated \"C:\\Program Files\\Kestrova\\Orvane\"";
    const std::string refused = "Failed to create directory 'C:\\Program Files\\Kestrova'";
    FSys.FProtected.insert("C:\\Program Files\\Kestrova");
    FSys.FCanElevate = true;
    RunToReport();
    EXPECT_EQ(FSys.FElevatedRuns, std::vector<std::string>{elevated});
    EXPECT_EQ(FHost.FReport, InstalledText);
    EXPECT_EQ(FSys.FLinks.at(FGroup + "\\Orvane.lnk").FTarget, FExe);

    FSys.FLinks.clear();
    FSys.FElevatedResult = 1223;  // the user said no
    FWizard.RunWork();
    EXPECT_EQ(FHost.FReport, refused);
    EXPECT_TRUE(FSys.FLinks.empty());

    FSys.FElevatedRuns.clear();
    FWizard.EdiFolderChange("Q:\\Tools\\Orvane");  // no such drive: rights do not help
    FWizard.RunWork();
    EXPECT_TRUE(FSys.FElevatedRuns.empty());

    TFakeInstallSystem sys;  // the elevated run itself places only the executable
    sys.AddFile(sys.FOwnExe, "new");
    EXPECT_EQ(RunElevatedInstall(sys, "C:\\Program Files\\Kestrova\\Orvane"), 0u);
    EXPECT_EQ(sys.FFiles.at("C:\\Program Files\\Kestrova\\Orvane\\Orvane.exe"), "new");
    EXPECT_TRUE(sys.FLinks.empty());
    EXPECT_NE(RunElevatedInstall(sys, "Kestrova\\Orvane"), 0u);
}

namespace {

struct TUninstallFixture : ::testing::Test {
    TFakeInstallSystem FSys;
    TFakeProcesses FProcs;
    TFakeHost FHost;
    TFrmUninstall FWizard{FHost, FSys, FProcs};
    const std::string FExe = "C:\\Apps\\Orvane\\Orvane.exe";

    void SetUp() override
    {
        FSys.FOwnExe = FExe;
        FSys.AddFile(FExe, "prog");
        FSys.AddFolder("C:\\Temp");
        FSys.FSpecial = {{SysFolderPrograms, "C:\\Menu"}, {SysFolderDesktop, "C:\\Desk"}};
        FSys.AddLink("C:\\Menu\\Orvane\\Uninstall.lnk", FExe);
        FSys.AddLink("C:\\Desk\\Orvane.lnk", "c:\\apps\\ORVANE\\orvane.exe");
        FSys.AddLink("C:\\Desk\\Other.lnk", "C:\\Apps\\Orvane\\Other.exe");
    }
};

}  // namespace

TEST_F(TUninstallFixture, FirstStageRemovesShortcutsAndStartsTheCopyOrSaysWhyNot)
{
    FWizard.Shown();
    EXPECT_EQ(FHost.Buttons(), "-NC");
    FWizard.ButNextClick();
    EXPECT_EQ(FHost.Buttons(), "---");
    ASSERT_EQ(FHost.FPostedWork, 1);
    FWizard.RunWork();
    EXPECT_EQ(FHost.FVisible, 2);
    EXPECT_EQ(FHost.Buttons(), "-N-");
    EXPECT_EQ(FHost.FNextCaption, "Finish");
    EXPECT_EQ(FHost.FReport, UninstalledText);
    EXPECT_FALSE(FSys.FFolders.count("C:\\Menu\\Orvane"));
    EXPECT_FALSE(FSys.FFiles.count("C:\\Desk\\Orvane.lnk"));
    EXPECT_TRUE(FSys.FFiles.count("C:\\Desk\\Other.lnk"));
    EXPECT_EQ(FSys.FFiles.at("C:\\Temp\\kvu1A.tmp"), "prog");
    EXPECT_EQ(FProcs.FStarted,
              "\"C:\\Temp\\kvu1A.tmp\" /uninstallsec 1234 \"C:\\Apps\\Orvane\\Orvane.exe\"");

    // A copy that cannot start, or be made, is reported, not success.
    FProcs.FStartError = 2;
    FWizard.RunWork();
    EXPECT_EQ(FHost.FReport, "error 2");
    EXPECT_FALSE(FSys.FFiles.count("C:\\Temp\\kvu1A.tmp"));
    FProcs.FStartError = 0;
    FProcs.FTempError = 5;
    FWizard.RunWork();
    EXPECT_EQ(FHost.FReport, "error 5");
}

TEST_F(TUninstallFixture, SecondStage)
{
    FSys.AddFile("C:\\Apps\\Orvane\\notes.txt");
    UninstallSecondStage(FSys, FProcs, "12x", FExe);
    EXPECT_EQ(FProcs.FWaited, 0u);
    EXPECT_TRUE(FSys.FFiles.count(FExe));
    UninstallSecondStage(FSys, FProcs, "77", FExe);
    EXPECT_EQ(FProcs.FWaited, 77u);
    EXPECT_FALSE(FSys.FFiles.count(FExe));
    EXPECT_TRUE(FSys.FFolders.count("C:\\Apps\\Orvane"));  // holds a foreign file
    FSys.RemoveFile("C:\\Apps\\Orvane\\notes.txt");
    UninstallSecondStage(FSys, FProcs, "77", FExe);
    EXPECT_FALSE(FSys.FFolders.count("C:\\Apps\\Orvane"));
}

// An executable in a root (or named without one) takes no folder with it.
TEST_F(TUninstallFixture, SecondStageNeverRemovesARootOrARelativeFolder)
{
    const std::set<std::string> folders = {"C:", "\\\\srv\\share"};
    for (const char* exe : {"C:\\Orvane.exe", "C:Orvane.exe", "\\\\srv\\share\\Orvane.exe"}) {
        FSys.FFolders = folders;
        FSys.FFiles[exe] = "prog";
        UninstallSecondStage(FSys, FProcs, "77", exe);
        EXPECT_FALSE(FSys.FFiles.count(exe)) << exe;
        EXPECT_EQ(FSys.FFolders, folders) << exe;
    }
}

TEST(InstallBackground, BandsAndColours)
{
    // 768 / 512 = 1.5 per band: edges 1.5, 3, 4.5 round to 2, 3, 4 (ties to even).
    TKvRgb top{0, 84, 227}, bottom{212, 208, 200};
    auto bands = InstallBackgroundBands(768, top, bottom);
    ASSERT_EQ(bands.size(), 512u);
    EXPECT_EQ(bands[0].FTop, 0);
    EXPECT_EQ(bands[0].FBottom, 2);
    EXPECT_EQ(bands[1].FBottom, 3);
    EXPECT_EQ(bands[2].FBottom, 4);
    EXPECT_EQ(bands[3].FBottom, 6);
    EXPECT_EQ(bands[511].FBottom, 768);
    for (std::size_t i = 1; i < bands.size(); ++i)
        ASSERT_EQ(bands[i].FTop, bands[i - 1].FBottom);
    EXPECT_EQ(bands[0].FColour, top);
    EXPECT_EQ(bands[511].FColour, bottom);
    // Mixed in linear light, the middle is brighter than the plain RGB mean.
    TKvRgb mid = MixColours({0, 0, 0}, {255, 255, 255}, 255);
    EXPECT_EQ(mid.R, mid.G);
    EXPECT_GT(mid.R, 180);
    EXPECT_EQ(InstallBannerText(), "Kestrova  Orvane 2.00");
}
