#include "io/win32/WideCalls.h"
#include "update/FUpdateThread.h"

bool CreateUpdateTempFile(const std::string& folder, const char* prefix, std::string& path)
{
    const std::string inFolder = folder.empty() ? TempFolderPath() : folder;
    return !inFolder.empty() && CreateUniqueTempFile(inFolder, prefix, path) == 0;
}
