#include "tiff/GeoKeyDirectory.h"

#include <algorithm>

void ParseGeoKeyDirectory(std::span<const std::uint16_t> values, TGeoKeyDirectory& directory)
{
    directory = {};
    if (values.size() < 4)
        return;
    directory.Version = values[0];
    directory.Revision = values[1];
    directory.Minor = values[2];
    directory.DeclaredKeys = values[3];
    const std::size_t held = std::min<std::size_t>(directory.DeclaredKeys, (values.size() - 4) / 4);
    directory.Keys.reserve(held);
    for (std::size_t k = 0; k < held; ++k) {
        const std::uint16_t* key = &values[4 + 4 * k];
        directory.Keys.push_back({key[0], key[1], key[2], key[3]});
    }
}

namespace {

std::string KeyText(const TGeoKey& key)
{
    return "GeoKey " + std::to_string(key.Id);
}

// Where a key stored apart lies must be one of the parameter tags (or the
// directory), with its values inside it.
void CheckReference(const TGeoKey& key, std::uint64_t directoryValues, std::uint64_t doubleCount,
                    std::uint64_t asciiCount, std::vector<TGeoKeyProblem>& problems)
{
    std::uint64_t size = 0;
    switch (key.Location) {
    case 0:
        if (key.Count > 1)
            problems.push_back({TGeoKeyFault::Reference, KeyText(key) + " holds " +
                                                             std::to_string(key.Count) +
                                                             " values in place; only one fits"});
        return;
    case TagGeoKeyDirectory: size = directoryValues; break;
    case TagGeoDoubleParams: size = doubleCount; break;
    case TagGeoAsciiParams: size = asciiCount; break;
    default:
        problems.push_back(
            {TGeoKeyFault::Reference,
             KeyText(key) + " names tag " + std::to_string(key.Location) + " for its values"});
        return;
    }
    if (std::uint64_t(key.ValueOrIndex) + key.Count > size)
        problems.push_back({TGeoKeyFault::Reference,
                            KeyText(key) + " takes values " + std::to_string(key.ValueOrIndex) +
                                " to " + std::to_string(key.ValueOrIndex + key.Count) + " of tag " +
                                std::to_string(key.Location) + ", which has " +
                                std::to_string(size)});
}

}  // namespace

std::vector<TGeoKeyProblem> ValidateGeoKeys(const TGeoKeyDirectory& directory,
                                            std::uint64_t directoryValues,
                                            std::uint64_t doubleCount, std::uint64_t asciiCount)
{
    std::vector<TGeoKeyProblem> problems;
    if (directoryValues < 4 || directory.Version != 1)
        problems.push_back(
            {TGeoKeyFault::Header,
             directoryValues < 4
                 ? "the key directory has no header"
                 : "key directory version " + std::to_string(directory.Version) + ", not 1"});
    const std::uint64_t needed = 4 + 4 * std::uint64_t(directory.DeclaredKeys);
    if (directoryValues >= 4 && directoryValues < needed)
        problems.push_back({TGeoKeyFault::Header,
                            "the key directory declares " + std::to_string(directory.DeclaredKeys) +
                                " keys in " + std::to_string(directoryValues) +
                                " values; they need " + std::to_string(needed)});
    for (std::size_t k = 0; k < directory.Keys.size(); ++k) {
        const TGeoKey& key = directory.Keys[k];
        if (k > 0 && key.Id <= directory.Keys[k - 1].Id)
            problems.push_back({TGeoKeyFault::Order, KeyText(key) + " follows GeoKey " +
                                                         std::to_string(directory.Keys[k - 1].Id)});
        CheckReference(key, directoryValues, doubleCount, asciiCount, problems);
    }
    return problems;
}
