#include "html/KvHtml.h"

#include <new>

#include "html/KvHtmlElements.h"
#include "html/KvHtmlLayout.h"
#include "html/KvHtmlMath.h"
#include "html/KvHtmlRender.h"
#include "html/KvMailData.h"

void KvHtmlFail(const char* position)
{
    RaiseInternal(std::string("KvHtml ") + position);
}

void KvHtmlFail(const char* position, const std::string& note)
{
    RaiseInternal(std::string("KvHtml ") + position + "; " + note);
}

// ---------------------------------------------------------------- element

TKvHtmlElement::~TKvHtmlElement()
{
    TKvHtmlElement* child = FFirstChild;
    while (child) {
        TKvHtmlElement* next = child->FNextSibling;
        delete child;
        child = next;
    }
    TKvHtmlAttribute* attribute = FFirstAttribute;
    while (attribute) {
        TKvHtmlAttribute* next = attribute->FNext;
        delete attribute;
        attribute = next;
    }
}

void TKvHtmlElement::AppendChild(TKvHtmlElement* child)
{
    if (FDepth >= KvHtmlMaxDepth) {
        std::string tag = child->TagName();
        delete child;
        KvHtmlFail("3215.74", tag + " nested deeper than " + std::to_string(KvHtmlMaxDepth));
    }
    child->FDocument = FDocument;
    child->FParent = this;
    child->FDepth = FDepth + 1;
    child->FPrevSibling = FLastChild;
    if (FLastChild)
        FLastChild->FNextSibling = child;
    else
        FFirstChild = child;
    FLastChild = child;
    child->FParseState = StateOpen;
}

void TKvHtmlElement::AppendAttribute(TKvHtmlAttribute* attribute)
{
    attribute->FOwner = this;
    attribute->FPrev = FLastAttribute;
    if (FLastAttribute)
        FLastAttribute->FNext = attribute;
    else
        FFirstAttribute = attribute;
    FLastAttribute = attribute;
}

void TKvHtmlElement::RegisterId(const std::string& id)
{
    FId = id;
    if (FIdRegistered)
        return;
    FIdRegistered = 1;
    FIdPrev = FDocument->FLastId;
    if (FDocument->FLastId)
        FDocument->FLastId->FIdNext = this;
    else
        FDocument->FFirstId = this;
    FDocument->FLastId = this;
}

std::string TKvHtmlElement::Path() const
{
    std::string path = TagName();
    for (const TKvHtmlElement* e = FParent; e; e = e->FParent)
        path = std::string(e->TagName()) + " " + path;
    return path;
}

std::int32_t TKvHtmlElement::HorizontalBox() const
{
    std::int64_t sum = static_cast<std::int64_t>(FMarginLeft) + FBorderLeft + FPaddingLeft +
                       FPaddingRight + FBorderRight + FMarginRight;
    return KvClamp32(sum);
}

TKvHtmlLink TKvHtmlElement::GetLink() const
{
    return FParent ? FParent->GetLink() : TKvHtmlLink{};
}

bool TKvHtmlElement::AddFromTable(const AttributeClass* table, std::size_t count,
                                  const std::string& name, const std::string& value)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (name == table[i].FName) {
            TKvHtmlAttribute* attribute = table[i].FCreate();
            AppendAttribute(attribute);
            attribute->Apply(value);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- document

TKvHtml::TKvHtml() = default;

TKvHtml::~TKvHtml()
{
    FreeTree();
}

void TKvHtml::FreeTree()
{
    delete FRoot;
    FRoot = nullptr;
    delete FCursor;
    FCursor = nullptr;
    FFirstId = FLastId = nullptr;
    FLastTextRun = nullptr;
}

void TKvHtml::MarkFailed(const std::string& text)
{
    if (!FFailed) {
        FFailed = true;
        FFailText = text;
    }
}

void TKvHtml::CheckFailed() const
{
    if (FFailed)
        RaiseInternal(FFailText);
}

void TKvHtml::LoadFromString(const std::string& text, TErrCode& errCode, std::string& errText)
{
    try {
        TKvTelnetData* data = TKvTelnetData::CreateFromString(text);
        FreeTree();
        FFailed = false;
        FFailText.clear();
        FMeasured = false;
        FCursor = new TKvTelnetDataCursor(*data);
        data->Release();
        FRoot = new TKvHtmlElementRoot;
        FRoot->FDocument = this;
        FRoot->FParseState = TKvHtmlElement::StateOpen;
        FRoot->InitStyle();
    } catch (const std::bad_alloc&) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    }
}

// A parse that stopped leaves the cursor inside the refused token and the
// element states half updated; resuming there would read the rest of the
// token as text. So every parse failure stands until the next text.
void TKvHtml::ParseAll()
{
    CheckFailed();
    if (!FRoot)
        return;
    try {
        FRoot->Parse();
    } catch (const EKvInternal& e) {
        MarkFailed(e.what());
        throw;
    } catch (const std::bad_alloc&) {
        MarkFailed(OutOfMemoryText);
        throw;
    }
}

void TKvHtml::ComputeMinMaxWidth(TKvHtmlCanvas& dc, std::int32_t& minimum, std::int32_t& maximum,
                                 TErrCode& errCode, std::string& errText)
{
    minimum = maximum = 0;
    try {
        ParseAll();
        if (!FRoot)
            return;
        TKvHtmlSizeMinmaxwidthData state(dc);
        FRoot->MeasureMinMax(state, minimum, maximum);
        FMeasured = true;
    } catch (const std::bad_alloc&) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    }
}

void TKvHtml::EnsureMeasured(TKvHtmlCanvas& dc)
{
    if (FMeasured)
        return;
    std::int32_t minimum = 0, maximum = 0;
    TErrCode code = ErrOk;
    std::string text;
    ComputeMinMaxWidth(dc, minimum, maximum, code, text);
    if (code != ErrOk)
        throw std::bad_alloc();
}

void TKvHtml::ComputeHeightForWidth(TKvHtmlCanvas& dc, std::int32_t width, std::int32_t& height,
                                    TErrCode& errCode, std::string& errText)
{
    height = 0;
    try {
        CheckFailed();
        if (!FRoot)
            return;
        // Layout works from the sizes the width pass stored in the tree.
        EnsureMeasured(dc);
        TKvHtmlSizeHeightForWidthData state;
        std::int32_t y = 0;
        FRoot->LayoutHeight(state, 0, y, width);
        height = KvAdd(y, state.FPendingMargin);
    } catch (const std::bad_alloc&) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    }
}

void TKvHtml::RenderTo(TKvHtmlCanvas& dc, std::int32_t originX, std::int32_t originY,
                       std::int32_t clipLeft, std::int32_t clipTop, std::int32_t clipWidth,
                       std::int32_t clipHeight, TErrCode& errCode, std::string& errText)
{
    try {
        CheckFailed();
        if (!FRoot)
            return;
        TKvHtmlRenderData state(dc, originX, originY, clipLeft, clipTop, clipWidth, clipHeight);
        FRoot->Render(state);
    } catch (const std::bad_alloc&) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    }
}

TKvHtmlElement* TKvHtml::ElementAt(std::int32_t x, std::int32_t y)
{
    if (!FRoot || FFailed)
        return nullptr;
    return FRoot->HitTest(x, y);
}

TKvHtmlElement* TKvHtml::FindById(const std::string& id) const
{
    for (TKvHtmlElement* e = FFirstId; e; e = e->FIdNext)
        if (e->FId == id)
            return e;
    return nullptr;
}
