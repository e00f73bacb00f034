// The tag viewer's logic over the real reader, the real page-count thread,
// event and lock, with widgets that show nothing and a message queue that a
// loop on the benchmark's own thread pumps as the window's message loop does.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "app/FOrvane.h"
#include "app/FOrvaneLiveUpdate.h"

// The window's queue of page-count messages.
class TBenchQueue {
public:
    void Post();
    // Waits at most timeout for a message; true when one was taken.
    bool Take(std::chrono::microseconds timeout);

private:
    std::mutex FMutex;
    std::condition_variable FPosted;
    std::uint64_t FCount = 0;
};

struct TBenchText : IKvTextWidget {
    void SetText(const std::string&) override {}
};

struct TBenchButton : IKvButtonWidget {
    void SetEnabled(bool) override {}
};

struct TBenchList : IKvListWidget {
    void Clear() override {}
    void AddRow(const TKvTagRow&) override {}
    std::int32_t SelectedIndex() override { return -1; }
    void SelectNone() override {}
};

struct TBenchRegistry : IKvLiveUpdateRegistry {
    TKvStoredKind Query(std::uint32_t& size) override;
    bool Read(std::uint32_t, std::string&) override { return false; }
    void Write(const std::string&) override {}
};

struct TBenchHost : IKvOrvaneHost {
    std::shared_ptr<TBenchQueue> Queue = std::make_shared<TBenchQueue>();
    TBenchRegistry Registry;

    void SetCaption(const std::string&) override {}
    void SetApplicationTitle(const std::string&) override {}
    void ShowError(const std::string& text) override;
    void SetClipboardText(const std::string&) override {}
    std::string DisplayPath(const std::string& path) override { return path; }
    bool ChooseTiffFile(std::string&, TErrCode&, std::string&) override { return false; }
    void ShowTagValue(const TKvTagValue&) override {}
    std::function<void()> PageCountPoster() override;
    void RepaintNow() override {}
    void CloseWindow() override {}
    void RunSwitchRole(int) override {}
    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return Registry; }
    std::uint32_t WindowColour() override { return 0; }
    void SetAboutHtml(const std::string&) override {}
    void OpenInShell(const std::string&) override {}
    void InstallHelpKey() override {}
    void RebuildManualPage() override {}
};

struct TViewerCount {
    double Seconds = 0;
    std::uint32_t Pages = 0;
    // The longest time the window's thread waited for the reader's lock.
    double LongestLockWait = 0;
};

// Opens the file in a new viewer and pumps its messages until the count is
// final; every lockProbe the loop also takes the lock as a repaint or a click
// on a page button would.
TViewerCount CountInViewer(const std::string& path, std::chrono::microseconds lockProbe);
