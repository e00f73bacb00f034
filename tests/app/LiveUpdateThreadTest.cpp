// The live-update worker against a local HTTP server, driven through the main
// window that starts it: one post per run on success, retries on failure, a
// prompt end when the window lets it go, and no oversized answers.
#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "FakeTiff.h"
#include "LoopbackServer.h"
#include "PortRedirect.h"
#include "app/FOrvaneLiveUpdateThread.h"
#include "app/OrvaneLiveUpdateHost.h"
#include "net/KvHttp.h"

namespace {

using namespace std::chrono_literals;

std::string Reply(int code, const std::string& body)
{
    return "HTTP/1.1 " + std::to_string(code) +
           " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class TLiveUpdateHost : public IKvLiveUpdateHost {
public:
    explicit TLiveUpdateHost(std::uint16_t port) : FPort(port) {}
    std::atomic<int> Posts{0};
    TFakeRegistry Registry;
    int Rebuilds = 0, Asks = 0, UpdateWindows = 0;
    std::uint32_t RetryMs = 20;

    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return Registry; }
    std::function<void()> LiveUpdatePoster() override
    {
        return [this] { ++Posts; };
    }
    void PrepareLiveUpdateThread(TFrmOrvaneLiveUpdateThread& thread) override
    {
        std::uint16_t port = FPort;
        thread.FClientFactory = [port] {
            return std::make_unique<TKvHttpClient>(std::make_unique<TPortRedirect>(port));
        };
        thread.FRetryMs = RetryMs;
        thread.FHost = "127.0.0.1";
    }
    void RebuildLiveUpdatePages() override { ++Rebuilds; }
    bool AskForUpdate() override { return ++Asks, true; }
    bool ShowUpdateWindow(TErrCode& status, std::string& message) override
    {
        ++UpdateWindows;
        status = ErrFailed;
        message = "Unable to download update, please try again later";
        return true;
    }

private:
    std::uint16_t FPort;
};

// The viewer starts its worker; the host outlives the rig, so a late post
// never reaches a freed host.
void StartViewer(TViewerRig& rig, TLiveUpdateHost& host)
{
    rig.Frm->SetLiveUpdateHost(&host);
    rig.Frm->StartUp("");
    ASSERT_NE(rig.Frm->FLiveUpdateThread, nullptr);
}

// The window lets its worker go by letGo; true when the worker has freed
// itself within a second. Every test waits for that: a worker still ending
// while the test program exits can crash Wine's process in its clean-up.
bool WorkerEndsPromptly(TViewerRig& rig, void (TFrmOrvane::*letGo)())
{
    std::weak_ptr<TKvEvent> stop = rig.Frm->FLiveUpdateThread->FStopEvent;
    (rig.Frm.get()->*letGo)();
    EXPECT_EQ(rig.Frm->FLiveUpdateThread, nullptr);
    return WaitUntil([&] { return stop.expired(); }, 1000ms);
}

}  // namespace

TEST(LiveUpdateWindow, StoresParsesRebuildsAndPromptsOncePerRun)
{
    const std::string text = "2.01\r\n4096\r\n<b>new</b>\r\n";
    TLoopbackServer server({{Answer({Reply(200, text)})}});
    TLiveUpdateHost host(server.Port());
    TViewerRig rig;
    StartViewer(rig, host);
    EXPECT_EQ(host.Asks, 0) << "the built-in text names this version";
    ASSERT_TRUE(WaitUntil([&] { return host.Posts == 1; }, 5000ms));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(host.Posts, 1) << "one post per run, then the worker waits to be let go";
    EXPECT_EQ(server.Requests().at(0),
              "GET /imaging/tiff/orvane/liveupdate.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");

    EXPECT_TRUE(WorkerEndsPromptly(rig, &TFrmOrvane::LiveUpdateDone));
    EXPECT_EQ(host.Registry.Value, text);
    EXPECT_EQ(LatestVersion(), "2.01");
    EXPECT_EQ(InstallerSize(), 4096);
    EXPECT_EQ(LatestNews(), "<b>new</b>\r\n");
    EXPECT_EQ(host.Rebuilds, 1);
    EXPECT_EQ(host.Asks, 1);
    EXPECT_EQ(host.UpdateWindows, 1);
    EXPECT_EQ(rig.Host.Errors,
              std::vector<std::string>{"Unable to download update, please try again later"});

    rig.Frm->LiveUpdateDone();
    rig.Frm->PromptForUpdate();
    EXPECT_EQ(host.Rebuilds, 1) << "a late message after the worker was let go";
    EXPECT_EQ(host.Asks, 1);
    EXPECT_EQ(rig.Host.Closes, 0);
}

TEST(LiveUpdateWindow, WorkerRetriesAfterA404AndAfterAnOversizedBody)
{
    TLoopbackServer server({{Answer({Reply(404, "gone")})},
                            {Answer({Reply(200, std::string(LiveUpdateMaxBody + 1, 'n'))})},
                            {Answer({Reply(200, "2.00\n1\n")})}});
    TLiveUpdateHost host(server.Port());
    TViewerRig rig;
    StartViewer(rig, host);
    ASSERT_TRUE(WaitUntil([&] { return host.Posts == 1; }, 5000ms));
    EXPECT_EQ(server.Accepted(), 3);
    EXPECT_TRUE(WorkerEndsPromptly(rig, &TFrmOrvane::LiveUpdateDone));
    EXPECT_EQ(host.Registry.Value, "2.00\n1\n");
}

// Closing ends the worker at once, whether it waits the program's pause to
// retry a refused connection or waits inside a receive that never ends.
TEST(LiveUpdateWindow, ClosingEndsTheWorkerInItsRetryWaitAndInItsReceive)
{
    for (bool refused : {true, false}) {
        SCOPED_TRACE(refused ? "refused" : "receive");
        TLoopbackServer server({{SilentTurn()}});
        TLiveUpdateHost host(refused ? ClosedPort() : server.Port());
        host.RetryMs = LiveUpdateRetryMs;
        TViewerRig rig;
        StartViewer(rig, host);
        if (refused)
            std::this_thread::sleep_for(200ms);
        else
            ASSERT_TRUE(WaitUntil([&] { return server.Requests().size() == 1; }, 5000ms));
        std::weak_ptr<TKvEvent> stop = rig.Frm->FLiveUpdateThread->FStopEvent;
        EXPECT_FALSE(stop.expired()) << "the worker keeps trying";
        EXPECT_TRUE(WorkerEndsPromptly(rig, &TFrmOrvane::FormClose));
        EXPECT_EQ(host.Posts, 0);
    }
}
