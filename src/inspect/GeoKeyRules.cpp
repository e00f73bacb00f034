#include "inspect/GeoKeyRules.h"

#include <algorithm>

#include "tiff/GeoKeyDirectory.h"

namespace {

// The header and 65,535 keys, the most the key count can declare.
constexpr std::uint64_t MaxValues = 4 + 4 * 65535;

TRuleId RuleOf(TGeoKeyFault fault)
{
    switch (fault) {
    case TGeoKeyFault::Header: return TRuleId::GeoKeyHeader;
    case TGeoKeyFault::Order: return TRuleId::GeoKeyOrder;
    case TGeoKeyFault::Reference: break;
    }
    return TRuleId::GeoKeyReference;
}

}  // namespace

void TGeoKeyRules::Check(const TTiffRawDirectory& dir)
{
    const TTiffRawEntry* keys = nullptr;
    std::uint64_t doubles = 0, ascii = 0;
    for (const TTiffRawEntry& entry : dir.Entries) {
        if (entry.Tag == TagGeoKeyDirectory && !keys)
            keys = &entry;
        else if (entry.Tag == TagGeoDoubleParams)
            doubles = entry.Count;
        else if (entry.Tag == TagGeoAsciiParams)
            ascii = entry.Count;
    }
    if (!keys || keys->Type != ttShort || !Raw.InFile(keys->ValueOffset, keys->Size))
        return;
    TErrCode code = ErrOk;
    std::string text;
    if (keys->Inline)
        Bytes.assign(keys->Field, keys->Field + keys->Size);
    else
        Raw.ReadValueStart(*keys, MaxValues * 2, Bytes, code, text);
    if (code != ErrOk)
        return;
    Values.resize(static_cast<std::size_t>(std::min<std::uint64_t>(keys->Count, Bytes.size() / 2)));
    for (std::size_t k = 0; k < Values.size(); ++k)
        Values[k] = static_cast<std::uint16_t>(Raw.Element(Bytes.data(), ttShort, k));
    TGeoKeyDirectory directory;
    ParseGeoKeyDirectory(Values, directory);
    for (const TGeoKeyProblem& problem : ValidateGeoKeys(directory, keys->Count, doubles, ascii))
        Sink.Report(RuleOf(problem.Fault), keys->ValueOffset, TagGeoKeyDirectory, problem.Text);
}
