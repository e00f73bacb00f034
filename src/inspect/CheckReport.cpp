#include "inspect/CheckReport.h"

#include "inspect/JsonWriter.h"

bool ParseIgnoredRules(const std::string& list, TCheckOptions& options, std::string& error)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, end - start);
        const TRule* rule = FindCheckRule(name);
        if (!rule) {
            error = "unknown rule: " + name;
            return false;
        }
        options.Ignored.set(static_cast<std::size_t>(rule->Id));
        start = end + 1;
    }
    return true;
}

TFindingReport::TFindingReport(const TCheckOptions& options, std::ostream& out)
    : Options(options), Out(out)
{
}

TFindingReport::~TFindingReport() = default;

void TFindingReport::Begin(const std::string& path)
{
    if (!Options.Json)
        return;
    Json = std::make_unique<TKvJsonWriter>(Out);
    Json->BeginObject();
    Json->Member("file", path);
    Json->Key("findings");
    Json->BeginArray();
}

void TFindingReport::Add(const TFinding& finding)
{
    if (!Wants(finding.Rule))
        return;
    const TRule& rule = CheckRule(finding.Rule);
    ++Counts[static_cast<std::size_t>(rule.Severity)];
    if (Json)
        WriteObject(finding, rule);
    else
        WriteLine(finding, rule);
}

void TFindingReport::WriteLine(const TFinding& finding, const TRule& rule)
{
    Out << "offset " << finding.Offset << ": " << finding.Where << ": "
        << SeverityName(rule.Severity) << " [" << rule.Name << "]: " << finding.Message << '\n';
}

void TFindingReport::WriteObject(const TFinding& finding, const TRule& rule)
{
    WriteFindingObject(*Json, finding, rule);
}

void WriteFindingObject(TKvJsonWriter& json, const TFinding& finding, const TRule& rule)
{
    json.BeginObject();
    json.Member("rule", rule.Name);
    json.Member("severity", SeverityName(rule.Severity));
    json.Member("offset", finding.Offset);
    json.Member("directory", finding.Where);
    json.Key("entry");
    if (finding.Tag)
        json.Number(std::uint64_t(*finding.Tag));
    else
        json.Null();
    json.Member("message", finding.Message);
    json.EndObject();
}

namespace {

std::string Plural(std::uint64_t n, const char* word)
{
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

int TFindingReport::Finish()
{
    const std::uint64_t errors = Counts[0], warnings = Counts[1], infos = Counts[2];
    if (Json) {
        Json->EndArray();
        Json->Member("errors", errors);
        Json->Member("warnings", warnings);
        Json->Member("infos", infos);
        Json->EndObject();
        Json->Flush();
        Out << '\n';
    } else if (errors + warnings + infos == 0) {
        Out << "No problems found\n";
    } else {
        Out << Plural(errors + warnings + infos, "problem") << " found (" << Plural(errors, "error")
            << ", " << Plural(warnings, "warning") << ", " << Plural(infos, "info") << ")\n";
    }
    return errors > 0 || (Options.Strict && warnings > 0) ? 1 : 0;
}

void WriteRuleList(std::ostream& out)
{
    for (const TRule& rule : CheckRules())
        out << rule.Name << " (" << SeverityName(rule.Severity) << "): " << rule.Sentence
            << "\n    " << rule.Clause << '\n';
}
