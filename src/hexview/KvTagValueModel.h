// What the tag value window shows of one value, free of any window system:
// the hex dump always, a decoded view beside it for tags that have one, and
// which of the two is on show.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TKvTagValue {
    std::string Caption;
    std::vector<std::uint8_t> Bytes;      // as the hex dump shows them
    std::vector<std::uint8_t> FileBytes;  // as the file holds them: what Save writes
    std::optional<std::string> Decoded;   // UTF-8 lines; none without a decoder
};

enum class TTagValuePane { Hex, Decoded };

struct TTagValueControls {
    bool HexVisible = true;
    bool DecodedVisible = false;
    bool SwitchVisible = false;  // the "Hex" / "Decoded" choice
    bool SaveEnabled = false;
};

class TKvTagValueModel {
public:
    void SetValue(TKvTagValue value);
    const TKvTagValue& Value() const { return FValue; }

    bool HasDecodedView() const { return FValue.Decoded.has_value(); }
    // A value without a decoded view stays on the hex dump.
    void ShowPane(TTagValuePane pane);
    TTagValuePane Pane() const { return FPane; }
    TTagValueControls Controls() const;

    // The decoded lines with CR LF ends, as a multi-line edit control wants
    // them.
    std::string DecodedEditText() const;

private:
    TKvTagValue FValue;
    TTagValuePane FPane = TTagValuePane::Hex;
};
