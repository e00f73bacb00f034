// The receiving end of an auto-update, run by the downloaded copy as
// "/update handle path": it waits for the old program to end, copies itself
// over the old executable and starts it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Argument 2 as a handle value; anything but a plain decimal number is 0.
std::uint64_t HandOverHandleValue(const std::string& text);

// arguments[0] is this executable, [1] "/update", [2] the handle, [3] the
// old executable's path.
void RunUpdateHandOver(const std::vector<std::string>& arguments);
