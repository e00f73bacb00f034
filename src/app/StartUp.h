// The role of this start, chosen by the first argument.
#pragma once

#include <string>

#include "product/OrvaneProduct.h"
#include "product/OrvaneRoles.h"

// Exact, case-sensitive comparison: anything else is a file name.
TOrvaneRole RoleOfArgument(const std::string& argument);

inline constexpr const char* InitialCaption = "Kestrova  Orvane";
