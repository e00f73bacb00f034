#include <gtest/gtest.h>

#include "shelldlg/KvFileDialogModel.h"
#include "shelldlg/KvShellPath.h"

// What is resolved is the file the dialog settled on (with the extension it
// appended), not the raw text of the name field.
TEST(FileDialogModel, ResolvesTheFileTheDialogChose)
{
    const struct {
        const char *Typed, *Chosen, *Name;
        bool WithinFolder;
    } cases[] = {
        {"scan.tif", "C:\\pics\\scan.tif", "scan.tif", true},
        {"scan", "C:\\pics\\scan.tif", "scan.tif", true},
        {"D:\\other\\x", "D:\\other\\x.tif", "D:\\other\\x.tif", false},
        {"sub\\x.tif", "C:\\pics\\sub\\x.tif", "C:\\pics\\sub\\x.tif", false},
        {"\\\\srv\\share\\x.tif", "\\\\srv\\share\\x.tif", "\\\\srv\\share\\x.tif", false},
        {"scan.tif", "", "scan.tif", true},
    };
    for (const auto& c : cases) {
        TFileOkName name;
        ASSERT_TRUE(FileOkName(c.Typed, c.Chosen, name)) << c.Typed;
        EXPECT_EQ(name.Name, c.Name) << c.Typed;
        EXPECT_EQ(name.WithinFolder, c.WithinFolder) << c.Typed;
    }
    TFileOkName none;
    EXPECT_FALSE(FileOkName("", "C:\\pics\\scan.tif", none));
    EXPECT_FALSE(FileOkName("scan", "C:\\pics\\", none));
}

// What the shell is never given: the viewer, the folder browser and the
// places bar take these from the user and the registry.
TEST(ShellPath, OnlyFullDriveAndSharePathsReachTheShell)
{
    for (const char* good : {"C:\\", "c:\\Program Files\\Orvane", "\\\\srv\\share\\x"})
        EXPECT_TRUE(ShellCanParse(good)) << good;
    for (const char* bad : {"/tmp/x", "C:/x", "C:\\x/y", "C:x", "x\\y", "\\x", "\\\\?\\C:\\x",
                            "\\\\.\\pipe\\x", "\\\\\\x", ""})
        EXPECT_FALSE(ShellCanParse(bad)) << bad;
    EXPECT_TRUE(ShellCanParse("C:\\" + std::string(255, 'a')));
    EXPECT_FALSE(ShellCanParse("C:\\" + std::string(257, 'a')));
    // The limit is the shell's, in UTF-16 units, not bytes of UTF-8.
    std::string wide = "C:\\";
    for (int i = 0; i < 200; ++i)
        wide += "\xE6\x97\xA5";  // U+65E5, three bytes, one unit
    EXPECT_TRUE(ShellCanParse(wide));
}
