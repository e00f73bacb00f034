// The update window's logic with its real worker, against a local HTTP
// server: progress, every way a download ends, and what is left on disk.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>

#include <gtest/gtest.h>

#include "FakeInstaller.h"
#include "LoopbackServer.h"
#include "PortRedirect.h"
#include "net/KvHttp.h"
#include "update/FUpdate.h"
#include "update/FUpdateHandOver.h"

namespace fs = std::filesystem;

namespace {

TEST(UpdateProgress, RoundsHalvesToEvenAndStaysInRange)
{
    EXPECT_EQ(UpdateProgressPosition(1, 200), 0);  // 0.5
    EXPECT_EQ(UpdateProgressPosition(3, 200), 2);  // 1.5
    EXPECT_EQ(UpdateProgressPosition(5, 200), 2);  // 2.5
    EXPECT_EQ(UpdateProgressPosition(199, 200), 100);
    EXPECT_EQ(UpdateProgressPosition(200, 200), 100);
    EXPECT_EQ(UpdateProgressPosition(5000, 200), 100) << "larger than announced";
    EXPECT_EQ(UpdateProgressPosition(0xFFFFFFFFu, 1), 100);
    EXPECT_EQ(UpdateProgressPosition(5000, 0), 0) << "size unknown";
    EXPECT_EQ(UpdateProgressPosition(5000, -3), 0);
}

TEST(UpdateHandOverArgument, OnlyAPlainNumberCounts)
{
    EXPECT_EQ(HandOverHandleValue("1234"), 1234u);
    for (const char* bad : {"abc", "", "12x", " 12", "-5", "0x10"})
        EXPECT_EQ(HandOverHandleValue(bad), 0u) << bad;
}

struct TPosted {
    TUpdateMessage Msg;
    std::uint32_t Total;
};

class TUpdateFixture : public testing::Test, public IKvUpdateHost, public IKvProgressWidget {
protected:
    // Named after the test: tests run in parallel processes, where the same
    // object address can come up in two of them at once.
    fs::path Folder =
        fs::temp_directory_path() /
        (std::string("kvu-test-") + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::mutex Lock;
    std::condition_variable Arrived;
    std::deque<TPosted> Queue;
    std::vector<int> Positions;
    TModalResult Result = TModalResult::None;
    std::string HandedOver;
    std::string HandedOverBody;
    TErrCode HandOverCode = ErrOk;
    std::unique_ptr<TFrmUpdate> Form;

    void SetUp() override { fs::create_directories(Folder); }
    void TearDown() override
    {
        Form.reset();
        fs::remove_all(Folder);
    }

    void PostToWindow(TUpdateMessage msg, std::uint32_t total) override
    {
        std::lock_guard guard(Lock);
        Queue.push_back({msg, total});
        Arrived.notify_all();
    }
    void RepaintNow() override {}
    void EndModal(TModalResult result) override { Result = result; }
    void StartHandOver(const std::string& fileName, TErrCode& errCode,
                       std::string& errText) override
    {
        HandedOver = fileName;
        std::ifstream in(fileName, std::ios::binary);
        HandedOverBody.assign(std::istreambuf_iterator<char>(in), {});
        if (HandOverCode != ErrOk) {
            errCode = HandOverCode;
            errText = "The system cannot find the file specified.";
        }
    }
    void SetPosition(int position) override { Positions.push_back(position); }

    void Open(std::uint16_t port, std::int32_t size)
    {
        TUpdateSource source{"127.0.0.1", size,
                             [port] {
                                 return std::make_unique<TKvHttpClient>(
                                     std::make_unique<TPortRedirect>(port));
                             },
                             Folder.string()};
        Form = std::make_unique<TFrmUpdate>(*this, *this, source);
        Form->FormShow();
    }

    // Runs the window's side of the message loop until the modal result is
    // set (or the given message was handled), at most 10 seconds.
    void Pump(TUpdateMessage until = umStartDownload)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Result == TModalResult::None) {
            std::unique_lock guard(Lock);
            if (!Arrived.wait_until(guard, end, [this] { return !Queue.empty(); }))
                break;
            TPosted p = Queue.front();
            Queue.pop_front();
            guard.unlock();
            Form->HandleMessage(p.Msg, p.Total);
            if (p.Msg == until && until != umStartDownload)
                return;
        }
        Form->FormClose();
    }

    std::size_t FilesLeft() const
    {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(Folder), {}));
    }
};

using UpdateDownload = TUpdateFixture;

TEST_F(UpdateDownload, WritesTheBodyMovesTheBarAndHandsOver)
{
    std::string body = FakeInstaller("Orvane", 10000);
    TLoopbackServer server({{Answer({"HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n",
                                     body.substr(0, 4000), body.substr(4000)})}});
    Open(server.Port(), 10000);
    Pump();
    EXPECT_EQ(Result, TModalResult::Ok);
    EXPECT_EQ(Form->FDownloadStatus, ErrOk);
    EXPECT_EQ(HandedOverBody, body);
    EXPECT_EQ(fs::path(HandedOver).parent_path(), Folder);
    EXPECT_EQ(fs::path(HandedOver).filename().string().rfind("kvu", 0), 0u);
    // The first piece is 4,000 bytes, but the headers and part of it may come
    // in one read on a loaded machine: the bar moves before the end, never back.
    ASSERT_FALSE(Positions.empty());
    EXPECT_LE(Positions.front(), 40);
    EXPECT_TRUE(std::is_sorted(Positions.begin(), Positions.end()));
    EXPECT_EQ(Positions.back(), 100);
    EXPECT_EQ(server.Requests().at(0).rfind(
                  "GET /imaging/tiff/orvane/installer.exe HTTP/1.1\r\nHost: 127.0.0.1\r\n", 0),
              0u);
}

// A captive portal's page, a body cut short by a close or longer than
// announced must never be started as the installer.
TEST_F(UpdateDownload, EveryFailureEndsWithStatusTwoAndNoFile)
{
    const std::string exe = FakeInstaller("Orvane");
    const auto exeSize = static_cast<std::int32_t>(exe.size());
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string closes = ok + "Connection: close\r\n\r\n";
    const std::string page = "<html>Please sign in</html>";
    const struct {
        const char* Name;
        std::string Reply;  // empty: nothing listens
        std::int32_t Announced;
        bool FolderMissing, HandOverFails;
        std::string Message;  // empty: the system's text, whatever it says
    } cases[] = {
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!", 2, false, false,
         DownloadFailedText},
        {"refused", "", 2, false, false, ""},
        {"no temporary file", "", 2, true, false, DownloadFailedText},
        {"cut short by a close", closes + "MZ", 100000, false, false, DownloadFailedText},
        {"close, size unknown", closes + exe, 0, false, false, DownloadFailedText},
        {"longer than announced", closes + exe + exe, exeSize, false, false, DownloadFailedText},
        {"empty", ok + "Content-Length: 0\r\n\r\n", 0, false, false, DownloadFailedText},
        {"portal page", ok + "Content-Length: 27\r\n\r\n" + page, 0, false, false,
         DownloadFailedText},
        {"another program", closes + FakeInstaller("Other"), exeSize, false, false,
         DownloadFailedText},
        {"copy cannot start", closes + exe, exeSize, false, true,
         "The system cannot find the file specified."},
    };
    const fs::path folder = Folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        std::optional<TLoopbackServer> server;
        if (!c.Reply.empty())
            server.emplace(std::vector<TServerConnection>{{Answer({c.Reply})}});
        Result = TModalResult::None;
        HandedOver.clear();
        HandedOverBody.clear();
        HandOverCode = c.HandOverFails ? ErrFailed : ErrOk;
        Folder = c.FolderMissing ? folder / "missing" : folder;
        Open(server ? server->Port() : ClosedPort(), c.Announced);
        Pump();
        Folder = folder;
        EXPECT_EQ(Result, TModalResult::Ok);
        EXPECT_EQ(Form->FDownloadStatus, ErrFailed);
        EXPECT_FALSE(Form->FDownloadMessage.empty());
        if (!c.Message.empty()) {
            EXPECT_EQ(Form->FDownloadMessage, c.Message);
        }
        EXPECT_EQ(HandedOver.empty(), !c.HandOverFails);
        EXPECT_EQ(HandedOverBody, c.HandOverFails ? exe : "");
        EXPECT_EQ(FilesLeft(), 0u);
    }
}

TEST_F(UpdateDownload, CancelOrCloseDuringTheReceiveStopsTheWorkerAndLeavesNoFile)
{
    for (bool cancel : {true, false}) {
        // The second turn waits for a request that never comes, so the
        // connection stays open with the body unfinished.
        TServerTurn slow = Answer({"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nMZ"});
        TLoopbackServer server({{slow, SilentTurn()}});
        Result = TModalResult::None;
        Open(server.Port(), 100000);
        Pump(umProgress);  // the worker is inside the body now
        ASSERT_TRUE(Form->WorkerRunning());
        auto start = std::chrono::steady_clock::now();
        if (cancel)
            Form->Button1Click();
        Form->FormClose();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_EQ(Result, cancel ? TModalResult::Cancel : TModalResult::None);
        EXPECT_FALSE(Form->WorkerRunning());
        EXPECT_EQ(FilesLeft(), 0u);
        std::lock_guard guard(Lock);
        for (const TPosted& p : Queue)
            EXPECT_NE(p.Msg, umFinished) << "a cancelled worker posts nothing at the end";
        Queue.clear();
    }
}

}  // namespace
