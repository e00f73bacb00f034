// The attributes each element accepts, in lookup order, and what they do.
#include "html/KvHtmlAttributes.h"

#include <algorithm>
#include <iterator>

#include "html/KvHtmlElements.h"
#include "html/KvHtmlMath.h"
#include "html/KvHtmlValues.h"

namespace {

template <class T>
TKvHtmlAttribute* Make()
{
    return new T;
}

template <class T>
T& Owner(const TKvHtmlAttribute& attribute)
{
    return static_cast<T&>(*attribute.FOwner);
}

}  // namespace

void TKvHtmlAttributeStyle::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    FOwner->ReadStyle(value);
}

void TKvHtmlAttributeBgcolor::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    FOwner->FBackgroundColor = KvParseHashColor(value);
}

void TKvHtmlAttributeH1Id::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    FOwner->RegisterId(value);
}

void TKvHtmlAttributeAHref::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    Owner<TKvHtmlElementA>(*this).FHref = value;
}

void TKvHtmlAttributeATitle::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    Owner<TKvHtmlElementA>(*this).FTitle = value;
}

void TKvHtmlAttributeColWidth::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    auto& col = Owner<TKvHtmlElementCol>(*this);
    std::int32_t width = 0;
    if (!KvParseDigitsOnly(value, KvHtmlMaxPixels, width))
        KvHtmlFail("2066.74");
    col.FWidth = width;
    col.FWidthGiven = 1;
}

void TKvHtmlAttributeTdColspan::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    std::int32_t span = 0;
    if (!KvParseDigitsOnly(value, KvHtmlMaxColspan, span))
        KvHtmlFail("2403.119");
    Owner<TKvHtmlElementTd>(*this).FColspan = span == 0 ? 1 : span;
}

void TKvHtmlAttributeTdValign::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    static const char* const names[] = {"top", "middle", "bottom", "baseline"};
    for (std::uint8_t i = 0; i < 4; ++i) {
        if (value == names[i]) {
            Owner<TKvHtmlElementTd>(*this).FVAlign = i;
            return;
        }
    }
    KvHtmlFail("1787.72");
}

void TKvHtmlAttributeTdAlign::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    static const char* const names[] = {"left", "center", "right", "justify"};
    for (std::uint8_t i = 0; i < 4; ++i) {
        if (value == names[i]) {
            FOwner->FAlign = i;
            return;
        }
    }
    KvHtmlFail("1642.72");
}

void TKvHtmlAttributeFontFace::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    FOwner->FFontFace = value;
}

void TKvHtmlAttributeFontSize::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    std::int32_t parentSize = FOwner->FParent ? FOwner->FParent->FFontSize : 0;
    if (value == "3")
        FOwner->FFontSize = parentSize;
    else if (value == "4")
        FOwner->FFontSize =
            std::min(KvRoundRatio(std::int64_t{parentSize} * 6, 5), KvHtmlMaxPixels);
    else
        KvHtmlFail("3009.72");
}

void TKvHtmlAttributeImgSrc::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    Owner<TKvHtmlElementImg>(*this).FSrc = value;
}

namespace {

// One or more digits and nothing else, in range.
std::int32_t ImageSize(const std::string& value, const char* noDigit, const char* trailing)
{
    std::size_t pos = 0, count = 0;
    std::int32_t size = 0;
    bool inRange = KvReadDigits(value, pos, KvHtmlMaxPixels, size, count);
    if (count == 0 || !inRange)
        KvHtmlFail(noDigit);
    if (pos < value.size())
        KvHtmlFail(trailing);
    return size;
}

}  // namespace

void TKvHtmlAttributeImgWidth::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    Owner<TKvHtmlElementImg>(*this).FWidth = ImageSize(value, "1531.117", "1532.91");
}

void TKvHtmlAttributeImgHeight::Apply(const std::string& value)
{
    TKvHtmlAttribute::Apply(value);
    Owner<TKvHtmlElementImg>(*this).FHeight = ImageSize(value, "1542.117", "1543.91");
}

// ---------------------------------------------------------------- AddAttribute

void TKvHtmlElement::AddAttribute(const std::string&, const std::string&)
{
    KvHtmlFail("3789.93");
}

#define KV_ADD_FROM(table, name, value) AddFromTable(table, std::size(table), name, value)

void TKvHtmlElementBody::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {
        {"style", Make<TKvHtmlAttributeBodyStyle>},     {"text", Make<TKvHtmlAttributeBodyText>},
        {"bgcolor", Make<TKvHtmlAttributeBodyBgcolor>}, {"link", Make<TKvHtmlAttributeBodyLink>},
        {"alink", Make<TKvHtmlAttributeBodyAlink>},     {"vlink", Make<TKvHtmlAttributeBodyVlink>},
        {"alt", Make<TKvHtmlAttributeBodyAlt>},
    };
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("3324.86", name + " in body");
}

void TKvHtmlElementH1::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"id", Make<TKvHtmlAttributeH1Id>},
                                           {"style", Make<TKvHtmlAttributeH1Style>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("4186.86");
}

void TKvHtmlElementP::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"style", Make<TKvHtmlAttributePStyle>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("4195.86");
}

void TKvHtmlElementUl::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"style", Make<TKvHtmlAttributeUlStyle>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("4204.86");
}

void TKvHtmlElementDiv::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"style", Make<TKvHtmlAttributeDivStyle>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("4177.86");
}

void TKvHtmlElementA::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"href", Make<TKvHtmlAttributeAHref>},
                                           {"title", Make<TKvHtmlAttributeATitle>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("4213.86");
}

void TKvHtmlElementTable::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {
        {"cellspacing", Make<TKvHtmlAttributeTableCellspacing>},
        {"cellpadding", Make<TKvHtmlAttributeTableCellpadding>},
        {"width", Make<TKvHtmlAttributeTableWidth>},
        {"border", Make<TKvHtmlAttributeTableBorder>},
    };
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("3309.86");
}

void TKvHtmlElementCol::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"width", Make<TKvHtmlAttributeColWidth>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("3244.86");
}

void TKvHtmlElementTd::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {
        {"colspan", Make<TKvHtmlAttributeTdColspan>}, {"valign", Make<TKvHtmlAttributeTdValign>},
        {"align", Make<TKvHtmlAttributeTdAlign>},     {"bgcolor", Make<TKvHtmlAttributeTdBgcolor>},
        {"style", Make<TKvHtmlAttributeTdStyle>},
    };
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("3132.86");
}

void TKvHtmlElementFont::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {{"face", Make<TKvHtmlAttributeFontFace>},
                                           {"size", Make<TKvHtmlAttributeFontSize>}};
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("3092.86");
}

void TKvHtmlElementImg::AddAttribute(const std::string& name, const std::string& value)
{
    static const AttributeClass table[] = {
        {"src", Make<TKvHtmlAttributeImgSrc>},       {"width", Make<TKvHtmlAttributeImgWidth>},
        {"height", Make<TKvHtmlAttributeImgHeight>}, {"border", Make<TKvHtmlAttributeImgBorder>},
        {"alt", Make<TKvHtmlAttributeImgAlt>},
    };
    if (!KV_ADD_FROM(table, name, value))
        KvHtmlFail("3068.86");
}

void TKvHtmlElementMeta::AddAttribute(const std::string& name, const std::string& value)
{
    if (name == "http-equiv")
        FHttpEquiv = value;
    else if (name == "name")
        FName = value;
    else if (name == "content")
        FContent = value;
    else
        KvHtmlFail("3376.72");
}
