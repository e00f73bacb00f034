// Running this program's next step with more rights: on systems with user
// account control a standard user's writes under the folder of installed
// programs are refused, and an elevated run of the same executable can do
// them.
#pragma once

#include <cstdint>
#include <string>

// True when the process runs with the limited token of a user who may be
// raised; elsewhere the prompt would ask for rights that cannot be had.
bool SysCanElevate();

// Runs this executable with arguments through the "runas" verb and waits for
// it: its exit code, or the system's code when it did not start (the user
// refused, say).
std::uint32_t SysRunElevated(const std::string& arguments);
