// The roles one executable plays, chosen by its first argument.
#pragma once

#include <string>

#include "product/OrvaneProduct.h"

enum TOrvaneRole : int { orViewer, orInstall, orUninstall, orUninstallSec, orUpdate, orManual };

// Exact, case-sensitive comparison: anything else is a file name.
TOrvaneRole RoleOfArgument(const std::string& argument);

inline constexpr const char* InitialCaption = "Kestrova  Orvane";
