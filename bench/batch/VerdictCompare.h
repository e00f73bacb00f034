// Every row of a batch check against the verdict the single-file check
// gives the same file: a checker reused from file to file must carry
// nothing from one to the next.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TVerdictComparison {
    std::uint64_t Rows = 0;
    std::uint64_t Differing = 0;
    std::vector<std::string> Examples;  // the first few that differ
};

TVerdictComparison CompareVerdicts(const std::filesystem::path& rows);
