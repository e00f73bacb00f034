// The parser: a push-down automaton spread over the element classes. Each open
// element reads its own content one token at a time and hands start tags to
// its OpenChild, which knows the children that element may have.
#include <vector>

#include "html/KvHtml.h"
#include "html/KvHtmlElements.h"
#include "html/KvHtmlValues.h"
#include "html/KvMailData.h"

namespace {

bool IsWhitespace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool SkipWhitespace(TKvTelnetDataCursor& cursor)
{
    bool skipped = false;
    while (!cursor.AtEnd() && IsWhitespace(cursor.Current())) {
        cursor.Advance();
        skipped = true;
    }
    return skipped;
}

std::string ReadTagName(TKvTelnetDataCursor& cursor)
{
    std::string name;
    while (!cursor.AtEnd() && !IsWhitespace(cursor.Current()) && cursor.Current() != '>') {
        name += KvLowerAscii(cursor.Current());
        cursor.Advance();
    }
    return name;
}

// "&nbsp;" becomes one blank inside the word; any other "&" is literal. The
// look-ahead for ";" stops after 17 characters.
bool ReadNbsp(TKvTelnetDataCursor& cursor)
{
    const char* start = cursor.Save();
    cursor.Advance();
    int scanned = 0;
    bool found = false;
    while (scanned < 17 && !cursor.AtEnd()) {
        if (cursor.Current() == ';') {
            found = scanned > 0;
            break;
        }
        cursor.Advance();
        ++scanned;
    }
    if (found && cursor.TextSince(start) == "&nbsp") {
        cursor.Advance();
        return true;
    }
    cursor.Restore(start);
    return false;
}

constexpr std::size_t MaxWordLength = 256;

void ReadAttributeList(TKvHtmlElement& element)
{
    TKvTelnetDataCursor& cursor = element.FDocument->Cursor();
    for (;;) {
        SkipWhitespace(cursor);
        if (cursor.AtEnd())
            return;
        if (cursor.Current() == '>') {
            cursor.Advance();
            return;
        }
        std::string name;
        while (!cursor.AtEnd() && !IsWhitespace(cursor.Current()) && cursor.Current() != '=') {
            name += KvLowerAscii(cursor.Current());
            cursor.Advance();
        }
        SkipWhitespace(cursor);
        if (cursor.AtEnd() || cursor.Current() != '=')
            KvHtmlFail("3756.87");
        cursor.Advance();
        SkipWhitespace(cursor);
        if (!cursor.AtEnd() && cursor.Current() == '\'')
            KvHtmlFail("3767.74");
        if (cursor.AtEnd() || cursor.Current() != '"')
            KvHtmlFail("3786.74");
        cursor.Advance();
        const char* start = cursor.Save();
        while (!cursor.AtEnd() && cursor.Current() != '"')
            cursor.Advance();
        std::string value = cursor.TextSince(start);
        cursor.Advance();
        element.AddAttribute(name, value);
    }
}

}  // namespace

void TKvHtmlElement::Parse()
{
    for (;;) {
        if (FParseState == StateOpen) {
            ContentStep();
        } else if (FParseState == StateChildOpen) {
            // A child open without a child, or a child that returned closed
            // while this element still waits for it, cannot be resumed.
            if (!FLastChild)
                KvHtmlFail("3942.74");
            FLastChild->Parse();
            if (FParseState == StateChildOpen)
                KvHtmlFail("3942.74");
        } else if (FParseState == StateNone || FParseState == StateClosed) {
            return;
        } else {
            KvHtmlFail("3942.74");
        }
    }
}

void TKvHtmlElement::ContentStep()
{
    TKvTelnetDataCursor& cursor = FDocument->Cursor();
    bool skipped = SkipWhitespace(cursor);
    if (cursor.AtEnd()) {
        CloseAtEnd();
        return;
    }
    if (cursor.Current() != '<') {
        ReadTextRun(skipped);
        return;
    }
    cursor.Advance();
    if (cursor.AtEnd())
        KvHtmlFail("3987.106");
    if (cursor.Current() == '!') {
        cursor.Advance();
        if (cursor.AtEnd())
            KvHtmlFail("3992.108");
        while (!cursor.AtEnd() && cursor.Current() != '>')
            cursor.Advance();
        cursor.Advance();
        return;
    }
    if (cursor.Current() == '/') {
        cursor.Advance();
        if (cursor.AtEnd())
            KvHtmlFail("3998.108");
        ReadEndTag();
        return;
    }
    OpenChild(ReadTagName(cursor));
}

void TKvHtmlElement::CloseAtEnd()
{
    Close();
    FParseState = StateClosed;
    if (FParent)
        FParent->FParseState = StateOpen;
}

void TKvHtmlElement::ReadEndTag()
{
    TKvTelnetDataCursor& cursor = FDocument->Cursor();
    std::string name = ReadTagName(cursor);
    if (cursor.AtEnd() || cursor.Current() != '>')
        KvHtmlFail("4303.117");
    cursor.Advance();
    TKvHtmlElement* found = this;
    while (found && name != found->TagName())
        found = found->FParent;
    if (!found)
        return;
    for (TKvHtmlElement* e = this;; e = e->FParent) {
        e->BlockBoundary();
        e->Close();
        e->FParseState = StateClosed;
        if (e == found)
            break;
    }
    if (!found->FParent)
        KvHtmlFail("4323.91");
    found->FParent->FParseState = StateOpen;
}

void TKvHtmlElement::ReadTextRun(bool skippedWhitespace)
{
    TKvTelnetDataCursor& cursor = FDocument->Cursor();
    auto* run = new TKvHtmlElementText;
    std::unique_ptr<TKvHtmlElementText> guard(run);
    if (TKvHtmlElementText* last = FDocument->FLastTextRun) {
        if (last->FTrailingWhitespace) {
            last->AddItem(WordItem::KindSpace, " ");
            last->FTrailingWhitespace = 0;
        } else if (skippedWhitespace) {
            run->AddItem(WordItem::KindSpace, " ");
        }
    }
    std::string word;
    for (;;) {
        if (cursor.AtEnd() || cursor.Current() == '<') {
            if (!word.empty())
                run->AddItem(WordItem::KindWord, word);
            break;
        }
        if (IsWhitespace(cursor.Current())) {
            run->AddItem(WordItem::KindWord, word);
            word.clear();
            run->FTrailingWhitespace = 1;
            SkipWhitespace(cursor);
            continue;
        }
        if (word.empty() && run->FTrailingWhitespace) {
            run->AddItem(WordItem::KindSpace, " ");
            run->FTrailingWhitespace = 0;
        }
        char c = cursor.Current();
        if (c == '&' && ReadNbsp(cursor))
            c = ' ';
        else
            cursor.Advance();
        if (word.size() == MaxWordLength)
            KvHtmlFail("2738.75");
        word += c;
    }
    guard.release();
    AppendChild(run);
    run->InitStyle();
    run->Close();
    run->FParseState = StateClosed;
    FDocument->FLastTextRun = run;
}

void TKvHtmlElementText::AddItem(std::uint8_t kind, const std::string& text)
{
    WordItem item;
    item.FKind = kind;
    item.FText = text;
    FItems.push_back(std::move(item));
}

// ---------------------------------------------------------------- children

void TKvHtmlElement::BlockBoundary()
{
    if (IsBlock())
        FDocument->FLastTextRun = nullptr;
}

void TKvHtmlElementBr::BlockBoundary()
{
    FDocument->FLastTextRun = nullptr;
}

void TKvHtmlElement::StartChild(TKvHtmlElement* child, bool readAttributes)
{
    AppendChild(child);
    child->InitStyle();
    if (readAttributes)
        ReadAttributeList(*child);
    if (!child->IsEmpty())
        FParseState = StateChildOpen;
    child->BlockBoundary();
}

namespace {

template <class T>
TKvHtmlElement* Make()
{
    return new T;
}

struct TagClass {
    const char* FTag;
    TKvHtmlElement* (*FCreate)();
};

const TagClass GenericTags[] = {
    {"h1", Make<TKvHtmlElementH1>},     {"p", Make<TKvHtmlElementP>},
    {"ul", Make<TKvHtmlElementUl>},     {"a", Make<TKvHtmlElementA>},
    {"li", Make<TKvHtmlElementLi>},     {"br", Make<TKvHtmlElementBr>},
    {"b", Make<TKvHtmlElementB>},       {"table", Make<TKvHtmlElementTable>},
    {"font", Make<TKvHtmlElementFont>}, {"img", Make<TKvHtmlElementImg>},
    {"div", Make<TKvHtmlElementDiv>},
};

}  // namespace

bool TKvHtmlElement::OpenGeneric(const std::string& tag)
{
    for (const TagClass& c : GenericTags) {
        if (tag == c.FTag) {
            StartChild(c.FCreate(), true);
            return true;
        }
    }
    return false;
}

void TKvHtmlElement::FailUnsupported(const std::string& tag) const
{
    KvHtmlFail("3209.84", tag + " in " + Path());
}

void TKvHtmlElement::OpenChild(const std::string& tag)
{
    if (!OpenGeneric(tag))
        FailUnsupported(tag);
}

void TKvHtmlElementRoot::OpenChild(const std::string& tag)
{
    auto* html = new TKvHtmlElementHtml;
    if (tag == "html") {
        StartChild(html, true);
        FParseState = StateChildOpen;
        return;
    }
    AppendChild(html);
    html->InitStyle();
    FParseState = StateChildOpen;
    html->OpenChild(tag);
}

void TKvHtmlElementHtml::OpenChild(const std::string& tag)
{
    if (tag == "head") {
        StartChild(new TKvHtmlElementHead, true);
        return;
    }
    if (tag == "body") {
        StartChild(new TKvHtmlElementBody, true);
        return;
    }
    auto* body = new TKvHtmlElementBody;
    AppendChild(body);
    body->InitStyle();
    FParseState = StateChildOpen;
    body->OpenChild(tag);
}

void TKvHtmlElementHead::OpenChild(const std::string& tag)
{
    if (tag == "title")
        StartChild(new TKvHtmlElementTitle, true);
    else if (tag == "meta")
        StartChild(new TKvHtmlElementMeta, true);
    else
        KvHtmlFail("3395.84");
}

void TKvHtmlElementTable::OpenChild(const std::string& tag)
{
    if (tag == "col") {
        auto* col = new TKvHtmlElementCol;
        StartChild(col, true);
        col->Close();
        col->FParseState = StateClosed;
    } else if (tag == "tbody") {
        StartChild(new TKvHtmlElementTbody, true);
    } else if (tag == "tr") {
        StartChild(new TKvHtmlElementTr, true);
    } else {
        TKvHtmlElement::OpenChild(tag);
    }
}

void TKvHtmlElementTbody::OpenChild(const std::string& tag)
{
    if (tag == "tr")
        StartChild(new TKvHtmlElementTr, true);
    else
        TKvHtmlElement::OpenChild(tag);
}

void TKvHtmlElementTr::OpenChild(const std::string& tag)
{
    if (tag == "td")
        StartChild(new TKvHtmlElementTd, true);
    else
        TKvHtmlElement::OpenChild(tag);
}
