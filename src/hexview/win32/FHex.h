// "Tag view": the modal window that shows one tag value as a hex dump and,
// for tags that have one, as decoded text; Save writes the value to a file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "hexview/KvTagValueModel.h"
#include "hexview/win32/KvHexview.h"

class TFrmHex : public TKvWindow {
public:
    static constexpr int OuterWidth = 338;
    static constexpr int OuterHeight = 317;
    enum TControlId { idRadHex = 101, idRadDecoded, idButSave };

    // Created hidden, owned by Owner.
    bool Create(HWND owner);
    void SetValue(TKvTagValue value);
    void MoveTo(int left, int top);
    // Runs until Close (Enter, Escape or the window's close box).
    void ShowModal();
    // Writes the value's file bytes; a failure is shown in the "Error" box.
    bool SaveTo(const std::string& path);

    TKvHexview* Hexview() const { return FHexview.get(); }
    const TKvTagValueModel& Model() const { return FModel; }
    HWND Control(TControlId id) const { return GetDlgItem(Handle(), id); }
    HWND DecodedEdit() const { return FEdiDecoded; }
    static TFrmHex* Showing() { return FShowing; }

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND AddButton(const char* text, DWORD style, int id);
    void FormShow();
    void LayoutControls();
    void ShowControls();
    void Command(WORD id);
    void ButCloseClick() { FDone = true; }
    void ButSaveClick();
    bool ChooseSavePath(std::string& path);
    void ShowError(const std::string& text);

    HWND FOwner = nullptr;
    HWND FBev = nullptr;
    HWND FButClose = nullptr;
    HWND FRadHex = nullptr;
    HWND FRadDecoded = nullptr;
    HWND FButSave = nullptr;
    HWND FEdiDecoded = nullptr;
    TKvTagValueModel FModel;
    std::unique_ptr<TKvHexview> FHexview;
    bool FLayoutActive = false;
    bool FDone = false;
    static inline TFrmHex* FShowing = nullptr;
};
