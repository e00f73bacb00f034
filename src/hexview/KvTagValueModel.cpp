#include "hexview/KvTagValueModel.h"

#include <utility>

void TKvTagValueModel::SetValue(TKvTagValue value)
{
    FValue = std::move(value);
    FPane = TTagValuePane::Hex;
}

void TKvTagValueModel::ShowPane(TTagValuePane pane)
{
    FPane = HasDecodedView() ? pane : TTagValuePane::Hex;
}

TTagValueControls TKvTagValueModel::Controls() const
{
    TTagValueControls controls;
    controls.HexVisible = FPane == TTagValuePane::Hex;
    controls.DecodedVisible = FPane == TTagValuePane::Decoded;
    controls.SwitchVisible = HasDecodedView();
    controls.SaveEnabled = !FValue.FileBytes.empty();
    return controls;
}

std::string TKvTagValueModel::DecodedEditText() const
{
    std::string text;
    if (!FValue.Decoded)
        return text;
    text.reserve(FValue.Decoded->size() + FValue.Decoded->size() / 16);
    char previous = '\0';
    for (char c : *FValue.Decoded) {
        if (c == '\n' && previous != '\r')
            text += '\r';
        text += c;
        previous = c;
    }
    return text;
}
