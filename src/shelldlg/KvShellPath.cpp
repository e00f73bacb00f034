#include "shelldlg/KvShellPath.h"

namespace {

constexpr std::size_t ShellPathLimit = 260;  // MAX_PATH

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

}  // namespace

bool ShellCanParse(const std::string& path)
{
    if (path.size() >= ShellPathLimit || path.find('/') != std::string::npos)
        return false;
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' &&
           path[2] != '.' && path[2] != '\\';
}
