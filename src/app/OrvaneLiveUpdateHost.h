// What the live update and the auto-update need from the main window beyond
// its widgets: the stored copy, the posted message, the pages to rebuild, the
// prompt and the update window. The viewer runs without them when no host is
// given.
#pragma once

#include <functional>
#include <string>

#include "app/FOrvaneLiveUpdate.h"
#include "io/SysErr.h"

class TFrmOrvaneLiveUpdateThread;

class IKvLiveUpdateHost {
public:
    virtual ~IKvLiveUpdateHost() = default;
    virtual IKvLiveUpdateRegistry& LiveUpdateRegistry() = 0;
    // Posts WM_LIVEUPDATE to the window; safe to call once the window is gone.
    virtual std::function<void()> LiveUpdatePoster() = 0;
    // Last settings of a new worker before it starts (tests shorten its pause
    // and point it at their own server).
    virtual void PrepareLiveUpdateThread(TFrmOrvaneLiveUpdateThread&) {}
    // The About page when the window is visible, the manual page when the
    // manual is open.
    virtual void RebuildLiveUpdatePages() = 0;
    // The "Auto-update" box; true on OK.
    virtual bool AskForUpdate() = 0;
    // The modal update window; true when it closed with OK, with the
    // download's status and message.
    virtual bool ShowUpdateWindow(TErrCode& status, std::string& message) = 0;
};

inline constexpr const char* UpdatePromptText =
    "A new Orvane version is available from the Kestrova website. Hit 'OK' to start the "
    "auto-update, or 'Cancel' to post-pone that action.";
inline constexpr const char* UpdatePromptCaption = "Auto-update";
