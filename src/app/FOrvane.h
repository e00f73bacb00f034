// The tag viewer window's logic: which file and page is shown, what the
// widgets say and allow, and how the page-count thread is fed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/FOrvaneTrnTiff.h"
#include "app/KvTiffPages.h"
#include "app/OrvaneWidgets.h"
#include "tiff/ValueLimits.h"

class IKvLiveUpdateHost;
class TFrmOrvaneLiveUpdateThread;

class TFrmOrvane {
public:
    TFrmOrvane(IKvOrvaneHost& host, const TOrvaneWidgets& widgets, TKvTiffPagesFactory factory);
    ~TFrmOrvane();
    TFrmOrvane(const TFrmOrvane&) = delete;
    TFrmOrvane& operator=(const TFrmOrvane&) = delete;

    // The WM_STARTUP handler; argument is the first command-line argument.
    void StartUp(const std::string& argument);

    // Before the window exists: opens the file named by the argument and
    // starts its count, which then runs while the window is made. StartUp
    // shows it without opening it again; a failure is left to StartUp.
    void OpenBeforeWindow(const std::string& argument);
    void OpenFile(const std::string& path, TErrCode& errCode, std::string& errText);
    void GoToPage(std::int32_t index);

    void ButBrowseClick();
    void ButFirstClick() { GoToPage(0); }
    void ButPreviousClick() { GoToPage(FPageIndex - 1); }
    void ButNextClick() { GoToPage(FPageIndex + 1); }
    void ButLastClick() { GoToPage(FPageCount - 1); }
    void LivTagsSelectItem();
    void ButViewTagValueClick();
    void ButCopyTagsAsTextClick();
    void PageCountProgress();
    void FormClose();

    // The About tab's page from the current live-update facts.
    void BuildAboutPage();
    // A link of the About page or the manual that is not an in-page anchor.
    void AboutLinkClick(const std::string& href);

    // A file dropped on the window opens as if chosen with Browse.
    void OpenDroppedFile(const std::string& path);

    // The live update and the auto-update; without a host both stay off.
    void SetLiveUpdateHost(IKvLiveUpdateHost* host) { FLiveUpdateHost = host; }
    void StartLiveUpdate();
    void LiveUpdateDone();
    void PromptForUpdate();
    void RunAutoUpdate();
    TFrmOrvaneLiveUpdateThread* FLiveUpdateThread = nullptr;
    bool FUpdatePrompted = false;
    bool FUpdateWindowOpen = false;

    bool FEventsEnabled = false;
    std::int32_t FPageIndex = 0;
    std::int32_t FPageCount = 0;
    bool FPageCountFinal = false;

    // For tests: the state shared with the page-count thread.
    std::shared_ptr<TTrnTiffShared> SharedForTest() const { return FShared; }
    // The reader, its lock and its page list, for the other tabs.
    std::shared_ptr<TTrnTiffShared> Shared() const { return FShared; }
    // Told after every open: the path and its display form, or empty paths
    // when the open failed.
    std::function<void(const std::string& path, const std::string& display)> OnFileShown;

private:
    void FillTagList();
    void UpdateNavigation();
    void UpdatePageStatistics();
    void TakePageCount();
    std::string PageCountText() const;
    bool OpenedEarly(const std::string& path) const
    {
        return !FOpenedEarly.empty() && path == FOpenedEarly;
    }
    // counting: the count was started before (by OpenBeforeWindow).
    void ShowOpenedPage(bool counting);
    void ShowEmpty();
    void ShowBrokenPage();
    void OpenInReader(const std::string& path, const std::string& display, TErrCode& errCode,
                      std::string& errText);
    // False when no worker counts (it could not be started).
    bool StartCounting();
    void OpenChosenFile(const std::string& path, TErrCode& errCode, std::string& errText);
    // Runs fn with the reader under FTiffLock; false when there is no reader.
    // onFailure (may be empty) runs when fn failed.
    bool WithReader(const std::function<void(IKvTiffPages&)>& fn,
                    const std::function<void()>& onFailure, TErrCode& errCode,
                    std::string& errText);
    void ShowErrorOf(TErrCode errCode, const std::string& errText);

    void StopLiveUpdate();

    IKvOrvaneHost& FHost;
    IKvLiveUpdateHost* FLiveUpdateHost = nullptr;
    TOrvaneWidgets FWidgets;
    TKvTiffPagesFactory FFactory;
    std::shared_ptr<TTrnTiffShared> FShared;
    // Set when counting ended without reaching the end of the chain.
    bool FCountStopped = false;
    // A file is shown (the last open succeeded).
    bool FFileOpen = false;
    // What OpenBeforeWindow opened, until StartUp shows it.
    std::string FOpenedEarly, FOpenedEarlyDisplay;
    // Rows of the tag list that are entries; a cut directory's mark follows.
    std::int32_t FEntryRows = 0;
};

// Turns FEventsEnabled off for a scope and on again on every way out, also
// when the scope ends by an exception.
class TEventsPause {
public:
    explicit TEventsPause(bool& flag) : FFlag(flag) { FFlag = false; }
    ~TEventsPause() { FFlag = true; }
    TEventsPause(const TEventsPause&) = delete;
    TEventsPause& operator=(const TEventsPause&) = delete;

private:
    bool& FFlag;
};

// Runs fn, turning every exception into the error pair: reader failures carry
// their own text, internal failures the "Unexpected error: " prefix.
void GuardErrors(const std::function<void()>& fn, TErrCode& errCode, std::string& errText);
