// The places bar's state without a window: which place is hot, pressed or
// current, and what a mouse event does to them.
#pragma once

#include <cstdint>
#include <vector>

inline constexpr std::int32_t PlaceCellWidth = 83;
inline constexpr std::int32_t PlaceCellHeight = 52;
inline constexpr int PlacesPerList = 5;

enum TKvPlaceState : std::uint8_t { psHot = 1, psPressed = 2, psCurrent = 4 };

struct TKvPlaceRef {
    int FList = -1;
    int FPlace = -1;
    bool Valid() const { return FList >= 0; }
    bool operator==(const TKvPlaceRef&) const = default;
};

// What the window must do after a mouse event.
struct TKvPlacesAction {
    bool FRepaint = false;
    bool FCapture = false;  // hold the mouse capture (else release it)
    TKvPlaceRef FClicked;   // call the click handler with it when valid
};

class TKvPlacesBarModel {
public:
    // filled[list][place]: whether the place holds an item.
    explicit TKvPlacesBarModel(std::vector<std::vector<bool>> filled);

    std::int32_t Width() const;
    TKvPlaceRef HitTest(std::int32_t x, std::int32_t y) const;
    std::uint8_t State(int list, int place) const;
    // Sunken: pressed or current.
    bool Sunken(int list, int place) const { return State(list, place) >= psPressed; }

    TKvPlacesAction MouseMove(std::int32_t x, std::int32_t y);
    TKvPlacesAction MouseDown(std::int32_t x, std::int32_t y);
    TKvPlacesAction MouseUp(std::int32_t x, std::int32_t y);
    // Marks as current the places for which isCurrent answers true.
    template <class F>
    bool SetCurrent(F isCurrent);

private:
    void SetHot(const TKvPlaceRef& hot, TKvPlacesAction& action);
    void SetBit(const TKvPlaceRef& ref, std::uint8_t bit, bool on, TKvPlacesAction& action);

    std::vector<std::vector<bool>> FFilled;
    std::vector<std::vector<std::uint8_t>> FStates;
    TKvPlaceRef FHot;
    TKvPlaceRef FPressed;
    bool FOverPressed = false;
};

template <class F>
bool TKvPlacesBarModel::SetCurrent(F isCurrent)
{
    bool changed = false;
    for (std::size_t l = 0; l < FStates.size(); ++l)
        for (std::size_t p = 0; p < FStates[l].size(); ++p) {
            bool on = FFilled[l][p] && isCurrent(static_cast<int>(l), static_cast<int>(p));
            std::uint8_t s = static_cast<std::uint8_t>(on ? FStates[l][p] | psCurrent
                                                          : FStates[l][p] & ~psCurrent);
            changed = changed || s != FStates[l][p];
            FStates[l][p] = s;
        }
    return changed;
}
