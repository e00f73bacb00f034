#include "shelldlg/KvPlacesBarModel.h"

TKvPlacesBarModel::TKvPlacesBarModel(std::vector<std::vector<bool>> filled)
    : FFilled(std::move(filled))
{
    for (const auto& list : FFilled)
        FStates.emplace_back(list.size(), 0);
}

std::int32_t TKvPlacesBarModel::Width() const
{
    return PlaceCellWidth * static_cast<std::int32_t>(FFilled.size()) + 4;
}

TKvPlaceRef TKvPlacesBarModel::HitTest(std::int32_t x, std::int32_t y) const
{
    // Left of or above the bar (while captured) is outside it, not cell 0.
    if (x < 0 || y < 0)
        return {};
    std::int32_t list = x / PlaceCellWidth, place = y / PlaceCellHeight;
    if (list >= static_cast<std::int32_t>(FFilled.size()) || place >= PlacesPerList)
        return {};
    const auto& column = FFilled[static_cast<std::size_t>(list)];
    if (place >= static_cast<std::int32_t>(column.size()) ||
        !column[static_cast<std::size_t>(place)])
        return {};
    return {static_cast<int>(list), static_cast<int>(place)};
}

std::uint8_t TKvPlacesBarModel::State(int list, int place) const
{
    return FStates.at(static_cast<std::size_t>(list)).at(static_cast<std::size_t>(place));
}

void TKvPlacesBarModel::SetBit(const TKvPlaceRef& ref, std::uint8_t bit, bool on,
                               TKvPlacesAction& action)
{
    if (!ref.Valid())
        return;
    std::uint8_t& s =
        FStates[static_cast<std::size_t>(ref.FList)][static_cast<std::size_t>(ref.FPlace)];
    std::uint8_t n = static_cast<std::uint8_t>(on ? s | bit : s & ~bit);
    if (n != s) {
        s = n;
        action.FRepaint = true;
    }
}

void TKvPlacesBarModel::SetHot(const TKvPlaceRef& hot, TKvPlacesAction& action)
{
    if (hot == FHot)
        return;
    SetBit(FHot, psHot, false, action);
    SetBit(hot, psHot, true, action);
    FHot = hot;
}

TKvPlacesAction TKvPlacesBarModel::MouseMove(std::int32_t x, std::int32_t y)
{
    TKvPlacesAction action;
    TKvPlaceRef hit = HitTest(x, y);
    if (FPressed.Valid()) {
        FOverPressed = hit == FPressed;
        SetBit(FPressed, psPressed, FOverPressed, action);
    } else {
        SetHot(hit, action);
    }
    action.FCapture = FPressed.Valid() || FHot.Valid();
    return action;
}

TKvPlacesAction TKvPlacesBarModel::MouseDown(std::int32_t x, std::int32_t y)
{
    TKvPlacesAction action;
    TKvPlaceRef hit = HitTest(x, y);
    if (hit.Valid()) {
        SetHot({}, action);
        FPressed = hit;
        FOverPressed = true;
        SetBit(hit, psPressed, true, action);
    }
    action.FCapture = FPressed.Valid() || FHot.Valid();
    return action;
}

TKvPlacesAction TKvPlacesBarModel::MouseUp(std::int32_t x, std::int32_t y)
{
    TKvPlacesAction action;
    if (FPressed.Valid()) {
        TKvPlaceRef pressed = FPressed;
        SetBit(pressed, psPressed, false, action);
        FPressed = {};
        FOverPressed = false;
        if (HitTest(x, y) == pressed)
            action.FClicked = pressed;
    }
    TKvPlacesAction hot = MouseMove(x, y);
    action.FRepaint = action.FRepaint || hot.FRepaint;
    action.FCapture = hot.FCapture;
    return action;
}
