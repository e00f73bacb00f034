// The rules one entry is held to on its own: its type and count for its
// tag, ASCII termination, date forms, enumerated values, the form of version
// tags and of the pointers to EXIF, GPS and Interoperability directories.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "inspect/CheckRules.h"
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

    TEntryRules(TKvTiffDirReader& raw, TRuleSink& sink) : Raw(raw), Sink(sink) {}

    // at: where the entry lies. Values that lie outside the file are not read.
    void Check(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at);

private:
    void CheckTypeAndCount(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at);
    void CheckPointer(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at);
    void CheckAscii(const TTiffRawEntry& entry, TTiffDirKind kind);
    void CheckDate(const TTiffRawEntry& entry, TTiffDirKind kind, std::size_t digits);
    void CheckEnumeration(const TTiffRawEntry& entry, TTiffDirKind kind);
    void CheckVersion(const TTiffRawEntry& entry, TTiffDirKind kind);
    // The first bytes of the value (at most MaxRead) into Value.
    bool Read(const TTiffRawEntry& entry);

    TKvTiffDirReader& Raw;
    TRuleSink& Sink;
    std::vector<std::uint8_t> Value;
};
