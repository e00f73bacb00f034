#include "inspect/BatchRow.h"

#include <ostream>
#include <streambuf>

#include "inspect/JsonWriter.h"

const char* const CsvHeader =
    "path,verdict,errors,warnings,infos,first_error,first_error_message\n";

namespace {

constexpr std::size_t KeptFindings = 1024;

// Lets the JSON writer hand its text straight to the row.
class TAppendBuffer final : public std::streambuf {
public:
    explicit TAppendBuffer(std::string& target) : Target(target) {}

protected:
    std::streamsize xsputn(const char* text, std::streamsize size) override
    {
        Target.append(text, static_cast<std::size_t>(size));
        return size;
    }
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            Target += traits_type::to_char_type(c);
        return traits_type::not_eof(c);
    }

private:
    std::string& Target;
};

void AppendCsvField(std::string& row, const std::string& field)
{
    if (field.find_first_of(",\"\r\n") == std::string::npos) {
        row += field;
        return;
    }
    row += '"';
    for (char c : field) {
        if (c == '"')
            row += '"';
        row += c;
    }
    row += '"';
}

const TFinding* FirstError(const TBatchFindings& findings)
{
    for (const TFinding& finding : findings.List())
        if (CheckRule(finding.Rule).Severity == TSeverity::Error)
            return &finding;
    return nullptr;
}

}  // namespace

const char* VerdictName(TVerdict verdict)
{
    static const char* const names[VerdictCount] = {"clean", "warnings", "errors", "unreadable",
                                                    "not-tiff"};
    return names[static_cast<std::size_t>(verdict)];
}

void TBatchFindings::Begin(const std::string&)
{
    Clear();
}

void TBatchFindings::Clear()
{
    if (Findings.capacity() > KeptFindings)
        std::vector<TFinding>().swap(Findings);
    Findings.clear();
    Counts[0] = Counts[1] = Counts[2] = 0;
}

void TBatchFindings::Add(const TFinding& finding)
{
    if (!Wants(finding.Rule))
        return;
    ++Counts[static_cast<std::size_t>(CheckRule(finding.Rule).Severity)];
    ++Totals[static_cast<std::size_t>(finding.Rule)];
    Findings.push_back(finding);
}

int TBatchFindings::Finish()
{
    return Counts[0] > 0 || (Options.Strict && Counts[1] > 0) ? 1 : 0;
}

TVerdict TBatchFindings::Verdict(const TCheckedFile& file) const
{
    if (file.State == TFileState::NotTiff)
        return TVerdict::NotTiff;
    if (file.State == TFileState::Unreadable)
        return TVerdict::Unreadable;
    if (Count(TSeverity::Error) > 0)
        return TVerdict::Errors;
    return Count(TSeverity::Warning) > 0 ? TVerdict::Warnings : TVerdict::Clean;
}

void AppendJsonRow(std::string& row, const std::string& path, const TCheckedFile& file,
                   const TBatchFindings& findings)
{
    TAppendBuffer buffer(row);
    std::ostream out(&buffer);
    {
        TKvJsonWriter json(out);
        const bool checked = file.State == TFileState::Checked;
        json.BeginObject();
        json.Member("path", path);
        json.Member("size", file.Size);
        json.Key("byte_order");
        if (checked)
            json.String(file.BigEndian ? "big-endian" : "little-endian");
        else
            json.Null();
        json.Member("bigtiff", file.BigTiff);
        json.Member("pages", file.Pages);
        json.Member("verdict", VerdictName(findings.Verdict(file)));
        json.Member("errors", findings.Count(TSeverity::Error));
        json.Member("warnings", findings.Count(TSeverity::Warning));
        json.Member("infos", findings.Count(TSeverity::Info));
        json.NullOrString("reason", file.Reason);
        json.Key("findings");
        json.BeginArray();
        for (const TFinding& finding : findings.List())
            WriteFindingObject(json, finding, CheckRule(finding.Rule));
        json.EndArray();
        json.EndObject();
    }
    // The writer ends the document with its line end.
}

void AppendCsvRow(std::string& row, const std::string& path, const TCheckedFile& file,
                  const TBatchFindings& findings)
{
    AppendCsvField(row, path);
    row += ',';
    row += VerdictName(findings.Verdict(file));
    for (TSeverity severity : {TSeverity::Error, TSeverity::Warning, TSeverity::Info}) {
        row += ',';
        row += std::to_string(findings.Count(severity));
    }
    row += ',';
    if (const TFinding* first = FirstError(findings)) {
        row += CheckRule(first->Rule).Name;
        row += ',';
        AppendCsvField(row, first->Message);
    } else {
        row += ',';
        AppendCsvField(row, file.Reason);
    }
    row += '\n';
}
