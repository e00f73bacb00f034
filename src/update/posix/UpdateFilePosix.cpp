#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "update/FUpdateThread.h"

bool CreateUpdateTempFile(const std::string& folder, const char* prefix, std::string& path)
{
    std::error_code error;
    std::filesystem::path where = folder;
    if (folder.empty())
        where = std::filesystem::temp_directory_path(error);
    if (error)
        return false;
    std::string pattern = (where / prefix).string() + "XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0)
        return false;
    close(fd);
    path = pattern;
    return true;
}
