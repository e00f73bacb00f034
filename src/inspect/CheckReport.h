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
    // The directory the finding is about, by its file offset (for a broken
    // page chain the one that holds the broken link); 0 for the header and
    // the file as a whole.
    std::uint64_t DirectoryOffset = 0;
};

// Sets the rules named in a comma-separated list as ignored; false with the
// unknown name in error.
bool ParseIgnoredRules(const std::string& list, TCheckOptions& options, std::string& error);

// Where the check's findings go: a report on a stream, or a list a window or
// a batch row keeps.
class IFindingSink {
public:
    virtual ~IFindingSink() = default;
    // False for an ignored rule, so the check can skip composing its text.
    virtual bool Wants(TRuleId rule) const = 0;
    virtual void Begin(const std::string& path) = 0;
    virtual void Add(const TFinding& finding) = 0;
    // The check's exit code: 1 when an error (or with Strict a warning) was
    // found, else 0.
    virtual int Finish() = 0;
};

class TFindingReport final : public IFindingSink {
public:
    TFindingReport(const TCheckOptions& options, std::ostream& out);
    ~TFindingReport() override;
    TFindingReport(const TFindingReport&) = delete;
    TFindingReport& operator=(const TFindingReport&) = delete;

    bool Wants(TRuleId rule) const override
    {
        return !Options.Ignored[static_cast<std::size_t>(rule)];
    }
    void Begin(const std::string& path) override;
    void Add(const TFinding& finding) override;
    // Writes the count (or closes the document).
    int Finish() override;

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
