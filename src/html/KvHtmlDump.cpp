#include "html/KvHtmlDump.h"

#include "html/KvHtmlElements.h"

namespace {

void DumpItem(std::string& out, const std::string& indent, const WordItem& item)
{
    out += indent;
    out += item.FKind == WordItem::KindWord ? "word" : "space";
    out += " \"" + item.FText + "\"";
    out += " x " + std::to_string(item.FX) + " top " + std::to_string(item.FLineTop) + " base " +
           std::to_string(item.FBaseline) + " w " + std::to_string(item.FWidth);
    if (item.FKind == WordItem::KindSpace && item.FSuppressed)
        out += " suppressed";
    out += "\n";
}

void DumpElement(std::string& out, const TKvHtmlElement& e, int depth)
{
    std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    out += indent + e.TagName();
    if (auto* text = dynamic_cast<const TKvHtmlElementText*>(&e)) {
        out += "\n";
        for (const WordItem& item : text->FItems)
            DumpItem(out, indent + "  ", item);
        return;
    }
    if (auto* img = dynamic_cast<const TKvHtmlElementImg*>(&e)) {
        out += "\n";
        DumpItem(out, indent + "  ", img->FItem);
        return;
    }
    out += " " + std::to_string(e.FBoxX) + " " + std::to_string(e.FBoxY) + " " +
           std::to_string(e.FBoxWidth) + " " + std::to_string(e.FBoxHeight) + "\n";
    for (const TKvHtmlElement* child = e.FFirstChild; child; child = child->FNextSibling)
        DumpElement(out, *child, depth + 1);
}

struct TPlainText {
    std::string FText;
    bool FBlank = false;
    bool FBreak = false;

    void Word(const std::string& word)
    {
        if (!FText.empty() && (FBreak || FBlank))
            FText += FBreak ? "\r\n" : " ";
        FBreak = FBlank = false;
        FText += word;
    }
    void Walk(const TKvHtmlElement& e)
    {
        if (auto* text = dynamic_cast<const TKvHtmlElementText*>(&e)) {
            for (const WordItem& item : text->FItems) {
                if (item.FKind == WordItem::KindSpace)
                    FBlank = true;
                else if (!item.FText.empty())
                    Word(item.FText);
            }
            FBlank = FBlank || text->FTrailingWhitespace;
            return;
        }
        if (dynamic_cast<const TKvHtmlElementHead*>(&e))
            return;
        bool block = e.IsBlock();
        FBreak = FBreak || block || dynamic_cast<const TKvHtmlElementBr*>(&e);
        for (const TKvHtmlElement* child = e.FFirstChild; child; child = child->FNextSibling)
            Walk(*child);
        FBreak = FBreak || block;
    }
};

}  // namespace

std::string KvHtmlPlainText(const TKvHtml& document)
{
    TPlainText text;
    if (document.Root())
        text.Walk(*document.Root());
    return text.FText;
}

std::string KvHtmlDumpTree(const TKvHtml& document)
{
    std::string out;
    if (document.Root())
        DumpElement(out, *document.Root(), 0);
    return out;
}

std::string KvHtmlDumpLayout(TKvHtml& document, TKvHtmlCanvas& dc, std::int32_t width)
{
    TErrCode code = ErrOk;
    std::string text;
    std::int32_t minimum = 0, maximum = 0, height = 0;
    document.ComputeMinMaxWidth(dc, minimum, maximum, code, text);
    if (code == ErrOk)
        document.ComputeHeightForWidth(dc, width, height, code, text);
    if (code != ErrOk)
        RaiseInternal(text);
    return "min " + std::to_string(minimum) + " max " + std::to_string(maximum) + " height " +
           std::to_string(height) + "\n" + KvHtmlDumpTree(document);
}
