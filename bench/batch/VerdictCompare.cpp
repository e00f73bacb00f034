#include "VerdictCompare.h"

#include <fstream>
#include <sstream>

#include "DumpTool.h"

namespace {

const std::string CannotRead = "unreadable or not-tiff";

// The text of a string field of a row. The archive's names are plain
// ASCII, so no escape needs undoing.
std::string Field(const std::string& row, const std::string& name)
{
    const std::string key = "\"" + name + "\":\"";
    const std::size_t at = row.find(key);
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size();
    return row.substr(start, row.find('"', start) - start);
}

bool CountIsZero(const std::string& json, const std::string& name)
{
    return json.find("\"" + name + "\":0") != std::string::npos;
}

// What `orvane-dump --check --json FILE` says of the file, in the batch's
// words; a file it cannot read may be either of the batch's two kinds.
std::string SingleFileVerdict(const std::string& path)
{
    std::ostringstream out, err;
    const int code = RunOrvaneDump({"--check", "--json", path}, out, err);
    if (code == 2)
        return CannotRead;
    if (!CountIsZero(out.str(), "errors"))
        return "errors";
    return CountIsZero(out.str(), "warnings") ? "clean" : "warnings";
}

bool Alike(const std::string& batch, const std::string& single)
{
    return batch == single ||
           (single == CannotRead && (batch == "unreadable" || batch == "not-tiff"));
}

}  // namespace

TVerdictComparison CompareVerdicts(const std::filesystem::path& rows)
{
    TVerdictComparison result;
    std::ifstream in(rows);
    for (std::string row; std::getline(in, row);) {
        ++result.Rows;
        const std::string path = Field(row, "path");
        const std::string batch = Field(row, "verdict");
        const std::string single = SingleFileVerdict(path);
        if (Alike(batch, single))
            continue;
        ++result.Differing;
        if (result.Examples.size() < 5)
            result.Examples.push_back(path + ": batch " + batch + ", single-file " + single);
    }
    return result;
}
