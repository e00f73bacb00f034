#include "HtmlTestSupport.h"

#include <functional>
#include <regex>

#include "html/KvHtmlDump.h"

void Load(TKvHtml& document, const std::string& text)
{
    TErrCode code = ErrOk;
    std::string error;
    document.LoadFromString(text, code, error);
}

std::string Measure(TKvHtml& document, TKvHtmlCanvas& dc, std::int32_t& minimum,
                    std::int32_t& maximum)
{
    try {
        TErrCode code = ErrOk;
        std::string error;
        document.ComputeMinMaxWidth(dc, minimum, maximum, code, error);
        return error;
    } catch (const EKvInternal& e) {
        return e.what();
    }
}

TParsed::TParsed(const std::string& text)
{
    Load(FDocument, text);
    std::int32_t minimum = 0, maximum = 0;
    FError = Measure(FDocument, FDc, minimum, maximum);
}

std::string WithoutPosition(const std::string& failure)
{
    static const std::regex position("^KvHtml [0-9]+\\.[0-9]+");
    return std::regex_replace(failure, position, "KvHtml N.N",
                              std::regex_constants::format_first_only);
}

std::string ParseFailure(const std::string& text)
{
    return WithoutPosition(TParsed(text).FError);
}

std::string Layout(const std::string& text, std::int32_t width)
{
    TKvHtml document;
    TKvHtmlCanvasLog dc;
    Load(document, text);
    try {
        return KvHtmlDumpLayout(document, dc, width);
    } catch (const EKvInternal& e) {
        return "error: " + WithoutPosition(e.what());
    }
}

TKvHtmlElement* Find(TKvHtml& document, const std::string& tag, int n)
{
    std::function<TKvHtmlElement*(TKvHtmlElement*)> walk =
        [&](TKvHtmlElement* e) -> TKvHtmlElement* {
        if (e->TagName() == tag && n-- == 0)
            return e;
        for (TKvHtmlElement* c = e->FFirstChild; c; c = c->FNextSibling)
            if (TKvHtmlElement* hit = walk(c))
                return hit;
        return nullptr;
    };
    return document.Root() ? walk(document.Root()) : nullptr;
}

TKvHtmlElement* FirstInBody(TKvHtml& document)
{
    TKvHtmlElement* body = Find(document, "body");
    return body ? body->FFirstChild : nullptr;
}
