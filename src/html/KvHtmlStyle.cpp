// Computed style: plain inheritance from the parent, per-class defaults, and
// the small subset of style declarations the pages use; and the font cache.
#include <cstring>

#include "html/KvHtml.h"
#include "html/KvHtmlElements.h"
#include "html/KvHtmlMath.h"
#include "html/KvHtmlValues.h"

namespace {

std::int32_t ParentSize(const TKvHtmlElement& element)
{
    return element.FParent ? element.FParent->FFontSize : 0;
}

std::int32_t ClampSize(std::int64_t size)
{
    return size > KvHtmlMaxPixels ? KvHtmlMaxPixels : static_cast<std::int32_t>(size);
}

std::string LowerCase(std::string text)
{
    for (char& c : text)
        c = KvLowerAscii(c);
    return text;
}

bool IsNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-';
}

// One length and nothing after it.
std::int32_t SingleLength(const std::string& value, std::int32_t parentSize, const char* none,
                          const char* trailing)
{
    std::size_t pos = 0;
    std::int32_t length = 0;
    if (!KvReadLength(value, pos, parentSize, length))
        KvHtmlFail(none);
    if (pos < value.size())
        KvHtmlFail(trailing);
    return length;
}

}  // namespace

void TKvHtmlElement::InheritStyle()
{
    const TKvHtmlElement* p = FParent;
    FFontFace = p->FFontFace;
    FFontSize = p->FFontSize;
    FBold = p->FBold;
    FUnderline = p->FUnderline;
    FMarginTop = FMarginBottom = FMarginLeft = FMarginRight = 0;
    FPaddingLeft = 0;
    FListDepth = p->FListDepth;
    FBackgroundColor = KvColorNone;
    FTextColor = p->FTextColor;
    FLinkColor = p->FLinkColor;
    FActiveLinkColor = p->FActiveLinkColor;
    FVisitedLinkColor = p->FVisitedLinkColor;
    FBackgroundImageName.clear();
    FBackgroundRepeat = 0;
    FAlign = p->FAlign;
    FTable = p->FTable;
}

void TKvHtmlElement::InitStyle()
{
    InheritStyle();
}

void TKvHtmlElementBody::InitStyle()
{
    FFontFace = "Times New Roman";
    FFontSize = 16;
    FBold = 0;
    FUnderline = 0;
    FMarginTop = FMarginBottom = FMarginLeft = FMarginRight = 8;
    FPaddingLeft = 0;
    FListDepth = 0;
    FBackgroundColor = KvRgb(255, 255, 255);
    FTextColor = KvRgb(0, 0, 0);
    FLinkColor = KvRgb(0, 0, 255);
    FBackgroundImageName.clear();
    FBackgroundRepeat = 0;
    FAlign = AlignLeft;
    FTable = nullptr;
}

void TKvHtmlElementH1::InitStyle()
{
    InheritStyle();
    std::int32_t parentSize = ParentSize(*this);
    FFontSize = ClampSize(std::int64_t{parentSize} * 2);
    FBold = 1;
    FMarginTop = FMarginBottom = KvRoundRatio(std::int64_t{parentSize} * 67, 100);
}

void TKvHtmlElementP::InitStyle()
{
    InheritStyle();
    FMarginTop = FMarginBottom = ParentSize(*this);
}

void TKvHtmlElementUl::InitStyle()
{
    InheritStyle();
    FMarginTop = FMarginBottom = FListDepth == 0 ? ParentSize(*this) : 0;
    ++FListDepth;
    FPaddingLeft = 40;
}

void TKvHtmlElementLi::InitStyle()
{
    InheritStyle();
    FMarginTop = FMarginBottom = 0;
}

void TKvHtmlElementA::InitStyle()
{
    InheritStyle();
    FUnderline = 1;
    FTextColor = FLinkColor;
}

void TKvHtmlElementB::InitStyle()
{
    InheritStyle();
    FBold = 1;
}

void TKvHtmlElementTable::InitStyle()
{
    InheritStyle();
    FTable = this;
}

// ---------------------------------------------------------------- style attribute

void TKvHtmlElement::ReadStyle(const std::string& value)
{
    std::size_t pos = 0;
    for (;;) {
        KvSkipBlanks(value, pos);
        if (pos >= value.size())
            return;
        std::size_t nameStart = pos;
        while (pos < value.size() && IsNameChar(value[pos]))
            ++pos;
        std::string name = value.substr(nameStart, pos - nameStart);
        KvSkipBlanks(value, pos);
        if (pos >= value.size() || value[pos] != ':')
            KvHtmlFail("3685.73");
        ++pos;
        KvSkipBlanks(value, pos);
        if (pos >= value.size())
            return;
        std::size_t valueEnd = value.find(';', pos);
        if (valueEnd == std::string::npos)
            valueEnd = value.size();
        std::size_t trimmed = valueEnd;
        while (trimmed > pos && value[trimmed - 1] == ' ')
            --trimmed;
        ApplyStyleProperty(LowerCase(name), LowerCase(value.substr(pos, trimmed - pos)));
        pos = valueEnd < value.size() ? valueEnd + 1 : valueEnd;
    }
}

void TKvHtmlElement::ApplyStyleProperty(const std::string& name, const std::string& value)
{
    std::int32_t parentSize = ParentSize(*this);
    if (name == "margin") {
        std::size_t pos = 0;
        std::int32_t top = 0, side = 0, bottom = 0, extra = 0;
        if (!KvReadLength(value, pos, parentSize, top))
            KvHtmlFail("3552.75");
        if (!KvReadLength(value, pos, parentSize, side))
            KvHtmlFail("3553.75");
        if (!KvReadLength(value, pos, parentSize, bottom))
            KvHtmlFail("3554.75");
        if (KvReadLength(value, pos, parentSize, extra))
            KvHtmlFail("3562.75");
        if (pos < value.size())
            KvHtmlFail("3550.91");
        FMarginTop = top;
        FMarginLeft = FMarginRight = side;
        FMarginBottom = bottom;
    } else if (name == "font-weight") {
        if (value != "bold")
            KvHtmlFail("3534.72");
        FBold = 1;
    } else if (name == "color") {
        std::size_t pos = 0;
        TKvColor color = KvReadRgb(value, pos);
        if (pos < value.size())
            KvHtmlFail("3492.91");
        FTextColor = color;
    } else if (name == "font-size") {
        FFontSize = SingleLength(value, parentSize, "3524.110", "3525.91");
    } else if (name == "margin-bottom") {
        FMarginBottom = SingleLength(value, parentSize, "3502.110", "3503.91");
    } else if (name == "margin-top") {
        FMarginTop = SingleLength(value, parentSize, "3513.110", "3514.91");
    } else if (name == "background-image") {
        FBackgroundImageName = value;
    } else if (name == "background-repeat") {
        if (value != "repeat")
            KvHtmlFail("3038.72");
        FBackgroundRepeat = 1;
    } else {
        KvHtmlFail("3649.72");
    }
}

// ---------------------------------------------------------------- font cache

FontEntry& TKvHtml::LookupFont(TKvHtmlCanvas& dc, const TKvHtmlElement& element)
{
    TKvHtmlLogFont wanted;
    wanted.FHeight = -element.FFontSize;
    wanted.FWeight = element.FBold ? 700 : 400;
    wanted.FUnderline = element.FUnderline != 0;
    std::size_t faceLength = element.FFontFace.size() < 31 ? element.FFontFace.size() : 31;
    std::memcpy(wanted.FFaceName, element.FFontFace.data(), faceLength);
    wanted.FFaceName[faceLength] = '\0';
    // The face is compared as stored, so a long name finds its entry again.
    for (const auto& entry : FFonts) {
        const TKvHtmlLogFont& f = entry->FLogFont;
        if (f.FHeight == wanted.FHeight && f.FWeight == wanted.FWeight &&
            f.FUnderline == wanted.FUnderline && std::strcmp(f.FFaceName, wanted.FFaceName) == 0)
            return *entry;
    }
    if (FFonts.size() == FFonts.capacity())
        FFonts.reserve(FFonts.size() + 32);
    auto entry = std::make_unique<FontEntry>();
    entry->FLogFont = wanted;
    entry->FFont = dc.CreateFont(wanted);
    if (!entry->FFont)
        KvHtmlFail("3900.92");
    FFonts.push_back(std::move(entry));
    return *FFonts.back();
}

std::size_t TKvHtml::FontCount() const
{
    return FFonts.size();
}
