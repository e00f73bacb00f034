// The live update's and the auto-update's Win32 services for the main
// window: the registry copy, the posted message, the prompt and the update
// window.
#pragma once

#include <windows.h>

#include <functional>

#include "app/OrvaneLiveUpdateHost.h"
#include "app/win32/KvLiveUpdateRegistry.h"

class TOrvaneLiveUpdateWin : public IKvLiveUpdateHost {
public:
    explicit TOrvaneLiveUpdateWin(HWND mainWindow) : FMainWindow(mainWindow) {}

    // Rebuilds the About page and an open manual page for new facts.
    std::function<void()> OnRebuildPages;

    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return FRegistry; }
    std::function<void()> LiveUpdatePoster() override;
    void RebuildLiveUpdatePages() override;
    bool AskForUpdate() override;
    bool ShowUpdateWindow(TErrCode& status, std::string& message) override;

private:
    HWND FMainWindow;
    TKvLiveUpdateRegistryWin FRegistry;
};
