// The system error codes that have a text, as the platform's published list
// gives them (message with its final period).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

struct TSysErrorRow {
    std::uint32_t Code;
    const char* Name;
    const char* Message;
};

// Sorted by code.
std::span<const TSysErrorRow> SysErrorRows();
