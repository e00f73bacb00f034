// One class per supported tag.
#pragma once

#include "html/KvHtml.h"

class TKvHtmlElementRoot : public TKvHtmlElement {
public:
    // The root paints nothing of its own: without a body, text would
    // otherwise land on a black box.
    TKvHtmlElementRoot() { FBackgroundColor = KvColorNone; }
    const char* TagName() const override { return "root"; }
    void InitStyle() override {}
    void OpenChild(const std::string& tag) override;
    TKvHtmlLink GetLink() const override { return {}; }
};

class TKvHtmlElementHtml : public TKvHtmlElement {
public:
    const char* TagName() const override { return "html"; }
    void OpenChild(const std::string& tag) override;
};

class TKvHtmlElementHead : public TKvHtmlElement {
public:
    const char* TagName() const override { return "head"; }
    void OpenChild(const std::string& tag) override;
    void MeasureMinMax(TKvHtmlSizeMinmaxwidthData&, std::int32_t&, std::int32_t&) override {}
    void LayoutHeight(TKvHtmlSizeHeightForWidthData&, std::int32_t, std::int32_t&,
                      std::int32_t) override
    {
    }
    void Render(TKvHtmlRenderData&) override {}
    // A head has no box; it answers "none" rather than failing.
    TKvHtmlElement* HitTest(std::int32_t, std::int32_t) override { return nullptr; }
};

class TKvHtmlElementTitle : public TKvHtmlElement {
public:
    const char* TagName() const override { return "title"; }
};

class TKvHtmlElementMeta : public TKvHtmlElement {
public:
    const char* TagName() const override { return "meta"; }
    bool IsEmpty() const override { return true; }
    void AddAttribute(const std::string& name, const std::string& value) override;

    std::string FHttpEquiv;
    std::string FName;
    std::string FContent;
};

class TKvHtmlElementBody : public TKvHtmlElement {
public:
    const char* TagName() const override { return "body"; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
    void Render(TKvHtmlRenderData& state) override;
};

class TKvHtmlElementH1 : public TKvHtmlElement {
public:
    const char* TagName() const override { return "h1"; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
};

class TKvHtmlElementP : public TKvHtmlElement {
public:
    const char* TagName() const override { return "p"; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
};

class TKvHtmlElementUl : public TKvHtmlElement {
public:
    const char* TagName() const override { return "ul"; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
};

class TKvHtmlElementLi : public TKvHtmlElement {
public:
    const char* TagName() const override { return "li"; }
    void InitStyle() override;
};

class TKvHtmlElementDiv : public TKvHtmlElement {
public:
    const char* TagName() const override { return "div"; }
    void AddAttribute(const std::string& name, const std::string& value) override;
};

class TKvHtmlElementA : public TKvHtmlElement {
public:
    const char* TagName() const override { return "a"; }
    bool IsBlock() const override { return false; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
    TKvHtmlLink GetLink() const override { return {true, FHref, FTitle}; }

    std::string FHref;
    std::string FTitle;
};

class TKvHtmlElementB : public TKvHtmlElement {
public:
    const char* TagName() const override { return "b"; }
    bool IsBlock() const override { return false; }
    void InitStyle() override;
};

class TKvHtmlElementFont : public TKvHtmlElement {
public:
    const char* TagName() const override { return "font"; }
    bool IsBlock() const override { return false; }
    void AddAttribute(const std::string& name, const std::string& value) override;
};

class TKvHtmlElementBr : public TKvHtmlElement {
public:
    const char* TagName() const override { return "br"; }
    bool IsEmpty() const override { return true; }
    bool IsBlock() const override { return false; }
    void BlockBoundary() override;
    void MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                       std::int32_t& maximum) override;
    void LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x, std::int32_t& y,
                      std::int32_t width) override;
    void Render(TKvHtmlRenderData&) override {}
    TKvHtmlElement* HitTest(std::int32_t, std::int32_t) override { return nullptr; }

    FontEntry* FFontEntry = nullptr;
    std::int32_t FLineHeight = 0;
};

class TKvHtmlElementImg : public TKvHtmlElement {
public:
    const char* TagName() const override { return "img"; }
    bool IsEmpty() const override { return true; }
    bool IsBlock() const override { return false; }
    void AddAttribute(const std::string& name, const std::string& value) override;
    void MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                       std::int32_t& maximum) override;
    void LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x, std::int32_t& y,
                      std::int32_t width) override;
    void ShiftY(std::int32_t dy) override;
    void Render(TKvHtmlRenderData& state) override;
    TKvHtmlElement* HitTest(std::int32_t x, std::int32_t y) override;

    std::string FSrc;
    std::int32_t FWidth = 0;
    std::int32_t FHeight = 0;
    WordItem FItem;
    TKvHtmlImage* FImage = nullptr;
    std::int32_t FImageWidth = 0;
    std::int32_t FImageHeight = 0;
};

class TKvHtmlElementText : public TKvHtmlElement {
public:
    const char* TagName() const override { return "text"; }
    void MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                       std::int32_t& maximum) override;
    void LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x, std::int32_t& y,
                      std::int32_t width) override;
    void ShiftY(std::int32_t dy) override;
    void Render(TKvHtmlRenderData& state) override;
    TKvHtmlElement* HitTest(std::int32_t x, std::int32_t y) override;

    void AddItem(std::uint8_t kind, const std::string& text);

    std::uint8_t FTrailingWhitespace = 0;
    std::vector<WordItem> FItems;
    FontEntry* FFontEntry = nullptr;
};

class TKvHtmlElementCol : public TKvHtmlElement {
public:
    const char* TagName() const override { return "col"; }
    bool IsEmpty() const override { return true; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
    void Close() override;

    std::int32_t FColumn = 0;
    std::int32_t FSpan = 1;
    std::int32_t FWidthGiven = 0;
    std::int32_t FWidth = 0;
};

class TKvHtmlElementTd : public TKvHtmlElement {
public:
    enum : std::uint8_t { VAlignTop = 0, VAlignMiddle = 1, VAlignBottom = 2, VAlignBaseline = 3 };

    const char* TagName() const override { return "td"; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
    void Close() override;

    std::int32_t FRow = 0;
    std::int32_t FStartColumn = 0;
    std::int32_t FColspan = 1;
    std::uint8_t FVAlign = VAlignTop;
    std::int32_t FMinWidth = 0;
    std::int32_t FMaxWidth = 0;
};

class TKvHtmlElementTr : public TKvHtmlElement {
public:
    const char* TagName() const override { return "tr"; }
    void OpenChild(const std::string& tag) override;
    void Close() override;
};

class TKvHtmlElementTbody : public TKvHtmlElement {
public:
    const char* TagName() const override { return "tbody"; }
    void OpenChild(const std::string& tag) override;
};

class TKvHtmlElementTable : public TKvHtmlElement {
public:
    const char* TagName() const override { return "table"; }
    void InitStyle() override;
    void AddAttribute(const std::string& name, const std::string& value) override;
    void OpenChild(const std::string& tag) override;
    void MeasureMinMax(TKvHtmlSizeMinmaxwidthData& state, std::int32_t& minimum,
                       std::int32_t& maximum) override;
    void LayoutHeight(TKvHtmlSizeHeightForWidthData& state, std::int32_t x, std::int32_t& y,
                      std::int32_t width) override;
    void ShiftY(std::int32_t dy) override;
    void Render(TKvHtmlRenderData& state) override;
    TKvHtmlElement* HitTest(std::int32_t x, std::int32_t y) override;

    // Table bookkeeping while parsing.
    void AddColumn(TKvHtmlElementCol& col);
    void PlaceCell(TKvHtmlElementTd& cell);
    void EndRow();
    TKvHtmlElementTd* Cell(std::int32_t row, std::int32_t column) const;
    // The cell starting at (row, column), or none.
    TKvHtmlElementTd* CellStart(std::int32_t row, std::int32_t column) const;

    struct TMinMax {
        std::int32_t FMin = 0;
        std::int32_t FMax = 0;
    };

    std::int32_t FCurrentRow = 0;
    std::int32_t FCurrentColumn = 0;
    std::int32_t FRowCount = 0;
    std::int32_t FColumnCount = 0;
    std::vector<TKvHtmlElementCol*> FColumns;
    std::vector<TKvHtmlElementTd*> FGrid;
    std::vector<TMinMax> FColumnMinMax;
    std::int32_t FSumMin = 0;
    std::int32_t FSumMax = 0;
    std::vector<std::int32_t> FColumnWidths;

private:
    void GrowColumns(std::int32_t columns);
    void GrowRows(std::int32_t rows);
    void ComputeColumnMinMax();
    void ComputeColumnWidths(std::int32_t available);
    void LayoutRow(TKvHtmlSizeHeightForWidthData& state, std::int32_t row, std::int32_t x,
                   std::int32_t& y);
};
