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

class TFrmOrvane {
public:
    TFrmOrvane(IKvOrvaneHost& host, const TOrvaneWidgets& widgets, TKvTiffPagesFactory factory);
    ~TFrmOrvane();
    TFrmOrvane(const TFrmOrvane&) = delete;
    TFrmOrvane& operator=(const TFrmOrvane&) = delete;

    // The WM_STARTUP handler; argument is the first command-line argument.
    void StartUp(const std::string& argument);

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

    // A file dropped on the window opens as if chosen with Browse.
    void OpenDroppedFile(const std::string& path);

    bool FEventsEnabled = false;
    std::int32_t FPageIndex = 0;
    std::int32_t FPageCount = 0;
    bool FPageCountFinal = false;

    // For tests: the state shared with the page-count thread.
    std::shared_ptr<TTrnTiffShared> SharedForTest() const { return FShared; }

private:
    void FillTagList();
    void UpdateNavigation();
    void UpdatePageStatistics();
    void TakePageCount();
    std::string PageCountText() const;
    void ShowOpenedPage();
    void ShowEmpty();
    void ShowBrokenPage();
    void OpenInReader(const std::string& path, const std::string& display, TErrCode& errCode,
                      std::string& errText);
    void StartCounting();
    void OpenChosenFile(const std::string& path, TErrCode& errCode, std::string& errText);
    // Runs Fn with the reader under FTiffLock; false when there is no reader.
    // OnFailure (may be empty) runs when fn failed.
    bool WithReader(const std::function<void(IKvTiffPages&)>& fn,
                    const std::function<void()>& onFailure, TErrCode& errCode,
                    std::string& errText);
    void ShowErrorOf(TErrCode errCode, const std::string& errText);

    IKvOrvaneHost& FHost;
    TOrvaneWidgets FWidgets;
    TKvTiffPagesFactory FFactory;
    std::shared_ptr<TTrnTiffShared> FShared;
    // Set when counting ended without reaching the end of the chain.
    bool FCountStopped = false;
};

// Runs Fn, turning every exception into the error pair: reader failures carry
// their own text, internal failures the "Unexpected error: " prefix.
void GuardErrors(const std::function<void()>& fn, TErrCode& errCode, std::string& errText);
