// The Win32 side of TSysFile, for Windows-only code that needs the handle.
#pragma once

#include <windows.h>

#include "io/SysFile.h"

// The system handle of a file opened by TSysFile::Open in this build.
HANDLE SysFileHandle(TSysFile& file);
