#include "inspect/EntryRules.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "inspect/TagRules.h"

namespace {

bool IsUnsignedInteger(std::uint16_t type)
{
    return type == ttByte || type == ttShort || type == ttLong || type == ttLong8;
}

bool IsPointerTag(TTiffDirKind kind, std::uint16_t tag)
{
    TTiffDirKind child;
    return tag != TagSubIfds && TiffChildKind(kind, tag, child);
}

bool IsImageKind(TTiffDirKind kind)
{
    return kind == TTiffDirKind::Page || kind == TTiffDirKind::SubIfd;
}

// The date tags and how many characters of "YYYY:MM:DD HH:MM:SS" they hold.
std::size_t DateLength(TTiffDirKind kind, std::uint16_t tag)
{
    if (IsImageKind(kind) && tag == 306)
        return 19;
    if (kind == TTiffDirKind::Exif && (tag == 36867 || tag == 36868))
        return 19;
    if (kind == TTiffDirKind::Gps && tag == 29)
        return 10;
    return 0;
}

// Digits stand where the pattern has 'd'; EXIF lets an unknown date be
// blank, so spaces may stand there too.
bool DateFormOk(const std::uint8_t* text, std::size_t length)
{
    static const char pattern[] = "dddd:dd:dd dd:dd:dd";
    for (std::size_t i = 0; i < length; ++i) {
        const char c = static_cast<char>(text[i]);
        if (pattern[i] == 'd' ? !((c >= '0' && c <= '9') || c == ' ') : c != pattern[i])
            return false;
    }
    return true;
}

bool IsVersionTag(TTiffDirKind kind, std::uint16_t tag)
{
    return (kind == TTiffDirKind::Exif && (tag == 36864 || tag == 40960)) ||
           (kind == TTiffDirKind::Interop && tag == 2) || (kind == TTiffDirKind::Gps && tag == 0);
}

}  // namespace

std::string CheckTagText(TTiffDirKind kind, std::uint32_t tag)
{
    const char* name = TiffTagNameIn(kind, tag);
    return name ? std::string(name) + " (" + std::to_string(tag) + ")"
                : "tag " + std::to_string(tag);
}

TEntryRules::TEntryRules(TKvTiffDirReader& raw, TRuleSink& sink)
    : Raw(raw), Sink(sink), Image(PreparedImageTables())
{
}

// A batch checks thousands of small files a second: the tables cost more
// than checking such a file, so they are made once.
const TEntryRules::TImageTables& TEntryRules::PreparedImageTables()
{
    static const auto tables = [] {
        auto made = std::make_unique<TImageTables>();
        for (std::size_t tag = 0; tag < TagsLookedUp; ++tag) {
            const TTagRules rules = Prepare(TTiffDirKind::Page, static_cast<std::uint16_t>(tag));
            made->Rules[tag] = rules;
            made->Glances[tag] = Fold(rules);
            made->SmallValues[tag] = SmallValuesOf(rules);
        }
        return std::unique_ptr<const TImageTables>(std::move(made));
    }();
    return *tables;
}

std::uint32_t TEntryRules::Fold(const TTagRules& rules)
{
    const TTagForm* form = rules.Form;
    const bool countsApart =
        form && (form->How == TCountRule::MultipleOf || form->How == TCountRule::AtLeast);
    if (rules.Pointer || rules.Version || rules.DateLength || countsApart)
        return 0;
    std::uint32_t glance = 0;
    for (std::uint16_t type = 1; type < ttLong8; ++type)
        if (type != ttAscii && TiffIsKnownType(type) &&
            (!form || TagTypeAllowed(*form, type, false)))
            glance |= 1u << type;
    if (form && form->How == TCountRule::Exact)
        glance |= std::uint32_t(form->Count) << GlanceCountShift;
    if (!rules.Values.empty())
        glance |= GlanceEnumerated;
    return glance;
}

std::uint64_t TEntryRules::SmallValuesOf(const TTagRules& rules)
{
    std::uint64_t values = 0;
    if (rules.Values.empty())
        return values;
    for (std::uint64_t value = 0; value < 64; ++value)
        if (InRanges(rules.Values, value))
            values |= std::uint64_t(1) << value;
    return values;
}

TEntryRules::TTagRules TEntryRules::Prepare(TTiffDirKind kind, std::uint16_t tag)
{
    TTagRules rules;
    rules.Pointer = IsPointerTag(kind, tag);
    rules.Form = FindTagForm(kind, tag);
    rules.Compression = IsImageKind(kind) && tag == TagCompression;
    rules.Values = rules.Compression ? KnownCompressions() : TagEnumeration(kind, tag);
    rules.Version = IsVersionTag(kind, tag);
    rules.DateLength = static_cast<std::uint8_t>(DateLength(kind, tag));
    return rules;
}

void TEntryRules::Check(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at)
{
    if (entry.Count == 0) {
        Sink.Report(TRuleId::CountZero, at, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " has a count of 0");
        return;
    }
    const TTagRules& rules = IsImageKind(kind) && entry.Tag < TagsLookedUp
                                 ? Image.Rules[entry.Tag]
                                 : (Other = Prepare(kind, entry.Tag));
    if (rules.Pointer) {
        CheckPointer(entry, kind, at);
        return;
    }
    if (rules.Form && TiffIsKnownType(entry.Type)) {  // an unknown type has its own finding
        if (!TagTypeAllowed(*rules.Form, entry.Type, Raw.IsBigTiff())) {
            Sink.Report(TRuleId::TagType, at, entry.Tag,
                        CheckTagText(kind, entry.Tag) + " has the data type " +
                            TiffRawTypeName(entry.Type) + ", not one allowed for it");
            return;
        }
        if (!TagCountAllowed(*rules.Form, entry.Count))
            CheckTypeAndCount(entry, kind, *rules.Form, at);
    }
    if (entry.Type == ttAscii)
        CheckAscii(entry, kind);
    if (rules.DateLength)
        CheckDate(entry, kind, rules.DateLength);
    if (!rules.Values.empty() && IsUnsignedInteger(entry.Type))
        CheckEnumeration(entry, kind, rules);
    if (rules.Version)
        CheckVersion(entry, kind);
}

void TEntryRules::CheckTypeAndCount(const TTiffRawEntry& entry, TTiffDirKind kind,
                                    const TTagForm& form, std::uint64_t at)
{
    Sink.Report(TRuleId::TagCount, at, entry.Tag,
                CheckTagText(kind, entry.Tag) + " has " + std::to_string(entry.Count) +
                    " values; it takes " +
                    (form.How == TCountRule::MultipleOf ? "a multiple of "
                     : form.How == TCountRule::AtLeast  ? "at least "
                                                        : "") +
                    std::to_string(form.Count));
}

void TEntryRules::CheckPointer(const TTiffRawEntry& entry, TTiffDirKind kind, std::uint64_t at)
{
    const bool typeOk = entry.Type == ttLong ||
                        (Raw.IsBigTiff() && (entry.Type == ttLong8 || entry.Type == ttIfd8));
    if (!typeOk || entry.Count != 1) {
        Sink.Report(TRuleId::PointerType, at, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " is " + std::to_string(entry.Count) + " " +
                        TiffRawTypeName(entry.Type) + "; a pointer is one LONG" +
                        (Raw.IsBigTiff() ? ", LONG8 or IFD8" : ""));
    }
    const bool offsetType = entry.Type == ttLong || entry.Type == ttIfd || entry.Type == ttLong8 ||
                            entry.Type == ttIfd8;
    if (entry.Inline && offsetType && Raw.Element(entry.Field, entry.Type, 0) == 0)
        Sink.Report(TRuleId::PointerZero, at, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " points to offset 0");
}

bool TEntryRules::Read(const TTiffRawEntry& entry)
{
    if (entry.Inline) {
        Value.assign(entry.Field, entry.Field + entry.Size);
        return true;
    }
    if (!Raw.InFile(entry.ValueOffset, entry.Size))
        return false;
    TErrCode code = ErrOk;
    std::string text;
    Raw.ReadValueStart(entry, MaxRead, Value, code, text);
    return code == ErrOk;
}

// A text longer than what is read has its last byte read apart.
void TEntryRules::CheckAscii(const TTiffRawEntry& entry, TTiffDirKind kind)
{
    if (!Read(entry))
        return;
    std::uint8_t last = 0;
    if (entry.Count <= Value.size()) {
        last = Value[static_cast<std::size_t>(entry.Count - 1)];  // below Value.size()
    } else {
        TErrCode code = ErrOk;
        std::string text;
        Raw.ReadBytes(entry.ValueOffset + entry.Count - 1, 1, &last, code, text);
    }
    if (last != 0)
        Sink.Report(TRuleId::AsciiNotTerminated, entry.ValueOffset, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " does not end with a NUL");
    // InkNames is a list of texts, each with its NUL.
    constexpr std::uint16_t TagInkNames = 333;
    if (IsImageKind(kind) && entry.Tag == TagInkNames)
        return;
    const std::size_t inside =
        static_cast<std::size_t>(std::min<std::uint64_t>(entry.Count - 1, Value.size()));
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(Value.data(), 0, inside));
    if (nul)
        Sink.Report(TRuleId::AsciiEmbeddedNul, entry.ValueOffset, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " holds a NUL at byte " +
                        std::to_string(nul - Value.data() + 1) + " of " +
                        std::to_string(entry.Count));
}

void TEntryRules::CheckDate(const TTiffRawEntry& entry, TTiffDirKind kind, std::size_t length)
{
    if (entry.Type != ttAscii || entry.Count < length || !Read(entry))
        return;
    if (!DateFormOk(Value.data(), length))
        Sink.Report(TRuleId::DateTimeForm, entry.ValueOffset, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " \"" +
                        std::string(Value.begin(), Value.begin() + static_cast<long>(length)) +
                        "\" is not in the form " +
                        (length == 10 ? "YYYY:MM:DD" : "YYYY:MM:DD HH:MM:SS"));
}

void TEntryRules::CheckEnumeration(const TTiffRawEntry& entry, TTiffDirKind kind,
                                   const TTagRules& rules)
{
    const std::uint8_t* bytes = entry.Field;
    if (!entry.Inline) {
        if (!Read(entry))
            return;
        bytes = Value.data();
    }
    const std::uint64_t held =
        entry.Inline ? entry.Count : Value.size() / TiffRawTypeSize(entry.Type);
    const std::uint64_t n = std::min<std::uint64_t>(entry.Count, held);
    for (std::uint64_t k = 0; k < n; ++k) {
        const std::uint64_t value = Raw.Element(bytes, entry.Type, k);
        if (InRanges(rules.Values, value))
            continue;
        if (rules.Compression)
            Sink.Report(TRuleId::CompressionUnknown, entry.ValueOffset, entry.Tag,
                        "Compression " + std::to_string(value) + " is no scheme known here");
        else
            Sink.Report(TRuleId::EnumValue, entry.ValueOffset, entry.Tag,
                        CheckTagText(kind, entry.Tag) + " has the undefined value " +
                            std::to_string(value));
        return;
    }
}

// "0232" for EXIF, FlashPix and Interoperability versions; 2.x.x.x bytes
// for GPS.
void TEntryRules::CheckVersion(const TTiffRawEntry& entry, TTiffDirKind kind)
{
    // Of an unknown type the value holds no bytes at all; of a wider type
    // the tag-type rule has spoken already.
    if (entry.Count != 4 || !Read(entry) || Value.size() != 4)
        return;
    bool ok = true;
    if (kind == TTiffDirKind::Gps) {
        ok =
            Value[0] >= 2 && std::all_of(Value.begin(), Value.end(), [](auto b) { return b < 10; });
    } else {
        ok = std::all_of(Value.begin(), Value.end(), [](auto b) { return b >= '0' && b <= '9'; });
    }
    if (!ok)
        Sink.Report(TRuleId::VersionForm, entry.ValueOffset, entry.Tag,
                    CheckTagText(kind, entry.Tag) + " is not a version of four parts");
}
