// The client's own operations over a memory transport: URLs, connecting and
// its reuse, transport outcomes, the body handler and the block chains.
#include <memory>

#include <gtest/gtest.h>

#include "MemoryTransport.h"
#include "net/KvHttp.h"

namespace {

struct TClientFixture : testing::Test {
    std::shared_ptr<TMemoryScript> Script = std::make_shared<TMemoryScript>();
    TKvHttpClient Client{std::make_unique<TMemoryTransport>(Script)};
    TErrCode Code = ErrOk;
    std::string Text = "untouched";

    void Request(const std::string& Url)
    {
        Client.SetUrl(Url, Code, Text);
        Client.Connect(Code, Text);
        Client.SendLine("GET " + Client.Path() + " HTTP/1.1\r\nHost: " + Client.Host() + "\r\n", Code, Text);
        if (Code == ErrOk)
            Client.ReceiveHeader(nullptr, Code, Text);
        if (Code == ErrOk)
            Client.ReceiveBody(nullptr, Code, Text);
    }
};

using Url = TClientFixture;

TEST_F(Url, SplitsHostAndPathAndRejectsWhatIsNoHttpUrl)
{
    struct {
        const char* Url;
        const char* Host;
        const char* Path;
    } valid[] = {
        {"HTTP://Example.Test/A/b.txt", "Example.Test", "/A/b.txt"},
        {"http://h", "h", "/"},
        {"http://h:8080/x", "h:8080", "/x"},
    };
    for (auto& v : valid) {
        Client.SetUrl(v.Url, Code, Text);
        EXPECT_EQ(Code, ErrOk);
        EXPECT_EQ(Client.Host(), v.Host);
        EXPECT_EQ(Client.Path(), v.Path);
    }
    for (const char* bad : {"http://", "http:///path", "ftp://host/x", "http:/x/yz", ""}) {
        Code = ErrOk;
        Client.SetUrl(bad, Code, Text);
        EXPECT_EQ(Code, ErrFailed) << bad;
        EXPECT_EQ(Text, "Invalid URL") << bad;
        EXPECT_EQ(Client.Url(), "http://h:8080/x") << "a failure keeps the old URL";
    }
    Code = ErrOk;
    Client.SetUrl("http://h:8080/x", Code, Text);
    EXPECT_EQ(Code, ErrOk);
}

using Connecting = TClientFixture;

TEST_F(Connecting, ReportsEveryTransportFailureWithItsText)
{
    struct {
        TKvOpenResult Result;
        const char* Text;
    } cases[] = {
        {TKvOpenResult::EventFailed, "Initializing Overlapped structures: Unexpected error"},
        {TKvOpenResult::SocketFailed, "Creating socket: Unexpected error"},
        {TKvOpenResult::HostNotFound, "Locating server 'h.test': Host not found"},
        {TKvOpenResult::LookupFailed, "Locating server 'h.test': Unexpected error"},
        {TKvOpenResult::Refused, "Connecting to server 'h.test': Connection was refused, this is probably not a HTTP server"},
        {TKvOpenResult::ConnectFailed, "Connecting to server 'h.test': Unexpected error"},
    };
    Client.SetUrl("http://h.test/", Code, Text);
    for (auto& c : cases) {
        Script->OpenResult = c.Result;
        Code = ErrOk;
        Client.Connect(Code, Text);
        EXPECT_EQ(Code, ErrFailed);
        EXPECT_EQ(Text, c.Text);
        EXPECT_FALSE(Client.IsConnected());
    }
    EXPECT_EQ(Script->OpenedHosts.back(), "h.test:80");
}

TEST_F(Connecting, ReusesTheConnectionForTheSameHostOnly)
{
    Script->Pieces = {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nA",
                      "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nB"};
    Request("http://one.test/a");
    Request("http://one.test/b");
    EXPECT_EQ(Code, ErrOk);
    EXPECT_EQ(Client.Body().FirstBlock()->Data[0], 'B');
    EXPECT_EQ(Script->OpenedHosts.size(), 1u);
    EXPECT_EQ(Script->Sent, "GET /a HTTP/1.1\r\nHost: one.test\r\n\r\nGET /b HTTP/1.1\r\nHost: one.test\r\n\r\n");

    Script->Pieces.push_back("HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nC");
    Request("http://two.test/c");
    EXPECT_EQ(Code, ErrOk);
    EXPECT_EQ(Script->OpenedHosts.size(), 2u);
}

TEST_F(Connecting, DropsAConnectionTheServerEndsAfterTheResponse)
{
    struct {
        const char* Header;
        bool KeptOpen;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\n", true},
        {"HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 1\r\n\r\n", true},
        {"HTTP/1.0 200 OK\r\nContent-Length: 1\r\n\r\n", false},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\nTransfer-Encoding: chunked\r\n\r\n1\r\nx\r\n0\r\n\r\n", false},
    };
    for (auto& c : cases) {
        Script->Pieces.push_back(std::string(c.Header) + "x");
        Request("http://h.test/");
        EXPECT_EQ(Code, ErrOk) << Text;
        EXPECT_EQ(Client.IsConnected(), c.KeptOpen) << c.Header;
        Client.Connect(Code, Text);
    }
}

TEST_F(Connecting, WithoutAUrlSucceedsUnconnectedAndSendingThenFails)
{
    Client.Connect(Code, Text);
    EXPECT_EQ(Code, ErrOk);
    EXPECT_FALSE(Client.IsConnected());
    EXPECT_TRUE(Script->OpenedHosts.empty());
    Client.SendLine("GET / HTTP/1.1\r\n", Code, Text);
    EXPECT_EQ(Code, ErrFailed);
    EXPECT_EQ(Text, "Sending data: Unexpected error");
}

using Receiving = TClientFixture;

TEST_F(Receiving, MapsTransportOutcomesAndDropsTheConnection)
{
    struct {
        TKvRecvResult Result;
        TErrCode Code;
        const char* Text;
    } cases[] = {
        {TKvRecvResult::Aborted, ErrAborted, "untouched"},
        {TKvRecvResult::TimedOut, ErrFailed, "Receiving data: Timed out"},
        {TKvRecvResult::StartFailed, ErrFailed, "Receiving data: Unexpected error: KvHttp 672.92"},
        {TKvRecvResult::ResultFailed, ErrFailed, "Receiving data: Unexpected error: 10054"},
    };
    for (auto& c : cases) {
        Script->AtEnd = c.Result;
        Script->Pieces = {"HTTP/1.1 200 OK\r\n"};
        Script->Piece = Script->Offset = 0;
        Code = ErrOk;
        Text = "untouched";
        Request("http://h.test/");
        EXPECT_EQ(Code, c.Code);
        EXPECT_EQ(Text, c.Text);
        EXPECT_FALSE(Client.IsConnected()) << "a given-up stream is not reused";
    }
}

struct TSeen {
    std::vector<std::pair<std::uint32_t, std::uint32_t>> Calls; // count, total
    bool Discard = false;
};

void Record(void* Object, std::uint32_t Count, const char*, std::uint32_t Total, bool& Discard)
{
    auto* seen = static_cast<TSeen*>(Object);
    seen->Calls.emplace_back(Count, Total);
    Discard = seen->Discard;
}

TEST_F(Receiving, ReportsEveryPieceToTheHandler)
{
    TSeen seen;
    Client.SetOnData(Record, &seen);
    Script->Pieces = {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n"};
    Request("http://h.test/");
    ASSERT_EQ(Code, ErrOk);
    EXPECT_EQ(seen.Calls, (decltype(seen.Calls){{5, 5}}));
    EXPECT_EQ(Client.PendingCount(), 0u);

    std::uint32_t size = 0;
    char* body = nullptr;
    Client.GetBody(Code, size, body, Text);
    ASSERT_EQ(Code, ErrOk);
    EXPECT_EQ(std::string(body, size), "hello");
    FreeBlock(body);
}

TEST_F(Receiving, FillsBlocksOneAtATimeAndDiscardKeepsOnlyTheTotal)
{
    TSeen seen;
    seen.Discard = true;
    Client.SetOnData(Record, &seen);
    Script->Pieces = {"HTTP/1.1 200 OK\r\nContent-Length: 10000\r\n\r\n" + std::string(10000, 'x')};
    Request("http://h.test/");
    ASSERT_EQ(Code, ErrOk);
    // The header's receive brought 2048 - 42 body bytes as pending input.
    std::uint32_t total = 0;
    for (auto [count, t] : seen.Calls) {
        EXPECT_LE(count, TKvBodyBlock::Size);
        EXPECT_EQ(t, total += count);
    }
    EXPECT_EQ(total, 10000u);
    EXPECT_EQ(Client.BodyTotal(), 10000u);
    EXPECT_EQ(Client.Body().HeldBytes(), 0u);

    std::uint32_t size = 0;
    char* body = nullptr;
    Client.GetBody(Code, size, body, Text);
    EXPECT_EQ(Code, ErrFailed) << "a buffer of the total would hold unset bytes";
    EXPECT_EQ(body, nullptr);
}

TEST_F(Receiving, KeepsAtMost64FreeBlocksBetweenResponses)
{
    const std::uint32_t length = 70 * TKvBodyBlock::Size;
    Script->Pieces = {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n" +
                          std::string(length, 'y'),
                      "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nz"};
    Request("http://h.test/");
    ASSERT_EQ(Code, ErrOk);
    EXPECT_EQ(Client.Body().HeldBytes(), length);
    Client.ReceiveHeader(nullptr, Code, Text);
    EXPECT_EQ(Client.Body().FreeBlockCount(), TKvBodyChain::KeptFreeBlocks);
    EXPECT_EQ(Client.BodyTotal(), 0u);
}

TEST(PendingInput, HandsOutTheTopSlotOnlyAndRefusesASixthPush)
{
    TKvPendingInput pending;
    const char a[] = "aaaa", b[] = "bb";
    EXPECT_TRUE(pending.Push(4, a));
    EXPECT_TRUE(pending.Push(0, b)) << "nothing pushed";
    EXPECT_TRUE(pending.Push(2, b));
    char out[8] = {};
    EXPECT_EQ(pending.Take(8, out), 2u);
    EXPECT_EQ(pending.Take(3, out), 3u);
    EXPECT_EQ(pending.Take(8, out), 1u);
    EXPECT_TRUE(pending.Empty());
    for (std::uint32_t i = 0; i < TKvPendingInput::Capacity; ++i)
        EXPECT_TRUE(pending.Push(1, a));
    EXPECT_FALSE(pending.Push(1, a));
    EXPECT_EQ(pending.Count(), TKvPendingInput::Capacity);
}

} // namespace
