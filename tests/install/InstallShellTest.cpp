#include <gtest/gtest.h>

#include "FakeInstallSystem.h"

namespace {

struct TResult {
    std::uint32_t Code = 0;
    std::string Text;
};

TResult Create(TFakeInstallSystem& sys, const std::string& path)
{
    TResult r;
    CreateDirectories(sys, path, r.Code, r.Text);
    return r;
}

}  // namespace

TEST(InstallShell, CreateDirectoriesWalksTheBackslashesOfAbsoluteFolders)
{
    TFakeInstallSystem sys;
    EXPECT_EQ(Create(sys, "C:\\One\\Two").Code, 0u);
    EXPECT_TRUE(sys.FFolders.count("C:\\One"));
    EXPECT_FALSE(sys.FFolders.count("C:\\One\\Two"));
    EXPECT_EQ(Create(sys, "C:\\One\\Two\\").Code, 0u);  // the first level exists already
    EXPECT_TRUE(sys.FFolders.count("C:\\One\\Two"));
    EXPECT_EQ(Create(sys, "C:\\").Code, 0u);

    TResult r = Create(sys, "Q:\\Tools\\Orvane\\");
    EXPECT_EQ(r.Code, 2u);
    EXPECT_EQ(r.Text, "Failed to create directory 'Q:\\Tools'");
    sys.FDenied.insert("C:\\One\\Two\\Three");
    r = Create(sys, "C:\\One\\Two\\Three\\Four\\");
    EXPECT_EQ(r.Text, "Failed to create directory 'C:\\One\\Two\\Three'");
    EXPECT_FALSE(sys.FFolders.count("C:\\One\\Two\\Three\\Four"));

    EXPECT_TRUE(IsAbsoluteFolder("C:\\Programs"));
    EXPECT_TRUE(IsAbsoluteFolder("\\\\server\\share\\x"));
    EXPECT_FALSE(IsAbsoluteFolder("Programs\\Orvane"));
    EXPECT_FALSE(IsAbsoluteFolder("C:Programs"));
    EXPECT_FALSE(IsAbsoluteFolder("\\Programs"));
    EXPECT_EQ(FolderOf("C:\\P\\Orvane.exe"), "C:\\P\\");
    EXPECT_EQ(FolderOf("C:Orvane.exe"), "C:");

    for (const char* root :
         {"C:\\", "c:", "C:\\\\", "D:/", "C:\\.", "C:\\Apps\\..", "C:\\..\\..", "\\\\server\\share",
          "\\\\server\\share\\", "\\\\server", "\\\\server\\share\\x\\..\\"})
        EXPECT_TRUE(IsRootFolder(root)) << root;
    for (const char* folder : {"C:\\Apps", "C:\\Apps\\.", "C:\\..\\Apps", "\\\\server\\share\\Apps",
                               "C:Apps", "Apps", ""})
        EXPECT_FALSE(IsRootFolder(folder)) << folder;
}

TEST(InstallShell, LocateFolderAndShortcutFailures)
{
    TFakeInstallSystem sys;
    std::string path = "unchanged";
    std::uint32_t code = 0;
    std::string text;
    LocateSystemFolder(sys, SysFolderPrograms, path, code, text);
    EXPECT_EQ(code, 2u);
    EXPECT_EQ(text, "Failed to locate a system folder");
    EXPECT_EQ(path, "unchanged");
    sys.FSpecial[SysFolderPrograms] = "C:\\Menu\\Programs\\";
    code = 0;
    LocateSystemFolder(sys, SysFolderPrograms, path, code, text);
    EXPECT_EQ(path, "C:\\Menu\\Programs");

    // The links the installer writes are checked in its own test; here the
    // folder that cannot be made.
    code = 0;
    CreateShortcut(sys, "Q:\\Menu\\Orvane.lnk", "Orvane", "C:\\P\\Orvane.exe", "", code, text);
    EXPECT_EQ(text, "Failed to create directory 'Q:\\Menu'");
}

TEST(InstallShell, RemoveShortcutsToKeepsWhatIsNotOurs)
{
    TFakeInstallSystem sys;
    const std::string exe = "C:\\Programs\\Orvane.exe";
    const std::string menu = "C:\\Menu";
    sys.AddLink(menu + "\\Orvane\\Orvane.lnk", exe);
    sys.AddLink(menu + "\\Orvane\\Manual.LNK", "c:\\PROGRAMS\\orvane.exe");  // letter case
    sys.AddLink(menu + "\\A\\B\\C\\Deep.lnk", exe);        // three levels down: removed
    sys.AddLink(menu + "\\A\\B\\C\\D\\TooDeep.lnk", exe);  // out of depth 4's reach
    sys.AddLink(menu + "\\Shared\\Other.lnk", "C:\\Programs\\Other.exe");  // same folder
    sys.AddLink(menu + "\\Broken\\Bad.lnk", exe, true);  // damaged: kept, walk goes on
    sys.AddLink(menu + "\\Broken\\Good.lnk", exe);
    sys.AddLink(menu + "\\Mixed\\Orvane.lnk", exe);
    sys.AddFile(menu + "\\Mixed\\readme.txt");
    sys.AddFile(menu + "\\Four\\.lnk");  // never examined
    sys.AddFolder(menu + "\\Empty");

    EXPECT_FALSE(RemoveShortcutsTo(sys, menu, 4, exe));
    EXPECT_FALSE(sys.FFolders.count(menu + "\\Orvane"));
    EXPECT_TRUE(sys.FFiles.count(menu + "\\A\\B\\C\\D\\TooDeep.lnk"));
    EXPECT_FALSE(sys.FFiles.count(menu + "\\A\\B\\C\\Deep.lnk"));
    EXPECT_TRUE(sys.FFolders.count(menu + "\\A\\B\\C"));  // still holds D
    EXPECT_TRUE(sys.FFiles.count(menu + "\\Shared\\Other.lnk"));
    EXPECT_TRUE(sys.FFiles.count(menu + "\\Broken\\Bad.lnk"));
    EXPECT_FALSE(sys.FFiles.count(menu + "\\Broken\\Good.lnk"));
    EXPECT_TRUE(sys.FFiles.count(menu + "\\Mixed\\readme.txt"));
    EXPECT_FALSE(sys.FFiles.count(menu + "\\Mixed\\Orvane.lnk"));
    EXPECT_TRUE(sys.FFiles.count(menu + "\\Four\\.lnk"));
    EXPECT_TRUE(sys.FFolders.count(menu + "\\Empty"));  // no files: kept

    // Depth 1 looks at the folder itself only; all its files ours: true.
    sys.AddLink("C:\\Desk\\Orvane.lnk", exe);
    sys.AddLink("C:\\Desk\\Sub\\Orvane.lnk", exe);
    EXPECT_TRUE(RemoveShortcutsTo(sys, "C:\\Desk", 1, exe));
    EXPECT_TRUE(sys.FFiles.count("C:\\Desk\\Sub\\Orvane.lnk"));
}
