// Process-wide start-up of the socket library. On Windows this starts Windows
// Sockets 2.2 once and keeps it until UnloadWinsock at process end; elsewhere
// only the loaded flag is kept, so callers run the same steps everywhere.
#pragma once

#include <string>

#include "io/SysErr.h"

void LoadWinsock(TErrCode& errCode, std::string& errText);
// For callers without an error pair: raises EKvInternal with the failure text.
void LoadWinsockRaising();
void UnloadWinsock();
bool WinsockLoaded();
