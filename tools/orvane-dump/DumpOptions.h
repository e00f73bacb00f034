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
    std::vector<std::string> MorePaths;  // --check: the paths after the first
    std::optional<std::uint32_t> Page;   // 1-based
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
    // A check of many files: --format, --jobs, --output, --resume.
    std::optional<std::string> Format;
    std::optional<std::uint32_t> Jobs;
    std::string Output;
    bool Resume = false;
    bool Help = false;
};

// Returns false with a message in error on wrong usage.
bool ParseDumpArgs(const std::vector<std::string>& args, TDumpOptions& options, std::string& error);

// --check on many files: several paths, a folder, "-" or a batch option.
bool IsBatchCheck(const TDumpOptions& options);
