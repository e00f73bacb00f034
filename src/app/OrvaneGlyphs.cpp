#include "app/OrvaneGlyphs.h"

#include "window/PlaceNearRect.h"

#include <initializer_list>

namespace {

constexpr TKvRgb Black{0, 0, 0};

// Axis-aligned lines drawn up to, not including, their end point.
void Line(TKvImage& img, int x0, int y0, int x1, int y1)
{
    int dx = (x1 > x0) - (x1 < x0), dy = (y1 > y0) - (y1 < y0);
    for (int x = x0, y = y0; x != x1 || y != y1; x += dx, y += dy)
        img.At(x, y) = Black;
}

void Outline(TKvImage& img, std::initializer_list<TKvPoint> points)
{
    const TKvPoint* prev = nullptr;
    for (const TKvPoint& p : points) {
        if (prev)
            Line(img, prev->X, prev->Y, p.X, p.Y);
        prev = &p;
    }
}

void LeftTriangle(TKvImage& img)
{
    for (int y = 6; y <= 10; ++y)
        Line(img, 16, y, 2 * (10 - y) + 6, y);
    for (int y = 11; y <= 15; ++y)
        Line(img, 16, y, 2 * (y - 11) + 6, y);
}

void RightTriangle(TKvImage& img)
{
    for (int y = 6; y <= 10; ++y)
        Line(img, 5, y, 15 - 2 * (10 - y), y);
    for (int y = 11; y <= 15; ++y)
        Line(img, 5, y, 15 - 2 * (y - 11), y);
}

}  // namespace

TKvImage DrawNavGlyph(TNavGlyph kind)
{
    TKvImage img(21, 21);
    switch (kind) {
    case TNavGlyph::First:
        Outline(img, {{5, 6}, {6, 6}, {6, 15}, {5, 15}, {5, 5}});
        [[fallthrough]];
    case TNavGlyph::Previous: LeftTriangle(img); break;
    case TNavGlyph::Last:
        Outline(img, {{15, 6}, {16, 6}, {16, 15}, {15, 15}, {15, 5}});
        [[fallthrough]];
    case TNavGlyph::Next: RightTriangle(img); break;
    }
    return img;
}
