// The widgets and window-level services the tag viewer's logic drives. The
// Win32 window supplies real controls; tests supply recording fakes.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "hexview/KvTagValueModel.h"
#include "io/SysErr.h"

class IKvLiveUpdateRegistry;

class IKvTextWidget {
public:
    virtual ~IKvTextWidget() = default;
    virtual void SetText(const std::string& text) = 0;
};

class IKvButtonWidget {
public:
    virtual ~IKvButtonWidget() = default;
    virtual void SetEnabled(bool enabled) = 0;
};

using TKvTagRow = std::array<std::string, 4>;

class IKvListWidget {
public:
    virtual ~IKvListWidget() = default;
    virtual void Clear() = 0;
    virtual void AddRow(const TKvTagRow& row) = 0;
    // -1 when no row is selected.
    virtual std::int32_t SelectedIndex() = 0;
    virtual void SelectNone() = 0;
};

// What the window does as a whole, outside its widgets.
class IKvOrvaneHost {
public:
    virtual ~IKvOrvaneHost() = default;
    virtual void SetCaption(const std::string& text) = 0;
    virtual void SetApplicationTitle(const std::string& text) = 0;
    // The "Error" box, owned by the window.
    virtual void ShowError(const std::string& text) = 0;
    virtual void SetClipboardText(const std::string& text) = 0;
    // The shell's form of the path, empty when the shell cannot resolve it.
    virtual std::string DisplayPath(const std::string& path) = 0;
    // The TIFF open dialog next to the Browse button; false when cancelled.
    virtual bool ChooseTiffFile(std::string& path, TErrCode& errCode, std::string& errText) = 0;
    // The modal tag value window, placed next to "View Tag Value".
    virtual void ShowTagValue(const TKvTagValue& value) = 0;
    // Posts the page-count message to the window; the function must stay safe
    // to call after the window is gone.
    virtual std::function<void()> PageCountPoster() = 0;
    virtual void RepaintNow() = 0;
    virtual void CloseWindow() = 0;
    // The windows and routines of the command-line switches.
    virtual void RunSwitchRole(int role) = 0;

    // The About tab and the manual.
    virtual IKvLiveUpdateRegistry& LiveUpdateRegistry() = 0;
    // The main window's colour, 0x00BBGGRR.
    virtual std::uint32_t WindowColour() = 0;
    // Loads the page into the About tab's viewer, dropping a failure.
    virtual void SetAboutHtml(const std::string& html) = 0;
    // The shell's "open" of a web or mail address, shown maximised.
    virtual void OpenInShell(const std::string& href) = 0;
    // From now on F1 opens the manual window.
    virtual void InstallHelpKey() = 0;
    // The manual window, when it exists, builds its page again (new news).
    virtual void RebuildManualPage() = 0;
};

struct TOrvaneWidgets {
    IKvTextWidget* EdiFilename = nullptr;
    IKvListWidget* LivTags = nullptr;
    IKvButtonWidget* ButFirst = nullptr;
    IKvButtonWidget* ButPrevious = nullptr;
    IKvTextWidget* LabPage = nullptr;
    IKvButtonWidget* ButNext = nullptr;
    IKvButtonWidget* ButLast = nullptr;
    IKvButtonWidget* ButViewTagValue = nullptr;
    IKvButtonWidget* ButCopyTagsAsText = nullptr;
    IKvTextWidget* EdiTiffFileSize = nullptr;
    IKvTextWidget* EdiByteOrder = nullptr;
    IKvTextWidget* EdiNumberOfPages = nullptr;
    IKvTextWidget* EdiPageOffset = nullptr;
    IKvTextWidget* EdiPageRasterDataSize = nullptr;
};
