// Reference walks of a page chain the reader is compared with, and the
// process's memory figures. Platform code lives in posix/; win32/ offers the
// memory-map walk only.
#pragma once

#include <cstdint>
#include <string>

// The walk over the file's bytes that the memory-map walks share: each
// directory's entry count and next offset and nothing else.
std::uint32_t CountPagesInBytes(const std::uint8_t* bytes, std::uint64_t size);
std::uint32_t ChainValue(const std::uint8_t* p, unsigned size, bool bigEndian);

// Counts the directories of the chain through a memory map of the file.
std::uint32_t CountPagesMapped(const std::string& path);
// Counts them with one positioned read per directory.
std::uint32_t CountPagesPread(const std::string& path);

// The current and peak resident sizes of the process in bytes.
std::uint64_t CurrentMemory();
std::uint64_t PeakMemory();
