#include <gtest/gtest.h>

#include "shelldlg/KvFileDialogModel.h"

namespace {

TFileOkName Named(const std::string& spec, const std::string& chosen)
{
    TFileOkName name;
    EXPECT_TRUE(FileOkName(spec, chosen, name)) << spec;
    return name;
}

}  // namespace

// What is resolved is the file the dialog settled on, not the raw text of the
// name field.
TEST(FileDialogModel, ResolvesTheFileTheDialogChose)
{
    TFileOkName selected = Named("scan.tif", "C:\\pics\\scan.tif");
    EXPECT_EQ(selected.Name, "scan.tif");
    EXPECT_TRUE(selected.WithinFolder);

    TFileOkName typedWithoutExtension = Named("scan", "C:\\pics\\scan.tif");
    EXPECT_EQ(typedWithoutExtension.Name, "scan.tif");
    EXPECT_TRUE(typedWithoutExtension.WithinFolder);

    for (const char* typed : {"D:\\other\\x", "sub\\x.tif", "..\\x.tif", "\\\\srv\\share\\x.tif"}) {
        TFileOkName elsewhere = Named(typed, "E:\\resolved\\x.tif");
        EXPECT_EQ(elsewhere.Name, "E:\\resolved\\x.tif") << typed;
        EXPECT_FALSE(elsewhere.WithinFolder) << typed;
    }

    TFileOkName noResult = Named("scan.tif", "");
    EXPECT_EQ(noResult.Name, "scan.tif");
    EXPECT_TRUE(noResult.WithinFolder);
}

TEST(FileDialogModel, NoNameIsTheNameStepFailing)
{
    TFileOkName name;
    EXPECT_FALSE(FileOkName("", "C:\\pics\\scan.tif", name));
    EXPECT_FALSE(FileOkName("scan", "C:\\pics\\", name));
    EXPECT_STREQ(FileOkFailureText(TFileOkStep::Name), "KvDialogs 828:53");
}
