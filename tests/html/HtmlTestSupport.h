// Shared helpers of the HTML engine tests.
#pragma once

#include <string>

#include "html/KvHtml.h"
#include "html/KvHtmlCanvasLog.h"
#include "html/KvHtmlElements.h"

// Loads the text; the engine parses lazily, so nothing fails here.
void Load(TKvHtml& document, const std::string& text);

// Parses and runs the width pass; returns the failure text or "".
std::string Measure(TKvHtml& document, TKvHtmlCanvas& dc, std::int32_t& minimum,
                    std::int32_t& maximum);

// A document loaded, parsed and measured with the deterministic canvas.
struct TParsed {
    TKvHtml FDocument;
    TKvHtmlCanvasLog FDc;
    std::string FError;  // the failure text, or ""
    explicit TParsed(const std::string& text);
};

// An internal failure's text with the unit and position written "KvHtml N.N":
// which line of the engine refused is its own business, the form is not.
std::string WithoutPosition(const std::string& failure);

// The failure text of parsing and measuring the text ("" when it succeeds),
// without its position.
std::string ParseFailure(const std::string& text);

// Loads, lays out at width with the deterministic canvas and returns the
// dump, or "error: <text>" with the position written as ParseFailure does.
std::string Layout(const std::string& text, std::int32_t width);

// The n-th element (0-based) with the tag in document order.
TKvHtmlElement* Find(TKvHtml& document, const std::string& tag, int n = 0);

// The body's first child, the usual subject of a style test.
TKvHtmlElement* FirstInBody(TKvHtml& document);
