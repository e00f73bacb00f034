// One class per supported attribute. Classes that only name themselves are
// accepted and stored but change nothing.
#pragma once

#include "html/KvHtml.h"

#define KV_HTML_STORED_ATTRIBUTE(Class, Base, Name)                                                \
    class Class : public Base {                                                                    \
    public:                                                                                        \
        const char* AttrName() const override { return Name; }                                     \
    };

// Shared behaviour of attributes that several elements accept.
class TKvHtmlAttributeStyle : public TKvHtmlAttribute {
public:
    void Apply(const std::string& value) override;
};

class TKvHtmlAttributeBgcolor : public TKvHtmlAttribute {
public:
    void Apply(const std::string& value) override;
};

KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyStyle, TKvHtmlAttributeStyle, "style")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyText, TKvHtmlAttribute, "text")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyBgcolor, TKvHtmlAttributeBgcolor, "bgcolor")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyLink, TKvHtmlAttribute, "link")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyAlink, TKvHtmlAttribute, "alink")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyVlink, TKvHtmlAttribute, "vlink")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeBodyAlt, TKvHtmlAttribute, "alt")

class TKvHtmlAttributeH1Id : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "id"; }
    void Apply(const std::string& value) override;
};
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeH1Style, TKvHtmlAttributeStyle, "style")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributePStyle, TKvHtmlAttributeStyle, "style")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeUlStyle, TKvHtmlAttributeStyle, "style")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeDivStyle, TKvHtmlAttributeStyle, "style")

class TKvHtmlAttributeAHref : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "href"; }
    void Apply(const std::string& value) override;
};
class TKvHtmlAttributeATitle : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "title"; }
    void Apply(const std::string& value) override;
};

KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeTableCellspacing, TKvHtmlAttribute, "cellspacing")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeTableCellpadding, TKvHtmlAttribute, "cellpadding")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeTableWidth, TKvHtmlAttribute, "width")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeTableBorder, TKvHtmlAttribute, "border")

class TKvHtmlAttributeColWidth : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "width"; }
    void Apply(const std::string& value) override;
};

class TKvHtmlAttributeTdColspan : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "colspan"; }
    void Apply(const std::string& value) override;
};
class TKvHtmlAttributeTdValign : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "valign"; }
    void Apply(const std::string& value) override;
};
class TKvHtmlAttributeTdAlign : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "align"; }
    void Apply(const std::string& value) override;
};
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeTdBgcolor, TKvHtmlAttributeBgcolor, "bgcolor")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeTdStyle, TKvHtmlAttributeStyle, "style")

class TKvHtmlAttributeFontFace : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "face"; }
    void Apply(const std::string& value) override;
};
class TKvHtmlAttributeFontSize : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "size"; }
    void Apply(const std::string& value) override;
};

class TKvHtmlAttributeImgSrc : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "src"; }
    void Apply(const std::string& value) override;
};
class TKvHtmlAttributeImgWidth : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "width"; }
    void Apply(const std::string& value) override;
};
class TKvHtmlAttributeImgHeight : public TKvHtmlAttribute {
public:
    const char* AttrName() const override { return "height"; }
    void Apply(const std::string& value) override;
};
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeImgBorder, TKvHtmlAttribute, "border")
KV_HTML_STORED_ATTRIBUTE(TKvHtmlAttributeImgAlt, TKvHtmlAttribute, "alt")

#undef KV_HTML_STORED_ATTRIBUTE
