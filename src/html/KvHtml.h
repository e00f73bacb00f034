// The HTML engine's document and the bases of its element and attribute
// classes. The engine renders the fixed subset of HTML that the program's own
// pages and the news text use; every supported tag and attribute is a class
// of its own and carries its behaviour in virtual operations.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "html/KvHtmlCanvas.h"
#include "io/SysErr.h"

class TKvHtml;
class TKvHtmlElement;
class TKvHtmlElementRoot;
class TKvHtmlElementTable;
class TKvHtmlAttribute;
class TKvTelnetData;
class TKvTelnetDataCursor;
class TKvHtmlSizeMinmaxwidthData;
class TKvHtmlSizeHeightForWidthData;
class TKvHtmlRenderData;

// Raises the engine's unit-and-position failure ("KvHtml 3009.72").
[[noreturn]] void KvHtmlFail(const char* position);
[[noreturn]] void KvHtmlFail(const char* position, const std::string& note);

// Deeper nesting than this is refused: every level costs recursion, and the
// news part of the pages comes from the network.
inline constexpr int KvHtmlMaxDepth = 256;
// Pixel numbers and spans read from the text stay below these, so sums of
// them never wrap.
inline constexpr std::int32_t KvHtmlMaxPixels = 100000;
inline constexpr std::int32_t KvHtmlMaxColspan = 1000;

struct FontEntry {
    TKvHtmlLogFont FLogFont;
    std::unique_ptr<TKvHtmlFont> FFont;
    std::int32_t FMetricsValid = 0;
    std::int32_t FBlankWidth = 0;
    std::int32_t FAscent = 0;
    std::int32_t FDescent = 0;
};

// One word or space of a text run, or the place of an image in a line.
struct WordItem {
    enum : std::uint8_t { KindSpace = 0, KindWord = 1 };
    std::uint8_t FKind = KindWord;
    std::int32_t FWidth = 0;
    std::int32_t FAscent = 0;
    std::int32_t FDescent = 0;
    std::uint8_t FSuppressed = 0;
    std::int32_t FX = 0;
    std::int32_t FLineTop = 0;
    std::int32_t FBaseline = 0;
    std::string FText;
};

struct TKvHtmlLink {
    bool FIsLink = false;
    std::string FHref;
    std::string FTitle;
};

// Resolves an image by name; image stays null when there is none. The
// callback's owner owns the images.
using TKvHtmlGetImage =
    std::function<void(TKvHtml& document, const std::string& name, TKvHtmlImage*& image,
                       std::int32_t& width, std::int32_t& height)>;

class TKvHtmlAttribute {
public:
    virtual ~TKvHtmlAttribute() = default;
    virtual const char* AttrName() const = 0;
    // Stores the value; classes with an effect also apply it to the owner.
    virtual void Apply(const std::string& value) { FValue = value; }

    TKvHtmlElement* FOwner = nullptr;
    TKvHtmlAttribute* FPrev = nullptr;
    TKvHtmlAttribute* FNext = nullptr;
    std::string FValue;
};

class TKvHtmlElement {
public:
    enum : std::uint8_t { StateNone = 0, StateOpen = 1, StateChildOpen = 2, StateClosed = 3 };
    enum : std::uint8_t { AlignLeft = 0, AlignCenter = 1, AlignRight = 2, AlignJustify = 3 };

    TKvHtmlElement() = default;
    TKvHtmlElement(const TKvHtmlElement&) = delete;
    TKvHtmlElement& operator=(const TKvHtmlElement&) = delete;

    virtual const char* TagName() const = 0;
    virtual bool IsEmpty() const { return false; }
    virtual bool IsBlock() const { return true; }
    virtual void InitStyle();
    virtual void AddAttribute(const std::string& name, const std::string& value);
    virtual void ApplyStyleProperty(const std::string& name, const std::string& value);
    virtual void OpenChild(const std::string& tag);
    virtual void Close() {}
    virtual void BlockBoundary();
    virtual void MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                               std::int32_t& maximum);
    virtual void LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x, std::int32_t& y,
                              std::int32_t width);
    virtual void ShiftY(std::int32_t dy);
    virtual void Render(TKvHtmlRenderData& state);
    virtual TKvHtmlElement* HitTest(std::int32_t x, std::int32_t y);
    virtual TKvHtmlLink GetLink() const;
    virtual std::int32_t GetTop() const { return FBoxY; }
    virtual ~TKvHtmlElement();

    // Tree building.
    void AppendChild(TKvHtmlElement* child);
    void AppendAttribute(TKvHtmlAttribute* attribute);
    void RegisterId(const std::string& id);
    void Parse();
    // "root html body p": the tag names from the root down to this element.
    std::string Path() const;
    void ReadStyle(const std::string& value);
    void ShiftChildren(std::int32_t dy);

    TKvHtml* FDocument = nullptr;
    TKvHtmlElement* FParent = nullptr;
    TKvHtmlElement* FPrevSibling = nullptr;
    TKvHtmlElement* FNextSibling = nullptr;
    TKvHtmlElement* FFirstChild = nullptr;
    TKvHtmlElement* FLastChild = nullptr;

    std::uint8_t FIdRegistered = 0;
    std::string FId;
    TKvHtmlElement* FIdPrev = nullptr;
    TKvHtmlElement* FIdNext = nullptr;

    TKvHtmlAttribute* FFirstAttribute = nullptr;
    TKvHtmlAttribute* FLastAttribute = nullptr;

    std::uint8_t FParseState = StateNone;

    std::int32_t FMarginTop = 0, FMarginBottom = 0, FMarginLeft = 0, FMarginRight = 0;
    std::int32_t FBorderTop = 0, FBorderBottom = 0, FBorderLeft = 0, FBorderRight = 0;
    std::int32_t FPaddingTop = 0, FPaddingBottom = 0, FPaddingLeft = 0, FPaddingRight = 0;

    std::string FFontFace;
    std::int32_t FFontSize = 0;
    std::uint8_t FBold = 0;
    std::uint8_t FUnderline = 0;
    std::int32_t FListDepth = 0;

    TKvColor FBackgroundColor = 0;
    std::unique_ptr<TKvHtmlBrush> FBackgroundBrush;
    TKvColor FTextColor = 0;
    TKvColor FLinkColor = 0;
    TKvColor FActiveLinkColor = 0;
    TKvColor FVisitedLinkColor = 0;

    std::string FBackgroundImageName;
    std::uint8_t FBackgroundRepeat = 0;
    TKvHtmlImage* FBackgroundImage = nullptr;
    std::int32_t FBackgroundImageWidth = 0;
    std::int32_t FBackgroundImageHeight = 0;

    std::uint8_t FAlign = AlignLeft;
    TKvHtmlElementTable* FTable = nullptr;

    std::int32_t FBoxX = 0, FBoxY = 0, FBoxWidth = 0, FBoxHeight = 0;
    // Nesting level below the root, for the depth limit.
    std::int32_t FDepth = 0;

    // Left margin + borders + paddings + right margin.
    std::int32_t HorizontalBox() const;

protected:
    void InheritStyle();
    // Creates the attribute named in the table (lookup in order) or fails
    // with the element's own text.
    struct AttributeClass {
        const char* FName;
        TKvHtmlAttribute* (*FCreate)();
    };
    bool AddFromTable(const AttributeClass* table, std::size_t count, const std::string& name,
                      const std::string& value);
    // Creates, attaches and opens one child of the given class.
    void StartChild(TKvHtmlElement* child, bool readAttributes);
    bool OpenFromList(const std::string& tag, const std::vector<const char*>& tags);
    bool OpenGeneric(const std::string& tag);
    [[noreturn]] void FailUnsupported(const std::string& tag) const;
    void MeasureChildren(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                         std::int32_t& maximum);
    void LayoutChildren(TKvHtmlSizeHeightForWidthData& state, std::int32_t x, std::int32_t& y,
                        std::int32_t width);
    void RenderChildren(TKvHtmlRenderData& state);
    void RenderBackground(TKvHtmlRenderData& state);
    TKvHtmlElement* HitTestChildren(std::int32_t x, std::int32_t y);

private:
    void ContentStep();
    void ReadEndTag();
    void ReadTextRun(bool skippedWhitespace);
    void CloseAtEnd();
};

class TKvHtml {
public:
    TKvHtml();
    ~TKvHtml();
    TKvHtml(const TKvHtml&) = delete;
    TKvHtml& operator=(const TKvHtml&) = delete;

    void LoadFromString(const std::string& text, TErrCode& errCode, std::string& errText);
    void ComputeMinMaxWidth(TKvHtmlCanvas& dc, std::int32_t& minimum, std::int32_t& maximum,
                            TErrCode& errCode, std::string& errText);
    void ComputeHeightForWidth(TKvHtmlCanvas& dc, std::int32_t width, std::int32_t& height,
                               TErrCode& errCode, std::string& errText);
    void RenderTo(TKvHtmlCanvas& dc, std::int32_t originX, std::int32_t originY,
                  std::int32_t clipLeft, std::int32_t clipTop, std::int32_t clipWidth,
                  std::int32_t clipHeight, TErrCode& errCode, std::string& errText);
    TKvHtmlElement* ElementAt(std::int32_t x, std::int32_t y);
    TKvHtmlElement* FindById(const std::string& id) const;

    // The font cache entry for an element's font, created on first use.
    FontEntry& LookupFont(TKvHtmlCanvas& dc, const TKvHtmlElement& element);
    std::size_t FontCount() const;

    TKvHtmlElementRoot* Root() const { return FRoot; }

    TKvHtmlGetImage OnGetImage;

    // Parser state shared by the element classes.
    TKvTelnetDataCursor& Cursor() { return *FCursor; }
    class TKvHtmlElementText* FLastTextRun = nullptr;
    TKvHtmlElement* FFirstId = nullptr;
    TKvHtmlElement* FLastId = nullptr;
    // After a parse failure every later width, height and paint call raises
    // the same failure again until the next LoadFromString, so a viewer can
    // show the text on each repaint.
    bool Failed() const { return FFailed; }
    const std::string& FailText() const { return FFailText; }

private:
    void MarkFailed(const std::string& text);
    void ParseAll();
    void CheckFailed() const;
    void FreeTree();
    void EnsureMeasured(TKvHtmlCanvas& dc);

    TKvHtmlElementRoot* FRoot = nullptr;
    TKvTelnetDataCursor* FCursor = nullptr;
    std::vector<std::unique_ptr<FontEntry>> FFonts;
    bool FFailed = false;
    std::string FFailText;
    bool FMeasured = false;
};
