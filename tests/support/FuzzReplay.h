// Replays the inputs a fuzz target keeps in the source tree (its seed corpus
// and the crash inputs saved under regressions/) through the target's own
// exercise code, so every test run covers them.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

// Receives one input: its path (for messages) and its bytes.
using TFuzzInputRun =
    std::function<void(const std::filesystem::path& path, const std::string& bytes)>;

// Runs every regular file of the folder that is not hidden (".keep" only
// keeps an empty folder in git), in name order; returns how many ran. A
// missing folder runs none.
int ReplayFuzzFolder(const std::filesystem::path& folder, const TFuzzInputRun& run);

// fuzz/<target>/corpus and fuzz/<target>/regressions of the source tree.
int ReplayFuzzInputs(const std::string& target, const TFuzzInputRun& run);
