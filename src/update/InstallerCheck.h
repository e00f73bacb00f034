// When a finished download counts as the installer: a body known to be
// whole, of the announced size, and an executable of this product. Anything
// else (a body cut short, a captive portal's page) must never be started.
#pragma once

#include <cstdint>

#include "update/PeVersion.h"

// Bytes written at most when the size is not announced.
inline constexpr std::uint32_t UnannouncedDownloadLimit = 256u * 1024 * 1024;

// The most bytes worth writing for an announced size (0 or less: unknown).
std::uint32_t DownloadLimit(std::int32_t installerSize);

struct TDownloadEnd {
    // The response gave its length or chunked framing, so a body that ended
    // without failure is whole; otherwise the server's close ended it.
    bool FFramed = false;
    std::uint32_t FReceived = 0;
    std::int32_t FInstallerSize = 0;
};

// Whole, not empty, and of the announced size when there is one.
bool DownloadSizeAccepted(const TDownloadEnd& end);

// An "MZ" executable whose version resource names this program.
bool IsProductInstaller(TKvByteSource& bytes);
