#include "update/InstallerCheck.h"

#include <string>

#include "product/OrvaneProduct.h"

std::uint32_t DownloadLimit(std::int32_t installerSize)
{
    return installerSize > 0 ? static_cast<std::uint32_t>(installerSize) : UnannouncedDownloadLimit;
}

bool DownloadSizeAccepted(const TDownloadEnd& end)
{
    if (end.FReceived == 0 || end.FReceived > DownloadLimit(end.FInstallerSize))
        return false;
    if (end.FInstallerSize > 0)
        return end.FReceived == static_cast<std::uint32_t>(end.FInstallerSize);
    // A close ends an unframed body whether or not it was all sent.
    return end.FFramed;
}

bool IsProductInstaller(TKvByteSource& bytes)
{
    std::string name;
    return ReadVersionString(bytes, "ProductName", name) && name == ProgramTitle;
}
