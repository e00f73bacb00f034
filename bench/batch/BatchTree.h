// The archive the batch benchmark checks: small and multi-page files,
// classic and BigTIFF, both byte orders, clean ones and damaged ones, and
// the sidecar files archives hold beside them, in nested leaf folders.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct TBatchTree {
    std::vector<std::filesystem::path> Leaves;  // the folders that hold files
    std::uint64_t Files = 0;                    // sidecars included
    std::uint64_t Sidecars = 0;
    std::uint64_t Bytes = 0;
};

// Writes about `files` files under root (sidecars on top), 50 to a leaf
// folder, two folder levels deep.
TBatchTree WriteBatchTree(const std::filesystem::path& root, std::uint64_t files);
