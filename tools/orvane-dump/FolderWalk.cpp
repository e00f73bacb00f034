#include "BatchPlatform.h"

TFolderWalk::TFolderWalk(const std::string& root) : Levels(MakeFolderLevels())
{
    if (!Levels->Enter(root))
        Unlisted = root;
}

TFolderWalk::~TFolderWalk()
{
    while (!Levels->Empty())
        Levels->Leave();
}

bool TFolderWalk::Next(std::string& path)
{
    while (true) {
        if (!Unlisted.empty()) {
            path = std::move(Unlisted);
            Unlisted.clear();
            return true;
        }
        if (Levels->Empty())
            return false;
        IFolderLevels::TEntryKind kind = IFolderLevels::TEntryKind::Other;
        if (!Levels->NextEntry(path, kind)) {
            Levels->Leave();
            continue;
        }
        if (kind == IFolderLevels::TEntryKind::File)
            return true;
        if (kind == IFolderLevels::TEntryKind::Folder && !Levels->Enter(path))
            Unlisted = path;
    }
}
