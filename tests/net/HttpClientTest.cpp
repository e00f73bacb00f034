// The client's own operations over a memory transport: URLs, connecting and
// its reuse, transport outcomes, the body handler and the block chains.
#include <memory>

#include <gtest/gtest.h>

#include "HttpGet.h"
#include "MemoryTransport.h"
#include "io/SysEvent.h"

namespace {

struct TClientFixture : testing::Test {
    std::shared_ptr<TMemoryScript> FScript = std::make_shared<TMemoryScript>();
    TKvHttpClient FClient{std::make_unique<TMemoryTransport>(FScript)};
    TErrCode FCode = ErrOk;
    std::string FText = "untouched";

    void Request(const std::string& url, const TKvEvent* abort = nullptr)
    {
        TGetResult r = HttpGet(FClient, url, abort);
        FCode = r.FCode;
        FText = r.FText;
    }
};

using Url = TClientFixture;

TEST_F(Url, SplitsHostAndPathAndRejectsWhatIsNoHttpUrl)
{
    struct {
        const char* FUrl;
        const char* FHost;
        const char* FPath;
    } valid[] = {
        {"HTTP://Example.Test/A/b.txt", "Example.Test", "/A/b.txt"},
        {"http://h", "h", "/"},
        {"http://h:8080/x", "h:8080", "/x"},
    };
    for (auto& v : valid) {
        FClient.SetUrl(v.FUrl, FCode, FText);
        EXPECT_EQ(FCode, ErrOk);
        EXPECT_EQ(FClient.Host(), v.FHost);
        EXPECT_EQ(FClient.Path(), v.FPath);
    }
    for (const char* bad : {"http://", "http:///path", "ftp://host/x", "http:/x/yz", ""}) {
        FCode = ErrOk;
        FClient.SetUrl(bad, FCode, FText);
        EXPECT_EQ(FCode, ErrFailed) << bad;
        EXPECT_EQ(FText, "Invalid URL") << bad;
        EXPECT_EQ(FClient.Url(), "http://h:8080/x") << "a failure keeps the old URL";
    }
}

using Connecting = TClientFixture;

TEST_F(Connecting, ReportsEveryTransportFailureWithItsText)
{
    struct {
        TKvOpenResult FResult;
        const char* FText;
    } cases[] = {
        {TKvOpenResult::EventFailed, "Initializing Overlapped structures: Unexpected error"},
        {TKvOpenResult::SocketFailed, "Creating socket: Unexpected error"},
        {TKvOpenResult::HostNotFound, "Locating server 'h.test': Host not found"},
        {TKvOpenResult::LookupFailed, "Locating server 'h.test': Unexpected error"},
        {TKvOpenResult::Refused, "Connecting to server 'h.test': Connection was refused, this is "
                                 "probably not a HTTP server"},
        {TKvOpenResult::ConnectFailed, "Connecting to server 'h.test': Unexpected error"},
    };
    FClient.SetUrl("http://h.test/", FCode, FText);
    for (auto& c : cases) {
        FScript->FOpenResult = c.FResult;
        FCode = ErrOk;
        FClient.Connect(FCode, FText);
        EXPECT_EQ(FCode, ErrFailed);
        EXPECT_EQ(FText, c.FText);
        EXPECT_FALSE(FClient.IsConnected());
    }
    EXPECT_EQ(FScript->FOpenedHosts.back(), "h.test:80");
}

TEST_F(Connecting, ReusesTheConnectionForTheSameHostOnly)
{
    FScript->FPieces = {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nA",
                        "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nB"};
    Request("http://one.test/a");
    Request("http://one.test/b");
    EXPECT_EQ(FCode, ErrOk);
    EXPECT_EQ(FClient.Body().FirstBlock()->FData[0], 'B');
    EXPECT_EQ(FScript->FOpenedHosts.size(), 1u);
    EXPECT_EQ(FScript->FSent,
              "GET /a HTTP/1.1\r\nHost: one.test\r\n\r\nGET /b HTTP/1.1\r\nHost: one.test\r\n\r\n");

    FScript->FPieces.push_back("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nC");
    Request("http://two.test/c");
    EXPECT_EQ(FCode, ErrOk);
    EXPECT_EQ(FScript->FOpenedHosts.size(), 2u);
}

TEST_F(Connecting, DropsAConnectionTheServerEndsAfterTheResponse)
{
    struct {
        const char* FHeader;
        bool FKeptOpen;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n", true},
        {"HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 1\r\n\r\n", true},
        {"HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\n", false},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\nTransfer-Encoding: "
         "chunked\r\n\r\n1\r\nx\r\n0\r\n\r\n",
         false},
    };
    for (auto& c : cases) {
        FScript->FPieces.push_back(std::string(c.FHeader) + "x");
        Request("http://h.test/");
        EXPECT_EQ(FCode, ErrOk) << FText;
        EXPECT_EQ(FClient.IsConnected(), c.FKeptOpen) << c.FHeader;
        FClient.Connect(FCode, FText);
    }
}

TEST_F(Connecting, WithoutAUrlSucceedsUnconnectedAndSendingThenFails)
{
    FClient.Connect(FCode, FText);
    EXPECT_EQ(FCode, ErrOk);
    EXPECT_FALSE(FClient.IsConnected());
    EXPECT_TRUE(FScript->FOpenedHosts.empty());
    FClient.SendLine("GET / HTTP/1.1\r\n", FCode, FText);
    EXPECT_EQ(FCode, ErrFailed);
    EXPECT_EQ(FText, "Sending data: Unexpected error");
}

using Receiving = TClientFixture;

TEST_F(Receiving, MapsTransportOutcomesAndDropsTheConnection)
{
    struct {
        TKvRecvResult FResult;
        TErrCode FCode;
        const char* FText;
    } cases[] = {
        {TKvRecvResult::Aborted, ErrAborted, "untouched"},
        {TKvRecvResult::TimedOut, ErrFailed, "Receiving data: Timed out"},
        {TKvRecvResult::StartFailed, ErrFailed, "Receiving data: Unexpected error: KvHttp 672.92"},
        {TKvRecvResult::ResultFailed, ErrFailed, "Receiving data: Unexpected error: 10054"},
    };
    for (auto& c : cases) {
        FScript->FAtEnd = c.FResult;
        FScript->FPieces = {"HTTP/1.1 200 OK\r\n"};
        FScript->FPiece = FScript->FOffset = 0;
        FCode = ErrOk;
        FText = "untouched";
        Request("http://h.test/");
        EXPECT_EQ(FCode, c.FCode);
        EXPECT_EQ(FText, c.FText);
        EXPECT_FALSE(FClient.IsConnected()) << "a given-up stream is not reused";
    }
}

struct TSeen {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> FCalls;  // count, total
    bool FDiscard = false;
    TKvEvent* FAbort = nullptr;  // set after the first piece
};

void Record(void* object, std::uint32_t count, const char*, std::uint32_t total, bool& discard)
{
    auto* seen = static_cast<TSeen*>(object);
    seen->FCalls.emplace_back(count, total);
    discard = seen->FDiscard;
    if (seen->FAbort)
        seen->FAbort->Set();
}

TEST_F(Receiving, ReportsEveryPieceToTheHandlerWhichMayDiscardIt)
{
    for (bool discard : {false, true}) {
        TSeen seen;
        seen.FDiscard = discard;
        FClient.SetOnData(Record, &seen);
        FScript->FPieces = {"HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" +
                            std::string(10000, 'x')};
        FScript->FPiece = FScript->FOffset = 0;
        Request("http://h.test/");
        ASSERT_EQ(FCode, ErrOk);
        std::uint32_t total = 0;
        for (auto [count, t] : seen.FCalls)
            EXPECT_EQ(t, total += count);
        EXPECT_EQ(total, 10000u);
        EXPECT_EQ(FClient.BodyTotal(), 10000u);

        std::uint32_t size = 0;
        char* body = nullptr;
        FClient.GetBody(size, body, FCode, FText);
        // After a discard a buffer of the total would hold unset bytes.
        EXPECT_EQ(FCode, discard ? ErrFailed : ErrOk);
        EXPECT_EQ(body ? std::string(body, size) : "", discard ? "" : std::string(10000, 'x'));
        FreeBlock(body);
        FCode = ErrOk;
    }
}

TEST_F(Receiving, AnAbortIsSeenWhileDataKeepsArriving)
{
    // The memory transport never waits, like a socket with data queued: the
    // abort set by the first piece's handler must stop the next receive.
    TKvEvent abort;
    TSeen seen;
    seen.FAbort = &abort;
    FClient.SetOnData(Record, &seen);
    FScript->FPieces = {"HTTP/1.1 200 OK\r\n\r\n", "one", "two", "three"};
    Request("http://h.test/", &abort);
    EXPECT_EQ(FCode, ErrAborted);
    EXPECT_EQ(seen.FCalls.size(), 1u);
    EXPECT_FALSE(FClient.IsConnected());
}

}  // namespace
