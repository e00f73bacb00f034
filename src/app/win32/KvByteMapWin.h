// The byte map control: a picture of the whole file, each pixel coloured by
// the most telling class of the bytes it stands for, with the legend's
// classes, colours and byte counts below it. A click on the picture hands
// the offset of the byte it shows to the owner.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/KvStructureAnalysis.h"
#include "window/win32/KvWindow.h"

class TKvByteMapWin : public TKvPaintedWindow {
public:
    // In screen pixels, as the owner lays out its scaled controls.
    bool Create(HWND parent, int x, int y, int width, int height, UINT_PTR id = 0);
    // Null, or a file that could not be read, shows an empty picture.
    void SetMap(std::shared_ptr<const TKvStructureAnalysisResult> result);
    // The picture's place in client pixels, and its pixel count: the
    // analysis colours that many on its worker.
    RECT PictureRect() const;
    std::uint32_t PicturePixels() const;

    std::function<void(std::uint64_t offset)> FOnClick;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC dc, const RECT& band) override;
    void PaintLegend(HDC dc, const RECT& client) const;
    void Rasterise();
    void Click(int x, int y) const;
    const TByteClassMap* Map() const;

    std::shared_ptr<const TKvStructureAnalysisResult> FResult;
    std::vector<std::uint32_t> FPixels;  // 0xRRGGBB, rows from the top
    int FPixelWidth = 0;
    int FPixelHeight = 0;
};
