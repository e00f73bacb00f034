#include "ViewerRig.h"

#include <algorithm>
#include <cstdio>

#include "app/KvTiffCodecPages.h"

using TClock = std::chrono::steady_clock;

void TBenchQueue::Post()
{
    {
        std::lock_guard lock(FMutex);
        ++FCount;
    }
    FPosted.notify_one();
}

bool TBenchQueue::Take(std::chrono::microseconds timeout)
{
    std::unique_lock lock(FMutex);
    if (!FPosted.wait_for(lock, timeout, [this] { return FCount > 0; }))
        return false;
    --FCount;
    return true;
}

TKvStoredKind TBenchRegistry::Query(std::uint32_t& size)
{
    size = 0;
    return TKvStoredKind::Absent;
}

void TBenchHost::ShowError(const std::string& text)
{
    std::fprintf(stderr, "viewer error: %s\n", text.c_str());
}

std::function<void()> TBenchHost::PageCountPoster()
{
    return [queue = Queue] { queue->Post(); };
}

namespace {

double Since(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// Enters and leaves the lock as a window handler does; returns the wait.
double TimeLockTaking(TTrnTiffShared& shared)
{
    const auto start = TClock::now();
    std::lock_guard lock(shared.FTiffLock);
    return Since(start);
}

}  // namespace

TViewerCount CountInViewer(const std::string& path, std::chrono::microseconds lockProbe)
{
    TViewerCount result;
    const auto start = TClock::now();
    TBenchHost host;
    TBenchText text;
    TBenchList list;
    TBenchButton button;
    TOrvaneWidgets widgets{&text,   &list,   &button, &button, &text, &button, &button,
                           &button, &button, &text,   &text,   &text, &text,   &text};
    TFrmOrvane frm(host, widgets, CreateTiffCodecPages);
    frm.FEventsEnabled = true;
    TErrCode errCode = ErrOk;
    std::string errText;
    frm.OpenFile(path, errCode, errText);
    if (errCode != ErrOk) {
        std::fprintf(stderr, "open failed: %s\n", errText.c_str());
        return result;
    }
    auto shared = frm.SharedForTest();
    // A count that stops short (a failed step) would never end the loop.
    const auto giveUp = start + std::chrono::minutes(10);
    while (!frm.FPageCountFinal && TClock::now() < giveUp) {
        if (host.Queue->Take(lockProbe))
            frm.PageCountProgress();
        else
            result.LongestLockWait = std::max(result.LongestLockWait, TimeLockTaking(*shared));
    }
    result.Seconds = Since(start);
    result.Pages = static_cast<std::uint32_t>(frm.FPageCount);
    frm.FormClose();
    return result;
}
