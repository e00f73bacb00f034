#include "install/InstallShell.h"

#include <algorithm>
#include <cctype>

namespace {

const char* const ShortcutFailedText = "Failed to create shortcut";

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool IsLinkFileName(const std::string& name)
{
    return name.size() > 4 && SameTextAscii(name.substr(name.size() - 4), ".lnk");
}

}  // namespace

bool SameTextAscii(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

bool IsAbsoluteFolder(const std::string& path)
{
    bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                 path[1] == ':' && path[2] == '\\';
    bool share = path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '\\';
    return drive || share;
}

bool IsRootFolder(const std::string& path)
{
    std::size_t at = 0;
    int rootSteps = 0;  // the share's server and name are part of its root
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        at = 2;
    else if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        rootSteps = 2;
    else
        return false;
    int depth = 0;
    while (at <= path.size()) {
        std::size_t end = path.find_first_of("\\/", at);
        if (end == std::string::npos)
            end = path.size();
        const std::string step = path.substr(at, end - at);
        if (step == "..")
            depth = std::max(depth - 1, rootSteps);
        else if (!step.empty() && step != ".")
            ++depth;
        at = end + 1;
    }
    return depth <= rootSteps;
}

std::string FolderOf(const std::string& path)
{
    std::size_t last = path.find_last_of("\\:");
    return last == std::string::npos ? std::string() : path.substr(0, last + 1);
}

void LocateSystemFolder(TKvInstallSystem& sys, int folder, std::string& path,
                        std::uint32_t& errCode, std::string& errText)
{
    std::string found;
    if (!sys.SpecialFolderPath(folder, found)) {
        errCode = 2;
        errText = "Failed to locate a system folder";
        return;
    }
    while (!found.empty() && found.back() == '\\')
        found.pop_back();
    if (!found.empty())
        path = found;
}

void CreateDirectories(TKvInstallSystem& sys, const std::string& path, std::uint32_t& errCode,
                       std::string& errText)
{
    std::string failed;
    if (CreateFolders(sys, path, failed) != 0) {
        errCode = 2;
        errText = "Failed to create directory '" + failed + "'";
    }
}

std::uint32_t CreateFolders(TKvInstallSystem& sys, const std::string& path, std::string& failed)
{
    std::size_t first = path.find('\\');
    if (first == std::string::npos)
        return 0;
    // A share's server and share name are no folders to create.
    std::size_t start = first + 1;
    if (path.compare(0, 2, "\\\\") == 0) {
        std::size_t server = path.find('\\', 2);
        std::size_t share = server == std::string::npos ? server : path.find('\\', server + 1);
        if (share == std::string::npos)
            return 0;
        start = share + 1;
    }
    for (std::size_t i = path.find('\\', start); i != std::string::npos;
         i = path.find('\\', i + 1)) {
        std::string folder = path.substr(0, i);
        std::uint32_t code = sys.CreateFolder(folder);
        if (code != 0 && code != ErrorAlreadyExists) {
            failed = folder;
            return code;
        }
    }
    return 0;
}

void CreateShortcut(TKvInstallSystem& sys, const std::string& linkFile,
                    const std::string& description, const std::string& target,
                    const std::string& arguments, std::uint32_t& errCode, std::string& errText)
{
    CreateDirectories(sys, FolderOf(linkFile), errCode, errText);
    if (errCode != 0)
        return;
    if (!sys.SaveShortcut(linkFile, description, target, arguments)) {
        errCode = 2;
        errText = ShortcutFailedText;
    }
}

void CreateShortcut(TKvInstallSystem& sys, const std::string& linkFile,
                    const std::string& description, const std::string& target,
                    const std::string& arguments)
{
    std::uint32_t errCode = 0;
    std::string errText;
    CreateShortcut(sys, linkFile, description, target, arguments, errCode, errText);
}

bool RemoveShortcutsTo(TKvInstallSystem& sys, const std::string& folder, int depth,
                       const std::string& targetFile)
{
    std::vector<TKvFolderEntry> entries = sys.ListFolder(folder);
    if (depth > 1)
        for (const TKvFolderEntry& e : entries)
            if (e.FIsFolder && e.FName != "." && e.FName != ".." &&
                RemoveShortcutsTo(sys, folder + "\\" + e.FName, depth - 1, targetFile))
                sys.RemoveFolder(folder + "\\" + e.FName);
    std::unique_ptr<TKvShortcutReader> reader;
    int counted = 0, deleted = 0;
    for (const TKvFolderEntry& e : entries) {
        if (e.FIsFolder)
            continue;
        ++counted;
        if (!IsLinkFileName(e.FName))
            continue;
        if (!reader)
            reader = sys.CreateShortcutReader();
        std::string linkFile = folder + "\\" + e.FName, target;
        // Only the installed executable itself: a shared folder keeps the
        // shortcuts of its other programs, and a damaged link is someone
        // else's file.
        if (reader->ReadTarget(linkFile, target) && SameTextAscii(target, targetFile) &&
            sys.RemoveFile(linkFile))
            ++deleted;
    }
    return counted > 0 && counted == deleted;
}
