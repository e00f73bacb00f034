// The live-update worker against a local HTTP server: one post per run on
// success, retries on failure, a prompt end when told to stop, and no
// oversized answers; then the main window's side of a fetch.
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

template <class Pred>
bool Within(std::chrono::milliseconds limit, Pred pred)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

struct LiveUpdateThread : testing::Test {
    std::atomic<int> Posts{0};
    std::shared_ptr<TKvEvent> Stop;
    std::string Fetched;
    std::weak_ptr<int> Alive;

    // Starts a worker against the port; it ends when its object is freed,
    // which drops the token its post function holds.
    TFrmOrvaneLiveUpdateThread* Start(std::uint16_t port, std::uint32_t retryMs)
    {
        auto token = std::make_shared<int>(0);
        Alive = token;
        auto* thread = new TFrmOrvaneLiveUpdateThread("127.0.0.1", [this, token] {
            (void)token;
            ++Posts;
        });
        thread->FRetryMs = retryMs;
        thread->FClientFactory = [port] {
            return std::make_unique<TKvHttpClient>(std::make_unique<TPortRedirect>(port));
        };
        Stop = thread->FStopEvent;
        TErrCode code = ErrOk;
        std::string text;
        thread->Start(code, text);
        EXPECT_EQ(code, ErrOk);
        return thread;
    }

    bool EndsWithinASecond()
    {
        Stop->Set();
        return Within(1000ms, [this] { return Alive.expired(); });
    }
};

TEST_F(LiveUpdateThread, PostsOnceAfterASuccessAndWaitsToBeStopped)
{
    TLoopbackServer server({{Answer({Reply(200, "2.01\r\n123\r\nnews\r\n")})}});
    TFrmOrvaneLiveUpdateThread* thread = Start(server.Port(), 20);
    ASSERT_TRUE(Within(5000ms, [this] { return Posts == 1; }));
    EXPECT_EQ(thread->FBody, "2.01\r\n123\r\nnews\r\n");
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(Posts, 1);
    EXPECT_FALSE(Alive.expired()) << "the window reads Body until it sets StopEvent";
    EXPECT_EQ(server.Requests().at(0),
              "GET /imaging/tiff/orvane/liveupdate.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    EXPECT_TRUE(EndsWithinASecond());
}

TEST_F(LiveUpdateThread, RetriesAfterA404AndAfterAnOversizedBody)
{
    std::string huge(LiveUpdateMaxBody + 1, 'n');
    TLoopbackServer server({{Answer({Reply(404, "gone")})},
                            {Answer({Reply(200, huge)})},
                            {Answer({Reply(200, "2.00\n1\n")})}});
    TFrmOrvaneLiveUpdateThread* thread = Start(server.Port(), 20);
    ASSERT_TRUE(Within(5000ms, [this] { return Posts == 1; }));
    EXPECT_EQ(server.Accepted(), 3);
    EXPECT_EQ(thread->FBody, "2.00\n1\n");
    EXPECT_TRUE(EndsWithinASecond());
}

TEST_F(LiveUpdateThread, KeepsTryingWhileRefusedAndStopsPromptlyInItsWait)
{
    std::uint16_t closedPort;
    {
        TLoopbackServer gone({});
        closedPort = gone.Port();
    }
    Start(closedPort, LiveUpdateRetryMs);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(Posts, 0);
    EXPECT_FALSE(Alive.expired());
    EXPECT_TRUE(EndsWithinASecond());
}

TEST_F(LiveUpdateThread, StopsPromptlyDuringTheReceive)
{
    TLoopbackServer server({{TServerTurn{{}, true, {}}}});
    Start(server.Port(), LiveUpdateRetryMs);
    ASSERT_TRUE(Within(5000ms, [&] { return server.Requests().size() == 1; }));
    EXPECT_TRUE(EndsWithinASecond());
    EXPECT_EQ(Posts, 0);
}

class TLiveUpdateHost : public IKvLiveUpdateHost, public IKvLiveUpdateRegistry {
public:
    explicit TLiveUpdateHost(std::uint16_t port) : FPort(port) {}
    std::atomic<int> Posts{0};
    std::string Stored;
    int Rebuilds = 0, Asks = 0, UpdateWindows = 0;
    bool AnswerOk = true;

    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return *this; }
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
        thread.FRetryMs = 20;
        thread.FHost = "127.0.0.1";
    }
    void RebuildLiveUpdatePages() override { ++Rebuilds; }
    bool AskForUpdate() override { return ++Asks, AnswerOk; }
    bool ShowUpdateWindow(TErrCode& status, std::string& message) override
    {
        ++UpdateWindows;
        status = ErrFailed;
        message = "Unable to download update, please try again later";
        return true;
    }
    TKvStoredKind Query(std::uint32_t& size) override
    {
        size = 0;
        return TKvStoredKind::Absent;
    }
    bool Read(std::uint32_t, std::string&) override { return false; }
    void Write(const std::string& bytes) override { Stored = bytes; }

private:
    std::uint16_t FPort;
};

TEST(LiveUpdateWindow, StoresParsesRebuildsAndPromptsOncePerRun)
{
    const std::string text = "2.01\r\n4096\r\n<b>new</b>\r\n";
    TLoopbackServer server({{Answer({Reply(200, text)})}});
    TLiveUpdateHost host(server.Port());
    TViewerRig rig;
    rig.Frm->SetLiveUpdateHost(&host);
    rig.Frm->StartUp("");
    EXPECT_EQ(host.Asks, 0) << "the built-in text names this version";
    ASSERT_NE(rig.Frm->FLiveUpdateThread, nullptr);
    ASSERT_TRUE(Within(5000ms, [&] { return host.Posts == 1; }));

    rig.Frm->LiveUpdateDone();
    EXPECT_EQ(rig.Frm->FLiveUpdateThread, nullptr);
    EXPECT_EQ(host.Stored, text);
    EXPECT_EQ(LatestVersion(), "2.01");
    EXPECT_EQ(InstallerSize(), 4096);
    EXPECT_EQ(LatestNews(), "<b>new</b>\r\n");
    EXPECT_EQ(host.Rebuilds, 1);
    EXPECT_EQ(host.Asks, 1);
    EXPECT_EQ(host.UpdateWindows, 1);
    ASSERT_EQ(rig.Host.Errors.size(), 1u);
    EXPECT_EQ(rig.Host.Errors[0], "Unable to download update, please try again later");

    rig.Frm->LiveUpdateDone();
    rig.Frm->PromptForUpdate();
    EXPECT_EQ(host.Rebuilds, 1) << "a late message after the thread was let go";
    EXPECT_EQ(host.Asks, 1);
    EXPECT_EQ(rig.Host.Closes, 0);
}

TEST(LiveUpdateWindow, ClosingStopsTheWorkerInItsWait)
{
    std::uint16_t closedPort;
    {
        TLoopbackServer gone({});
        closedPort = gone.Port();
    }
    TLiveUpdateHost host(closedPort);
    TViewerRig rig;
    rig.Frm->SetLiveUpdateHost(&host);
    rig.Frm->StartUp("");
    ASSERT_NE(rig.Frm->FLiveUpdateThread, nullptr);
    std::weak_ptr<TKvEvent> stop = rig.Frm->FLiveUpdateThread->FStopEvent;
    rig.Frm->FormClose();
    EXPECT_EQ(rig.Frm->FLiveUpdateThread, nullptr);
    EXPECT_TRUE(Within(1000ms, [&] { return stop.expired(); }));
    EXPECT_EQ(host.Posts, 0);
}

}  // namespace
