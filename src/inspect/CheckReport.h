// Where the findings of the conformance check go: plain lines or JSON
// objects, written as they are found, with the rules the user left out
// dropped and the severities counted for the exit code.
#pragma once

#include <bitset>
#include <cstdint>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "inspect/CheckRules.h"

class TKvJsonWriter;

struct TCheckOptions {
    bool Json = false;
    bool Strict = false;  // warnings count like errors for the exit code
    std::bitset<64> Ignored;
};

struct TFinding {
    TRuleId Rule = TRuleId::Overlap;
    std::uint64_t Offset = 0;
    std::string Where;                 // "page 1 > EXIF directory"
    std::optional<std::uint16_t> Tag;  // the entry, when the finding is about one
    std::string Message;
};

// Sets the rules named in a comma-separated list as ignored; false with the
// unknown name in error.
bool ParseIgnoredRules(const std::string& list, TCheckOptions& options, std::string& error);

class TFindingReport {
public:
    TFindingReport(const TCheckOptions& options, std::ostream& out);
    ~TFindingReport();
    TFindingReport(const TFindingReport&) = delete;
    TFindingReport& operator=(const TFindingReport&) = delete;

    bool Wants(TRuleId rule) const { return !Options.Ignored[static_cast<std::size_t>(rule)]; }
    void Begin(const std::string& path);
    void Add(const TFinding& finding);
    // Writes the count (or closes the document); 1 when an error (or with
    // Strict a warning) was found, else 0.
    int Finish();

private:
    void WriteLine(const TFinding& finding, const TRule& rule);
    void WriteObject(const TFinding& finding, const TRule& rule);

    const TCheckOptions& Options;
    std::ostream& Out;
    std::unique_ptr<TKvJsonWriter> Json;
    std::uint64_t Counts[3] = {};  // by severity
};

// --rules: one paragraph per rule.
void WriteRuleList(std::ostream& out);
