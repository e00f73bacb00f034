// The rules one entry is held to on its own: its type and count for its
// tag, ASCII termination, date forms, enumerated values, the form of version
// tags and of the pointers to EXIF, GPS and Interoperability directories.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "inspect/CheckRules.h"
#include "inspect/TagRules.h"
#include "tiff/KvTiffDirReader.h"
#include "tiff/KvTiffExifNames.h"

// Takes the findings of the rule units; the directory they are about is the
// receiver's to know.
class TRuleSink {
public:
    virtual void Report(TRuleId rule, std::uint64_t offset, std::uint16_t tag,
                        const std::string& message) = 0;
    virtual ~TRuleSink() = default;
};

// "ImageWidth (256)", or "tag 40001" for a tag without a name there.
std::string CheckTagText(TTiffDirKind kind, std::uint32_t tag);

class TEntryRules {
public:
    // Values are never read past this many bytes, however large the count.
    static constexpr std::uint64_t MaxRead = 64 * 1024;

    TEntryRules(TKvTiffDirReader& raw, TRuleSink& sink);

    // at: where the entry lies. Values that lie outside the file are not read.
    void Check(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at);

    // Whether an entry of a page or SubIFD passes every rule at a glance
    // (Check would find nothing): most do, and a check of a million pages
    // must stay quick.
    bool PassesAtAGlance(const TTiffRawEntry& entry) const
    {
        // BigTIFF's types and ASCII values (read for their NULs) are looked
        // at in full.
        if (entry.Tag >= TagsLookedUp || entry.Type >= ttLong8)
            return false;
        const std::uint32_t glance = Image.Glances[entry.Tag];
        const std::uint32_t count = glance >> GlanceCountShift;
        if ((glance >> entry.Type & 1) == 0 || (count ? entry.Count != count : entry.Count == 0))
            return false;
        if ((glance & GlanceEnumerated) == 0)
            return true;
        if (!entry.Inline || entry.Count != 1)
            return false;
        const std::uint64_t value = Raw.Element(entry.Field, entry.Type, 0);
        return value < 64 && (Image.SmallValues[entry.Tag] >> value & 1) != 0;
    }

    // What a tag is held to in a directory of a kind, looked up once.
    struct TTagRules {
        const TTagForm* Form = nullptr;
        std::span<const TValueRange> Values;  // enumerated values, or known compressions
        bool Compression = false;             // unknown values are worth an info only
        bool Pointer = false;
        bool Version = false;
        std::uint8_t DateLength = 0;
    };

private:
    // An image tag's rules folded for PassesAtAGlance into one word: bits 0
    // to 15 the classic types it may have, bit 16 set for enumerated tags,
    // the bits above an exact count (0: any but 0). Tags whose rules need
    // their values read allow no type. The allowed values below 64 of
    // enumerated tags are bits of SmallValues.
    static constexpr std::uint32_t GlanceEnumerated = 1u << 16;
    static constexpr unsigned GlanceCountShift = 17;

    // Every entry of every page is checked: the image tags below 1024 are
    // looked up in advance, once for all checks in the process.
    static constexpr std::size_t TagsLookedUp = 1024;
    struct TImageTables {
        std::array<TTagRules, TagsLookedUp> Rules;
        std::array<std::uint32_t, TagsLookedUp> Glances;
        std::array<std::uint64_t, TagsLookedUp> SmallValues;  // bits by value
    };
    static const TImageTables& PreparedImageTables();

    static TTagRules Prepare(TTiffDirKind kind, std::uint16_t tag);
    static std::uint32_t Fold(const TTagRules& rules);
    static std::uint64_t SmallValuesOf(const TTagRules& rules);
    void CheckTypeAndCount(const TTiffRawEntry& entry, TTiffDirKind kind, const TTagForm& form,
                           std::uint64_t at);
    void CheckPointer(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at);
    void CheckAscii(const TTiffRawEntry& entry, TTiffDirKind kind);
    void CheckDate(const TTiffRawEntry& entry, TTiffDirKind kind, std::size_t digits);
    void CheckEnumeration(const TTiffRawEntry& entry, TTiffDirKind kind, const TTagRules& rules);
    void CheckVersion(const TTiffRawEntry& entry, TTiffDirKind kind);
    // The first bytes of the value (at most MaxRead) into Value.
    bool Read(const TTiffRawEntry& entry);

    TKvTiffDirReader& Raw;
    TRuleSink& Sink;
    const TImageTables& Image;
    std::vector<std::uint8_t> Value;
    TTagRules Other;  // the rules of any other tag, for the entry at hand
};
