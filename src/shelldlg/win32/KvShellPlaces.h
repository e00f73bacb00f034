// The five places of the places bar: from the policy key that the system's
// own file dialogs honour, or the defaults (recent documents, desktop,
// documents, computer, network).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <array>
#include <string>

inline constexpr const char* PlacesBarPolicyKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\ComDlg32\\PlacesBar";

struct TKvPlace {
    LPITEMIDLIST FItem = nullptr;  // none: an empty place
    bool FSpecial = false;
    int FSpecialNumber = 0;
    bool FCaptionKnown = false;
    std::string FCaption;
    bool FIconKnown = false;
    int FIcon = -1;
};

class TKvShellPlaces {
public:
    static constexpr int Count = 5;
    TKvShellPlaces() = default;
    ~TKvShellPlaces();
    TKvShellPlaces(const TKvShellPlaces&) = delete;
    TKvShellPlaces& operator=(const TKvShellPlaces&) = delete;

    void Load(HKEY root = HKEY_CURRENT_USER, const char* keyPath = PlacesBarPolicyKey);
    bool UsesDefaults() const { return FDefaults; }
    LPCITEMIDLIST Item(int place) const { return FPlaces[static_cast<std::size_t>(place)].FItem; }
    const std::string& Caption(int place);
    int Icon(int place);
    HIMAGELIST LargeImages() const { return FImages; }

private:
    void SetSpecial(int place, int number);
    void Clear();

    bool FDefaults = false;
    HIMAGELIST FImages = nullptr;
    std::array<TKvPlace, Count> FPlaces;
};
