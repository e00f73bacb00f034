#include "DumpMap.h"

#include <iomanip>

#include "inspect/ByteClasses.h"

namespace {

// The map needs the walk, not the findings: every rule is left out.
class TNoFindings final : public IFindingSink {
public:
    bool Wants(TRuleId) const override { return false; }
    void Begin(const std::string&) override {}
    void Add(const TFinding&) override {}
    int Finish() override { return 0; }
};

void WriteCount(std::ostream& out, const char* name, std::uint64_t bytes)
{
    out << "  " << std::left << std::setw(12) << name << std::right << std::setw(12) << bytes;
}

void WriteRegion(std::ostream& out, const TByteClassMap& map, const TByteRegion& region)
{
    out << region.Start << ' ' << region.End - region.Start << ' ' << ByteClassId(region.Class);
    const std::string owner = map.OwnerText(region);
    if (!owner.empty())
        out << ' ' << owner;
    out << '\n';
}

}  // namespace

bool MapOptionsCompatible(const TDumpOptions& options, std::string& error)
{
    if (!options.Map)
        return true;
    if (options.Check || options.Json || options.Page || options.HexTag || options.Tree ||
        options.ValuesAll || options.LimitGiven || options.DecodeTag || options.ExtractTag) {
        error = "--map takes no other option";
        return false;
    }
    return true;
}

int RunByteMap(const TDumpOptions& options, std::ostream& out, std::ostream& err)
{
    TNoFindings findings;
    TByteClassMap map;
    if (ClassifyFileBytes(options.Path, findings, map, err) == 2)
        return 1;
    out << "Byte classes of " << options.Path << " (" << map.FileSize() << " bytes):\n";
    for (std::size_t c = 0; c + 1 < ByteClassCount; ++c) {
        const auto byteClass = static_cast<TByteClass>(c);
        WriteCount(out, ByteClassId(byteClass), map.Count(byteClass));
        out << '\n';
    }
    WriteCount(out, "total", map.FileSize());
    out << '\n';
    WriteCount(out, ByteClassId(TByteClass::BeyondEnd), map.Count(TByteClass::BeyondEnd));
    out << " (claimed beyond the end of the file, not in the total)\n"
        << "Regions (offset length class owner):\n";
    map.ForEachRegion([&](const TByteRegion& region) { WriteRegion(out, map, region); });
    for (const TByteRegion& region : map.BeyondEnd())
        WriteRegion(out, map, region);
    return 0;
}
