// Reference walks of a page chain the reader is compared with, and the
// process's memory figures. Platform code lives in posix/.
#pragma once

#include <cstdint>
#include <string>

// Counts the directories of the chain through a memory map of the file.
std::uint32_t CountPagesMapped(const std::string& path);
// Counts them with one positioned read per directory.
std::uint32_t CountPagesPread(const std::string& path);

// The current and peak resident sizes of the process in bytes.
std::uint64_t CurrentMemory();
std::uint64_t PeakMemory();
