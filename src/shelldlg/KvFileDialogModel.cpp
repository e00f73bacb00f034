#include "shelldlg/KvFileDialogModel.h"

const char* FileOkFailureText(TFileOkStep step)
{
    switch (step) {
    case TFileOkStep::FolderId: return "KvDialogs 826:53";
    case TFileOkStep::Name: return "KvDialogs 828:53";
    case TFileOkStep::Resolution: return "KvDialogs 830:53";
    }
    return "KvDialogs 830:53";
}

// The name field alone is not the chosen file: a name typed without its
// extension names no file until the dialog appends "tif", and a typed path
// leads out of the current folder. The dialog's own result is both, so its
// file name is resolved within the folder, or its full path from the desktop
// when the typed name carries a path.
bool FileOkName(const std::string& typedName, const std::string& chosenPath, TFileOkName& name)
{
    if (typedName.empty())
        return false;
    bool typedPath = typedName.find_first_of("\\/:") != std::string::npos;
    if (chosenPath.empty()) {
        name = {typedName, !typedPath};
        return true;
    }
    if (typedPath) {
        name = {chosenPath, false};
        return true;
    }
    std::size_t slash = chosenPath.find_last_of("\\/");
    name = {slash == std::string::npos ? chosenPath : chosenPath.substr(slash + 1), true};
    return !name.Name.empty();
}
