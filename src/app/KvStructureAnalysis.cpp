#include "app/KvStructureAnalysis.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <sstream>

#include "inspect/StructureCheck.h"
#include "io/KvThread.h"

// What the owner and the worker share about one file; the worker's object
// deletes itself when it ends, so neither refers to the other.
struct TKvAnalysisState {
    std::string Path;
    std::uint32_t Pixels = 0;
    std::function<void()> Notify;
    std::atomic<bool> StopAsked{false};
    std::atomic<std::uint32_t> PageCount{0};
    std::atomic<std::uint32_t> PagesWalked{0};
    std::atomic<std::uint64_t> LastPageAt{0};
    std::atomic<std::uint64_t> FileSize{0};
    std::atomic<bool> Done{false};

    std::mutex Lock;
    std::condition_variable EndedSignal;
    bool Ended = false;  // under Lock: the worker touches nothing any more
    std::shared_ptr<const TKvStructureAnalysisResult> Result;  // under Lock

    void Publish(std::shared_ptr<const TKvStructureAnalysisResult> result)
    {
        if (result) {
            {
                std::lock_guard<std::mutex> hold(Lock);
                Result = std::move(result);
            }
            Done = true;
            if (Notify)
                Notify();
        }
        std::lock_guard<std::mutex> hold(Lock);
        Ended = true;
        EndedSignal.notify_all();
    }
};

namespace {

constexpr double WalkShare = 0.95;  // the rest is sorting the claims
constexpr std::uint32_t NotifyMs = 100;

class TFindingCollector final : public IFindingSink {
public:
    explicit TFindingCollector(std::vector<TFinding>& findings) : Findings(findings) {}
    bool Wants(TRuleId) const override { return true; }
    void Begin(const std::string&) override {}
    void Add(const TFinding& finding) override { Findings.push_back(finding); }
    int Finish() override { return 0; }

private:
    std::vector<TFinding>& Findings;
};

// The classifier, telling the shared state how far the walk has come.
class TProgressWatch final : public TByteClassifier {
public:
    explicit TProgressWatch(TKvAnalysisState& state) : State(state) {}
    void Begin(std::uint64_t fileSize) override
    {
        State.FileSize = fileSize;
        TByteClassifier::Begin(fileSize);
    }
    void Directory(std::uint64_t offset, std::uint32_t page, const std::string* childPath) override
    {
        if (!childPath)
            State.LastPageAt = offset;
        TByteClassifier::Directory(offset, page, childPath);
    }
    bool PageDone(std::uint32_t page) override
    {
        if (page > State.PagesWalked.load(std::memory_order_relaxed))
            State.PagesWalked.store(page, std::memory_order_relaxed);
        if (State.Notify && (page == 1 || TickCount32() - LastNotify >= NotifyMs)) {
            LastNotify = TickCount32();
            State.Notify();
        }
        return !State.StopAsked.load(std::memory_order_relaxed);
    }

private:
    TKvAnalysisState& State;
    std::uint32_t LastNotify = 0;
};

std::shared_ptr<TKvStructureAnalysisResult> Failed(const std::string& text)
{
    auto result = std::make_shared<TKvStructureAnalysisResult>();
    result->Failure = text;
    return result;
}

std::shared_ptr<TKvStructureAnalysisResult> Analyse(TKvAnalysisState& state)
{
    auto result = std::make_shared<TKvStructureAnalysisResult>();
    TFindingCollector findings(result->Findings);
    TProgressWatch watch(state);
    std::ostringstream err;
    if (RunStructureCheck(state.Path, findings, watch, err) == 2) {
        result->Failure = err.str();
        while (!result->Failure.empty() && result->Failure.back() == '\n')
            result->Failure.pop_back();
        return result;
    }
    if (state.StopAsked)
        return nullptr;
    result->Readable = true;
    result->Map = watch.Finish();
    if (state.Pixels > 0 && !state.StopAsked)
        result->Pixels = result->Map.PixelClasses(state.Pixels);
    return result;
}

void RunAnalysis(TKvAnalysisState& state)
{
    std::shared_ptr<TKvStructureAnalysisResult> result;
    try {
        result = Analyse(state);
    } catch (const std::exception& e) {
        result = Failed(std::string("Unexpected error: ") + e.what());
    } catch (...) {
        result = Failed("Unexpected error");
    }
    state.Publish(state.StopAsked ? nullptr : std::move(result));
}

}  // namespace

// The files an owner analyses one after another go to one worker thread,
// started with the first and ended with the owner: no two walks of one owner
// ever run at once, and a new file costs no thread start.
struct TKvAnalysisQueue {
    std::mutex Lock;
    std::condition_variable Wake;
    std::shared_ptr<TKvAnalysisState> Next;  // under Lock
    bool Quit = false;                       // under Lock
    bool Exited = false;                     // under Lock
    std::condition_variable ExitedSignal;
};

namespace {

class TKvAnalysisThread final : public TKvThread {
public:
    explicit TKvAnalysisThread(std::shared_ptr<TKvAnalysisQueue> queue) : Queue(std::move(queue)) {}

protected:
    void Execute() override
    {
        while (const std::shared_ptr<TKvAnalysisState> next = Take())
            RunAnalysis(*next);
        std::lock_guard<std::mutex> hold(Queue->Lock);
        Queue->Exited = true;
        Queue->ExitedSignal.notify_all();
    }

private:
    std::shared_ptr<TKvAnalysisState> Take()
    {
        std::unique_lock<std::mutex> hold(Queue->Lock);
        Queue->Wake.wait(hold, [this] { return Queue->Quit || Queue->Next; });
        return Queue->Quit ? nullptr : std::move(Queue->Next);
    }

    std::shared_ptr<TKvAnalysisQueue> Queue;
};

}  // namespace

TKvStructureAnalysis::TKvStructureAnalysis(std::function<void()> notify)
    : FNotify(std::move(notify))
{
}

TKvStructureAnalysis::~TKvStructureAnalysis()
{
    Stop();
    if (!FQueue)
        return;
    std::unique_lock<std::mutex> hold(FQueue->Lock);
    FQueue->Quit = true;
    FQueue->Wake.notify_all();
    FQueue->ExitedSignal.wait(hold, [this] { return FQueue->Exited; });
}

bool TKvStructureAnalysis::StartWorker()
{
    if (FQueue)
        return true;
    auto queue = std::make_shared<TKvAnalysisQueue>();
    auto thread = std::make_unique<TKvAnalysisThread>(queue);
    TErrCode code = ErrOk;
    std::string text;
    thread->Start(code, text);
    if (code != ErrOk) {
        FState->Publish(Failed(text));
        return false;
    }
    thread.release();  // the started thread owns itself
    FQueue = std::move(queue);
    return true;
}

void TKvStructureAnalysis::Start(const std::string& path)
{
    Stop();
    FState = std::make_shared<TKvAnalysisState>();
    FState->Path = path;
    FState->Pixels = FPixels;
    FState->Notify = FNotify;
    if (!StartWorker())
        return;
    std::lock_guard<std::mutex> hold(FQueue->Lock);
    FQueue->Next = FState;
    FQueue->Wake.notify_all();
}

void TKvStructureAnalysis::Stop()
{
    if (!FState)
        return;
    FState->StopAsked = true;
    if (FQueue) {
        std::unique_lock<std::mutex> queue(FQueue->Lock);
        if (FQueue->Next == FState) {  // not taken yet
            FQueue->Next.reset();
            queue.unlock();
            FState->Publish(nullptr);
        }
    }
    std::unique_lock<std::mutex> hold(FState->Lock);
    FState->EndedSignal.wait(hold, [this] { return FState->Ended; });
}

bool TKvStructureAnalysis::StopRequested() const
{
    return FState && FState->StopAsked;
}

void TKvStructureAnalysis::SetPageCount(std::uint32_t pages)
{
    if (FState)
        FState->PageCount = pages;
}

TKvAnalysisProgress TKvStructureAnalysis::Progress() const
{
    if (!FState)
        return {};
    if (FState->Done)
        return {1, true};
    const std::uint32_t pages = FState->PageCount;
    const std::uint64_t size = FState->FileSize;
    double walked = 0;
    if (pages > 0)
        walked = double(FState->PagesWalked) / pages;
    else if (size > 0)
        walked = double(FState->LastPageAt) / double(size);
    return {WalkShare * std::min(walked, 1.0), false};
}

std::shared_ptr<const TKvStructureAnalysisResult> TKvStructureAnalysis::Result() const
{
    if (!FState)
        return nullptr;
    std::lock_guard<std::mutex> hold(FState->Lock);
    return FState->Result;
}
