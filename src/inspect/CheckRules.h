// The rules of the conformance check: each kind of finding has a stable id
// that scripts can match and leave out, a severity, a sentence and the
// clause of the standard it rests on.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

enum class TSeverity : std::uint8_t { Error, Warning, Info };

enum class TRuleId : std::uint8_t {
    HeaderNoPage,
    ChainLoop,
    ChainOutside,
    DirectoryUnreadable,
    DirectoryOddOffset,
    DirectoryShared,
    ChildUnreadable,
    TagOrder,
    TagRepeated,
    TypeUnknown,
    ValueOutside,
    ValueOddOffset,
    TagMissing,
    ResolutionMissing,
    TileSizeMissing,
    LayoutUnreadable,
    LayoutCounts,
    LayoutGeometry,
    DataOutside,
    Overlap,
    TagType,
    TagCount,
    CountZero,
    AsciiNotTerminated,
    AsciiEmbeddedNul,
    DateTimeForm,
    EnumValue,
    CompressionUnknown,
    PerSampleCount,
    ExtraSamplesCount,
    ColorMapSize,
    ColorMapWithoutPalette,
    PhotometricTags,
    CompressionTags,
    YCbCrSubsampling,
    JpegInterchange,
    PointerType,
    PointerZero,
    VersionForm,
    VersionMissing,
    GeoKeyHeader,
    GeoKeyOrder,
    GeoKeyReference,
};

struct TRule {
    TRuleId Id;
    const char* Name;  // the stable id, "tag-order"
    TSeverity Severity;
    const char* Sentence;
    const char* Clause;
};

// Every rule, in the order of TRuleId.
std::span<const TRule> CheckRules();
const TRule& CheckRule(TRuleId id);
// The rule of that name, nullptr for none.
const TRule* FindCheckRule(std::string_view name);
// "error", "warning", "info".
const char* SeverityName(TSeverity severity);
