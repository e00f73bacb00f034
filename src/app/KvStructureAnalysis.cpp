#include "app/KvStructureAnalysis.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <sstream>

#include "inspect/StructureCheck.h"
#include "io/KvThread.h"

// What the owner and the worker share; the worker's object deletes itself
// when it ends, so neither refers to the other.
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

class TKvAnalysisThread final : public TKvThread {
public:
    explicit TKvAnalysisThread(std::shared_ptr<TKvAnalysisState> state) : State(std::move(state)) {}

protected:
    void Execute() override
    {
        std::shared_ptr<TKvStructureAnalysisResult> result;
        try {
            result = Analyse();
        } catch (const std::exception& e) {
            result = Failed(std::string("Unexpected error: ") + e.what());
        } catch (...) {
            result = Failed("Unexpected error");
        }
        State->Publish(State->StopAsked ? nullptr : std::move(result));
    }

private:
    static std::shared_ptr<TKvStructureAnalysisResult> Failed(const std::string& text)
    {
        auto result = std::make_shared<TKvStructureAnalysisResult>();
        result->Failure = text;
        return result;
    }
    std::shared_ptr<TKvStructureAnalysisResult> Analyse()
    {
        auto result = std::make_shared<TKvStructureAnalysisResult>();
        TFindingCollector findings(result->Findings);
        TProgressWatch watch(*State);
        std::ostringstream err;
        if (RunStructureCheck(State->Path, findings, watch, err) == 2) {
            result->Failure = err.str();
            while (!result->Failure.empty() && result->Failure.back() == '\n')
                result->Failure.pop_back();
            return result;
        }
        if (State->StopAsked)
            return nullptr;
        result->Readable = true;
        result->Map = watch.Finish();
        if (State->Pixels > 0 && !State->StopAsked)
            result->Pixels = result->Map.PixelClasses(State->Pixels);
        return result;
    }

    std::shared_ptr<TKvAnalysisState> State;
};

}  // namespace

TKvStructureAnalysis::TKvStructureAnalysis(std::function<void()> notify)
    : FNotify(std::move(notify))
{
}

TKvStructureAnalysis::~TKvStructureAnalysis()
{
    Stop();
}

void TKvStructureAnalysis::Start(const std::string& path)
{
    Stop();
    FState = std::make_shared<TKvAnalysisState>();
    FState->Path = path;
    FState->Pixels = FPixels;
    FState->Notify = FNotify;
    auto thread = std::make_unique<TKvAnalysisThread>(FState);
    TErrCode code = ErrOk;
    std::string text;
    thread->Start(code, text);
    if (code == ErrOk) {
        thread.release();  // the started thread owns itself
        return;
    }
    auto failed = std::make_shared<TKvStructureAnalysisResult>();
    failed->Failure = text;
    FState->Publish(std::move(failed));
}

void TKvStructureAnalysis::Stop()
{
    if (!FState)
        return;
    FState->StopAsked = true;
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
