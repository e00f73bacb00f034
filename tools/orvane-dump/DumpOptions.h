// The command line of orvane-dump.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "inspect/CheckReport.h"
#include "inspect/TextOptions.h"

// --limit, --tree and --values all shape the text as TTextOptions.
struct TDumpOptions : TTextOptions {
    std::string Path;
    std::optional<std::uint32_t> Page;  // 1-based
    std::optional<std::string> HexTag;
    std::optional<std::string> DecodeTag;
    std::optional<std::string> ExtractTag;
    std::string ExtractPath;  // the second file name of --extract
    bool Json = false;
    bool Check = false;
    bool Map = false;
    TCheckOptions CheckOptions;  // --strict and --ignore; --json with --check
    bool IgnoreGiven = false;
    bool Rules = false;
    bool Help = false;
};

// Returns false with a message in error on wrong usage.
bool ParseDumpArgs(const std::vector<std::string>& args, TDumpOptions& options, std::string& error);
