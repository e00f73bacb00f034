#include "shelldlg/KvShellPath.h"

namespace {

constexpr std::size_t ShellPathLimit = 260;  // MAX_PATH

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The length the shell sees: UTF-16 units of a UTF-8 text (a four-byte
// sequence is two units, continuation bytes none).
std::size_t WideLength(const std::string& path)
{
    std::size_t units = 0;
    for (char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) == 0x80 ? 0 : byte >= 0xF0 ? 2 : 1;
    }
    return units;
}

}  // namespace

bool ShellCanParse(const std::string& path)
{
    if (WideLength(path) >= ShellPathLimit || path.find('/') != std::string::npos)
        return false;
    if (path.size() >= 3 && IsLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return true;
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' &&
           path[2] != '.' && path[2] != '\\';
}
