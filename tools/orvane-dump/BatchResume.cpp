#include "BatchResume.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "BatchPlatform.h"
#include "inspect/BatchRow.h"

namespace {

constexpr std::string_view JsonRowStart = "{\"path\":\"";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool ReadHex4(std::string_view text, std::size_t at, std::uint32_t& value)
{
    value = 0;
    if (at + 4 > text.size())
        return false;
    for (std::size_t i = at; i < at + 4; ++i) {
        const int digit = HexValue(text[i]);
        if (digit < 0)
            return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// A \u escape at text[at] (just after the backslash and 'u'), with the low
// half of a surrogate pair that follows; at is left on its last digit.
bool ReadUnicodeEscape(std::string_view text, std::size_t& at, std::string& out)
{
    std::uint32_t code = 0;
    if (!ReadHex4(text, at, code))
        return false;
    at += 3;
    std::uint32_t low = 0;
    if (code >= 0xD800 && code < 0xDC00 && text.substr(at + 1, 2) == "\\u" &&
        ReadHex4(text, at + 3, low) && low >= 0xDC00 && low < 0xE000) {
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        at += 6;
    }
    AppendUtf8(out, code);
    return true;
}

char SimpleEscape(char c)
{
    switch (c) {
    case '"': return '"';
    case '\\': return '\\';
    case '/': return '/';
    case 'b': return '\b';
    case 'f': return '\f';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    default: return 0;
    }
}

// Calls take(record) for every complete record; returns where the
// complete records end. A CSV record goes on past line ends inside quotes.
template <class F>
std::uint64_t ForEachRecord(std::istream& in, bool csv, F take)
{
    std::string record, line;
    std::uint64_t end = 0, offset = 0;
    bool quoted = false;
    while (std::getline(in, line)) {
        offset += line.size();
        if (in.eof())
            break;  // no line end: the row was cut
        ++offset;
        if (csv)
            for (char c : line)
                quoted ^= c == '"';
        record += line;
        if (quoted) {
            record += '\n';
            continue;
        }
        take(record);
        record.clear();
        end = offset;
    }
    return end;
}

// Where the first field of a CSV record ends (the index of the comma after
// it), npos when its quotes do not close.
std::size_t FirstCsvFieldEnd(std::string_view record)
{
    if (record.empty() || record[0] != '"')
        return record.find(',');
    for (std::size_t i = 1; i < record.size(); ++i) {
        if (record[i] != '"')
            continue;
        if (i + 1 < record.size() && record[i + 1] == '"')
            ++i;
        else
            return i + 1;
    }
    return std::string_view::npos;
}

}  // namespace

bool JsonRowPath(std::string_view line, std::string& path)
{
    if (line.substr(0, JsonRowStart.size()) != JsonRowStart)
        return false;
    path.clear();
    for (std::size_t i = JsonRowStart.size(); i < line.size(); ++i) {
        const char c = line[i];
        if (c == '"')
            return true;
        if (c != '\\') {
            path += c;
            continue;
        }
        if (++i >= line.size())
            return false;
        if (line[i] == 'u') {
            if (!ReadUnicodeEscape(line, ++i, path))
                return false;
        } else if (const char plain = SimpleEscape(line[i])) {
            path += plain;
        } else {
            return false;
        }
    }
    return false;
}

bool CsvRowPath(std::string_view record, std::string& path)
{
    const std::size_t end = FirstCsvFieldEnd(record);
    if (end == std::string_view::npos || end >= record.size() || record[end] != ',')
        return false;
    path.clear();
    if (record[0] != '"') {
        path = record.substr(0, end);
        return true;
    }
    for (std::size_t i = 1; i + 1 < end; ++i) {
        path += record[i];
        i += record[i] == '"';  // a doubled quote
    }
    return true;
}

bool RowVerdict(std::string_view record, bool csv, TVerdict& verdict)
{
    std::size_t start = 0;
    if (csv) {
        start = FirstCsvFieldEnd(record);
        start = start < record.size() ? start + 1 : std::string_view::npos;
    } else {
        // Quotes inside the path are escaped, so this cannot match there.
        constexpr std::string_view key = "\"verdict\":\"";
        start = record.find(key);
        start = start == std::string_view::npos ? start : start + key.size();
    }
    if (start == std::string_view::npos)
        return false;
    const std::string_view rest = record.substr(start);
    for (std::size_t v = 0; v < VerdictCount; ++v) {
        const std::string_view name = VerdictName(static_cast<TVerdict>(v));
        if (rest.substr(0, name.size()) == name && rest.size() > name.size() &&
            rest[name.size()] == (csv ? ',' : '"')) {
            verdict = static_cast<TVerdict>(v);
            return true;
        }
    }
    return false;
}

bool LoadEarlierRows(const std::string& path, bool csv, TEarlierRows& rows, std::string& error)
{
    const std::filesystem::path file = LibraryPath(path);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return true;  // nothing written yet
    const std::string header(CsvHeader, std::char_traits<char>::length(CsvHeader) - 1);
    std::string rowPath;
    const std::uint64_t end = ForEachRecord(in, csv, [&](const std::string& record) {
        rows.Empty = false;
        if (csv && record == header)
            return;
        if (csv ? CsvRowPath(record, rowPath) : JsonRowPath(record, rowPath)) {
            rows.Done.insert(rowPath);
            TVerdict verdict = TVerdict::Clean;
            if (RowVerdict(record, csv, verdict))
                ++rows.Verdicts[static_cast<std::size_t>(verdict)];
        }
    });
    in.close();
    std::error_code failure;
    if (std::filesystem::file_size(file, failure) != end)
        std::filesystem::resize_file(file, end, failure);
    if (failure) {
        error = "cannot cut the last row of " + path + ": " + failure.message();
        return false;
    }
    return true;
}
