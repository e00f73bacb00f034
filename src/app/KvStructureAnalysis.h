// The Structure tab's view of a file as a whole: the structure check's
// findings and the class of every byte, made on a worker thread that opens
// the file itself (by its UTF-8 path) and reads it through a reader of its
// own, never the viewer's and never under TiffLock. The window asks for the
// progress and the result whenever it likes; neither waits for the work.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "inspect/ByteClasses.h"
#include "inspect/CheckReport.h"

struct TKvStructureAnalysisResult {
    bool Readable = false;           // false: the file cannot be read as TIFF at all
    std::string Failure;             // why, when it cannot
    std::vector<TFinding> Findings;  // in the order the check meets them
    TByteClassMap Map;
    // Map.PixelClasses for the picture size asked for, made on the worker
    // (empty when none was asked for).
    std::vector<TByteClass> Pixels;
};

struct TKvAnalysisProgress {
    double Fraction = 0;  // 0 to 1
    bool Done = false;    // the result is there
};

struct TKvAnalysisState;
struct TKvAnalysisQueue;

class TKvStructureAnalysis {
public:
    // notify is called on the worker after the first page, then at most
    // every 100 ms, and once when the result is there; it must not wait for
    // the window's thread (post a message).
    explicit TKvStructureAnalysis(std::function<void()> notify = {});
    // Stops the work and waits for the worker to end.
    ~TKvStructureAnalysis();
    TKvStructureAnalysis(const TKvStructureAnalysis&) = delete;
    TKvStructureAnalysis& operator=(const TKvStructureAnalysis&) = delete;

    // Analyses the file at path, stopping the analysis of another first.
    // When no thread can be had, the result is at once an unreadable one.
    void Start(const std::string& path);
    // Asks the worker to end at its next page and waits until it has; the
    // result stays null when it had not finished.
    void Stop();
    bool StopRequested() const;

    // The pages of the file started last, as far as the page count has gone:
    // progress is pages walked against them; without them, the offset of the
    // last page directory against the file size.
    void SetPageCount(std::uint32_t pages);
    // The pixels of the byte map's picture, for the next Start: a file of a
    // million pages takes a noticeable time to colour.
    void SetPicturePixels(std::uint32_t pixels) { FPixels = pixels; }

    TKvAnalysisProgress Progress() const;
    // Null until done.
    std::shared_ptr<const TKvStructureAnalysisResult> Result() const;

private:
    bool StartWorker();

    std::function<void()> FNotify;
    std::uint32_t FPixels = 0;
    std::shared_ptr<TKvAnalysisState> FState;
    std::shared_ptr<TKvAnalysisQueue> FQueue;  // the worker, once started
};
