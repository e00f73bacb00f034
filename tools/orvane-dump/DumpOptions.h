// The command line of orvane-dump.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tiff/TagDump.h"
#include "tiff/ValueLimits.h"

struct TDumpOptions {
    std::string Path;
    std::optional<std::uint32_t> Page;  // 1-based
    std::uint32_t Limit = DumpValueLimit;
    bool LimitGiven = false;
    std::optional<std::string> HexTag;
    bool Tree = false;
    bool ValuesAll = false;
    bool Json = false;
    bool Check = false;
    bool Help = false;

    // The value text limit of the full texts: none with --values all unless
    // --limit was given.
    std::optional<std::uint32_t> FullLimit() const
    {
        if (ValuesAll && !LimitGiven)
            return std::nullopt;
        return Limit;
    }
};

// Returns false with a message in error on wrong usage.
bool ParseDumpArgs(const std::vector<std::string>& args, TDumpOptions& options, std::string& error);
