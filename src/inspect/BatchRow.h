// One row per file of a batch check (orvane-dump --check on many files):
// the findings a thread's checker hands over, kept until the row is
// written, and the row as a JSON line or as CSV.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "inspect/CheckReport.h"
#include "inspect/StructureCheck.h"

enum class TVerdict : std::uint8_t { Clean, Warnings, Errors, Unreadable, NotTiff };
inline constexpr std::size_t VerdictCount = 5;

// "clean", "warnings", "errors", "unreadable", "not-tiff".
const char* VerdictName(TVerdict verdict);

// The findings of the file at hand, and the rules met in every file so far.
class TBatchFindings final : public IFindingSink {
public:
    explicit TBatchFindings(const TCheckOptions& options) : Options(options) {}

    bool Wants(TRuleId rule) const override
    {
        return !Options.Ignored[static_cast<std::size_t>(rule)];
    }
    void Begin(const std::string& path) override;
    void Add(const TFinding& finding) override;
    int Finish() override;

    // Empty for the next file; a file that had very many findings gives
    // its memory back.
    void Clear();
    TVerdict Verdict(const TCheckedFile& file) const;
    std::uint64_t Count(TSeverity severity) const
    {
        return Counts[static_cast<std::size_t>(severity)];
    }
    const std::vector<TFinding>& List() const { return Findings; }
    // How many findings each rule had, over every file since construction.
    const std::array<std::uint64_t, 64>& RuleTotals() const { return Totals; }

private:
    const TCheckOptions& Options;
    std::vector<TFinding> Findings;
    std::uint64_t Counts[3] = {};
    std::array<std::uint64_t, 64> Totals{};
};

// The row of a file as one line of JSON (with its line end): path, size,
// byte_order, bigtiff, pages, verdict, the counts, reason and findings.
void AppendJsonRow(std::string& row, const std::string& path, const TCheckedFile& file,
                   const TBatchFindings& findings);

// The row as one CSV record (with its line end): path, verdict, the counts
// by severity, the first error's rule and message (the reason for files not
// checked); fields quoted as RFC 4180 has them.
void AppendCsvRow(std::string& row, const std::string& path, const TCheckedFile& file,
                  const TBatchFindings& findings);

// The first line of a CSV output.
extern const char* const CsvHeader;
