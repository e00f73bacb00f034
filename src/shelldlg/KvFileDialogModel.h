// What the file open dialog's hook does when the user confirms a name,
// without a window system: which name is resolved to the chosen file's item
// identifier, and where.
#pragma once

#include <string>

// The steps of the confirmation that can fail, each with its own
// unit-and-position text.
enum class TFileOkStep { FolderId, Name, Resolution };

const char* FileOkFailureText(TFileOkStep step);

struct TFileOkName {
    std::string Name;
    // Within the dialog's current folder; otherwise Name is a full path,
    // resolved from the desktop.
    bool WithinFolder = true;
};

// typedName: the name as the dialog's name field holds it, typed or selected.
// chosenPath: the full path the dialog settled on, with the default
// extension it appended to a name typed without one (empty when the dialog
// did not hand one over). False when there is no name to resolve.
bool FileOkName(const std::string& typedName, const std::string& chosenPath, TFileOkName& name);
