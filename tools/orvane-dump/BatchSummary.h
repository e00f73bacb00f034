// The lines a batch check writes on standard error: a progress line while
// it runs (on a terminal) and the summary at its end.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

#include "inspect/BatchRow.h"

struct TBatchTotals {
    std::array<std::uint64_t, VerdictCount> Verdicts{};
    std::array<std::uint64_t, 64> Rules{};  // findings by rule id
    std::uint64_t BytesRead = 0;
    std::uint64_t BytesInFiles = 0;
    double Seconds = 0;

    std::uint64_t Files() const;
};

// files: N (clean N, warnings N, errors N, unreadable N, not-tiff N)
// rules: ID N, ... (the ten most frequent; "none" without findings)
// time: S s, N files/s, X MB read of Y MB, Z MB/s
void WriteBatchSummary(std::ostream& err, const TBatchTotals& totals);

// One line rewritten in place, at most four times a second.
class TProgressLine {
public:
    explicit TProgressLine(std::ostream& err);

    // done files of total (0 while the walk still finds more).
    void Show(std::uint64_t done, std::uint64_t total);
    // Clears the line before the summary.
    void End();

private:
    using TClock = std::chrono::steady_clock;
    std::ostream& Err;
    TClock::time_point Start = TClock::now();
    TClock::time_point Last{};
    std::size_t Width = 0;
};
