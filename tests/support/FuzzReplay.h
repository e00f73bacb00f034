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

// Runs every regular file that is not hidden (".keep" only keeps an empty
// folder in git) of fuzz/<target>/corpus, then of fuzz/<target>/regressions
// of the source tree, each folder in name order; returns how many ran. A
// missing folder runs none.
int ReplayFuzzInputs(const std::string& target, const TFuzzInputRun& run);
