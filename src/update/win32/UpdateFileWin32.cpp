#include <windows.h>

#include "update/FUpdateThread.h"

bool CreateUpdateTempFile(const std::string& folder, const char* prefix, std::string& path)
{
    char temp[MAX_PATH + 1];
    DWORD length = GetTempPathA(MAX_PATH, temp);
    if (folder.empty() && (length == 0 || length > MAX_PATH))
        return false;
    char name[MAX_PATH];
    if (GetTempFileNameA(folder.empty() ? temp : folder.c_str(), prefix, 0, name) == 0)
        return false;
    path = name;
    return true;
}
