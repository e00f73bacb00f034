#include "BatchCheck.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "BatchPlatform.h"
#include "BatchResume.h"
#include "BatchSummary.h"
#include "inspect/BatchRow.h"
#include "io/SysFile.h"

namespace {

// Paths travel in chunks, so the threads take the queue's lock once per
// chunk rather than once per file.
constexpr std::size_t ChunkSize = 32;
constexpr std::size_t QueuedChunks = 64;
using TChunk = std::vector<std::string>;

class TPathQueue {
public:
    // Waits while the queue is full.
    void Push(TChunk&& chunk)
    {
        std::unique_lock<std::mutex> lock(Lock);
        NotFull.wait(lock, [&] { return Chunks.size() < QueuedChunks; });
        Chunks.push_back(std::move(chunk));
        NotEmpty.notify_one();
    }
    // False when the queue is closed and empty.
    bool Pop(TChunk& chunk)
    {
        std::unique_lock<std::mutex> lock(Lock);
        NotEmpty.wait(lock, [&] { return !Chunks.empty() || Closed; });
        if (Chunks.empty())
            return false;
        chunk = std::move(Chunks.front());
        Chunks.pop_front();
        NotFull.notify_one();
        return true;
    }
    void Close()
    {
        const std::lock_guard<std::mutex> lock(Lock);
        Closed = true;
        NotEmpty.notify_all();
    }

private:
    std::mutex Lock;
    std::condition_variable NotFull, NotEmpty;
    std::deque<TChunk> Chunks;
    bool Closed = false;
};

// What a thread keeps from file to file.
struct TWorker {
    explicit TWorker(const TCheckOptions& options) : Findings(options) {}

    TStructureChecker Checker;
    TBatchFindings Findings;
    TCheckedFile File;
    std::string Row;
    std::array<std::uint64_t, VerdictCount> Verdicts{};
    std::uint64_t BytesInFiles = 0;
};

class TBatchRun {
public:
    TBatchRun(const TBatchOptions& options, std::istream& in, std::ostream& err)
        : Options(options), In(in), Err(err), Progress(err), ShowProgress(StandardErrorIsTerminal())
    {
    }
    int Run();

private:
    bool PrepareOutput();
    void Produce();
    void Offer(std::string&& path);
    void Work(TWorker& worker);
    void CheckOne(TWorker& worker, const std::string& path);
    void WaitFor(std::vector<std::thread>& threads);
    TBatchTotals Totals(std::uint64_t bytesBefore) const;
    int ExitCode() const;

    const TBatchOptions& Options;
    std::istream& In;
    std::ostream& Err;
    TProgressLine Progress;
    const bool ShowProgress;
    TRowOutput Output;
    TEarlierRows Earlier;
    TPathQueue Queue;
    TChunk Pending;
    std::uint64_t Offered = 0;
    std::vector<std::unique_ptr<TWorker>> Workers;
    std::atomic<std::uint64_t> Done{0};
    std::atomic<unsigned> Running{0};
    std::mutex WriteLock;
    bool WriteFailed = false;
};

bool TBatchRun::PrepareOutput()
{
    std::string error;
    if (Options.Resume && !LoadEarlierRows(Options.Output, Options.Csv, Earlier, error)) {
        Err << "orvane-dump: " << error << '\n';
        return false;
    }
    if (!Options.Output.empty() && !Output.OpenFile(Options.Output, error)) {
        Err << "orvane-dump: " << error << '\n';
        return false;
    }
    if (Options.Csv && Earlier.Empty)
        Output.WriteWhole(CsvHeader, std::char_traits<char>::length(CsvHeader));
    return true;
}

void TBatchRun::Offer(std::string&& path)
{
    if (path.empty() || (!Earlier.Done.empty() && Earlier.Done.count(RowPath(path)) > 0))
        return;
    ++Offered;
    Pending.push_back(std::move(path));
    if (Pending.size() < ChunkSize)
        return;
    Queue.Push(std::move(Pending));
    Pending = TChunk();
    Pending.reserve(ChunkSize);
    if (ShowProgress)
        Progress.Show(Done.load(std::memory_order_relaxed), 0);
}

void TBatchRun::Produce()
{
    std::string path;
    for (const std::string& given : Options.Paths) {
        if (given == "-") {
            while (ReadListedPath(In, path))
                Offer(std::move(path));
        } else if (IsFolder(given)) {
            TFolderWalk walk(given);
            while (walk.Next(path))
                Offer(std::move(path));
        } else {
            Offer(std::string(given));
        }
    }
    if (!Pending.empty())
        Queue.Push(std::move(Pending));
    Queue.Close();
}

void TBatchRun::CheckOne(TWorker& worker, const std::string& path)
{
    // One file that breaks the checker must not end a run over an archive.
    try {
        worker.Checker.Check(path, worker.Findings, worker.File);
    } catch (const std::exception& e) {
        worker.Findings.Clear();
        worker.File = {};
        worker.File.State = TFileState::Unreadable;
        worker.File.Code = 2;
        worker.File.Reason = std::string("Checking failed: ") + e.what();
    }
    const TVerdict verdict = worker.Findings.Verdict(worker.File);
    ++worker.Verdicts[static_cast<std::size_t>(verdict)];
    worker.BytesInFiles += worker.File.Size;
    worker.Row.clear();
    if (Options.Csv)
        AppendCsvRow(worker.Row, RowPath(path), worker.File, worker.Findings);
    else
        AppendJsonRow(worker.Row, RowPath(path), worker.File, worker.Findings);
    worker.Findings.Clear();
    {
        const std::lock_guard<std::mutex> lock(WriteLock);
        if (!Output.WriteWhole(worker.Row.data(), worker.Row.size()))
            WriteFailed = true;
    }
    Done.fetch_add(1, std::memory_order_relaxed);
}

void TBatchRun::Work(TWorker& worker)
{
    TChunk chunk;
    while (Queue.Pop(chunk))
        for (const std::string& path : chunk)
            CheckOne(worker, path);
    Running.fetch_sub(1);
}

// Joins the threads; on a terminal the progress line goes on meanwhile.
void TBatchRun::WaitFor(std::vector<std::thread>& threads)
{
    while (ShowProgress && Running.load() > 0) {
        Progress.Show(Done.load(std::memory_order_relaxed), Offered);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    for (std::thread& thread : threads)
        thread.join();
    if (ShowProgress)
        Progress.End();
}

TBatchTotals TBatchRun::Totals(std::uint64_t bytesBefore) const
{
    TBatchTotals totals;
    totals.BytesRead = TSysFile::ReadBytesGot() - bytesBefore;
    for (const auto& worker : Workers) {
        for (std::size_t v = 0; v < VerdictCount; ++v)
            totals.Verdicts[v] += worker->Verdicts[v];
        for (std::size_t r = 0; r < totals.Rules.size(); ++r)
            totals.Rules[r] += worker->Findings.RuleTotals()[r];
        totals.BytesInFiles += worker->BytesInFiles;
    }
    return totals;
}

// Over every row of the output, those of an earlier run included: a run
// resumed to its end gives the code one run would have given.
int TBatchRun::ExitCode() const
{
    std::array<std::uint64_t, VerdictCount> verdicts = Earlier.Verdicts;
    for (const auto& worker : Workers)
        for (std::size_t v = 0; v < VerdictCount; ++v)
            verdicts[v] += worker->Verdicts[v];
    const auto count = [&](TVerdict v) { return verdicts[static_cast<std::size_t>(v)]; };
    if (count(TVerdict::Unreadable) > 0)
        return 2;
    const bool strict = Options.Check.Strict;
    return count(TVerdict::Errors) > 0 || (strict && count(TVerdict::Warnings) > 0) ? 1 : 0;
}

int TBatchRun::Run()
{
    const auto start = std::chrono::steady_clock::now();
    const std::uint64_t bytesBefore = TSysFile::ReadBytesGot();
    if (!PrepareOutput())
        return 2;
    unsigned jobs = Options.Jobs ? Options.Jobs : std::thread::hardware_concurrency();
    jobs = jobs ? jobs : 1;
    std::vector<std::thread> threads;
    Running = jobs;
    for (unsigned i = 0; i < jobs; ++i) {
        Workers.push_back(std::make_unique<TWorker>(Options.Check));
        threads.emplace_back([this, worker = Workers.back().get()] { Work(*worker); });
    }
    Pending.reserve(ChunkSize);
    Produce();
    WaitFor(threads);
    TBatchTotals totals = Totals(bytesBefore);
    totals.Seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    WriteBatchSummary(Err, totals);
    if (WriteFailed) {
        Err << "orvane-dump: the rows could not all be written\n";
        return 2;
    }
    return ExitCode();
}

}  // namespace

int RunBatchCheck(const TBatchOptions& options, std::istream& in, std::ostream& err)
{
    TBatchRun run(options, in, err);
    return run.Run();
}
