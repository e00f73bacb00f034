#include "BatchSummary.h"

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

#include "inspect/CheckRules.h"

std::uint64_t TBatchTotals::Files() const
{
    std::uint64_t files = 0;
    for (std::uint64_t count : Verdicts)
        files += count;
    return files;
}

namespace {

void WriteRuleLine(std::ostream& err, const TBatchTotals& totals)
{
    std::vector<std::size_t> met;
    for (std::size_t rule = 0; rule < CheckRules().size(); ++rule)
        if (totals.Rules[rule] > 0)
            met.push_back(rule);
    std::stable_sort(met.begin(), met.end(), [&](std::size_t a, std::size_t b) {
        return totals.Rules[a] > totals.Rules[b];
    });
    met.resize(std::min<std::size_t>(met.size(), 10));
    err << "rules:";
    if (met.empty())
        err << " none";
    for (std::size_t i = 0; i < met.size(); ++i)
        err << (i ? ", " : " ") << CheckRules()[met[i]].Name << ' ' << totals.Rules[met[i]];
    err << '\n';
}

std::string Fixed(double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace

// Composed first and written in one piece: a reader of standard error never
// sees half of it.
void WriteBatchSummary(std::ostream& out, const TBatchTotals& totals)
{
    std::ostringstream err;
    err << "files: " << totals.Files() << " (";
    for (std::size_t v = 0; v < VerdictCount; ++v)
        err << (v ? ", " : "") << VerdictName(static_cast<TVerdict>(v)) << ' '
            << totals.Verdicts[v];
    err << ")\n";
    WriteRuleLine(err, totals);
    const double seconds = std::max(totals.Seconds, 1e-6);
    const double read = static_cast<double>(totals.BytesRead) / 1e6;
    err << "time: " << Fixed(totals.Seconds, 2) << " s, "
        << Fixed(static_cast<double>(totals.Files()) / seconds, 0) << " files/s, " << Fixed(read, 1)
        << " MB read of " << Fixed(static_cast<double>(totals.BytesInFiles) / 1e6, 1) << " MB, "
        << Fixed(read / seconds, 1) << " MB/s\n";
    out << err.view() << std::flush;
}

TProgressLine::TProgressLine(std::ostream& err) : Err(err) {}

void TProgressLine::Show(std::uint64_t done, std::uint64_t total)
{
    const TClock::time_point now = TClock::now();
    if (now - Last < std::chrono::milliseconds(250))
        return;
    Last = now;
    const double seconds = std::chrono::duration<double>(now - Start).count();
    const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0;
    std::string line = std::to_string(done) + " files, " + Fixed(rate, 0) + " files/s, ";
    if (total == 0 || rate <= 0)
        line += "still finding files";
    else
        line += Fixed(static_cast<double>(total - std::min(done, total)) / rate, 0) + " s left";
    const std::size_t width = line.size();
    line.append(Width > width ? Width - width : 0, ' ');
    Width = width;
    Err << '\r' << line << std::flush;
}

void TProgressLine::End()
{
    if (Width > 0)
        Err << '\r' << std::string(Width, ' ') << '\r' << std::flush;
    Width = 0;
}
