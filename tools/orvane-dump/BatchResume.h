// --resume: the rows an interrupted run left in its output file.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "inspect/BatchRow.h"

struct TEarlierRows {
    std::unordered_set<std::string> Done;  // the paths of complete rows, as rows write them
    std::array<std::uint64_t, VerdictCount> Verdicts{};  // of those rows, for the exit code
    bool Empty = true;                                   // the file holds nothing (after the trim)
};

// Reads the rows of the file (JSON lines, or CSV with its header line) and
// cuts off a last row that has no line end: the run that wrote it was
// stopped part way. A missing file is an empty one. False with the reason
// when it cannot be read or cut.
bool LoadEarlierRows(const std::string& path, bool csv, TEarlierRows& rows, std::string& error);

// The path of a row, as written; false for a line that is no row.
bool JsonRowPath(std::string_view line, std::string& path);
bool CsvRowPath(std::string_view record, std::string& path);
// The verdict of a row; false for a line that is no row.
bool RowVerdict(std::string_view record, bool csv, TVerdict& verdict);
