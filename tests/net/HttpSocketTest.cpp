// The client over the platform's real sockets against the tests' scripted
// loopback server: framing over TCP, time-out, abort from another thread,
// name look-up and connect failures, and connection reuse.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "LoopbackServer.h"
#include "io/SysEvent.h"
#include "PortRedirect.h"
#include "net/KvHttp.h"
#include "net/KvWsa.h"

namespace {

struct TResult {
    TErrCode Code = ErrOk;
    std::string Text = "untouched";
    std::string Body;
    std::int32_t Status = -1;
};

struct Sockets : testing::Test {
    std::unique_ptr<TKvHttpClient> Client;

    void SetUp() override
    {
        TErrCode code = ErrOk;
        std::string text;
        LoadWinsock(code, text);
        ASSERT_EQ(code, ErrOk) << text;
    }

    void Aim(std::uint16_t Port) { Client = std::make_unique<TKvHttpClient>(std::make_unique<TPortRedirect>(Port)); }

    TResult Get(const std::string& Url, const TKvEvent* Abort = nullptr)
    {
        TResult r;
        Client->SetUrl(Url, r.Code, r.Text);
        Client->Connect(r.Code, r.Text);
        if (r.Code == ErrOk)
            Client->SendLine("GET " + Client->Path() + " HTTP/1.1\r\nHost: " + Client->Host() + "\r\n", r.Code, r.Text);
        if (r.Code == ErrOk)
            Client->ReceiveHeader(Abort, r.Code, r.Text);
        if (r.Code == ErrOk)
            Client->ReceiveBody(Abort, r.Code, r.Text);
        r.Status = Client->StatusCode();
        std::uint32_t size = 0;
        char* body = nullptr;
        TErrCode code = ErrOk;
        std::string text;
        Client->GetBody(code, size, body, text);
        if (code == ErrOk) {
            r.Body.assign(body, size);
            FreeBlock(body);
        }
        return r;
    }
};

std::vector<std::string> Bytes(const std::string& Text)
{
    std::vector<std::string> pieces;
    for (char c : Text)
        pieces.emplace_back(1, c);
    return pieces;
}

TEST_F(Sockets, ReadsEachFramingWholeAndByteByByte)
{
    struct {
        std::string Response;
        const char* Body;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n3;\r\n", nullptr},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n6\r\n world\r\n0\r\nX: y\r\n\r\n", "hello world"},
        {"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody", "body"},
        {"HTTP/1.0 200 OK\r\n\r\nuntil close", "until close"},
    };
    for (auto& c : cases) {
        for (bool byByte : {false, true}) {
            TLoopbackServer server({{{byByte ? Bytes(c.Response) : std::vector<std::string>{c.Response}}}});
            Aim(server.Port());
            TResult r = Get("http://127.0.0.1/file.txt");
            if (!c.Body) {
                EXPECT_EQ(r.Text, "Internal error: KvHttp 372.75");
                continue;
            }
            EXPECT_EQ(r.Code, ErrOk) << r.Text;
            EXPECT_EQ(r.Status, 200);
            EXPECT_EQ(r.Body, c.Body);
            ASSERT_EQ(server.Requests().size(), 1u);
            EXPECT_EQ(server.Requests()[0], "GET /file.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        }
    }
}

TEST_F(Sockets, AnEarlyCloseFailsInsteadOfPassingAsSuccess)
{
    TLoopbackServer server({{{{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhalf"}}}});
    Aim(server.Port());
    TResult r = Get("http://127.0.0.1/");
    EXPECT_EQ(r.Code, ErrFailed);
    EXPECT_EQ(r.Text, "Receiving data: Connection closed by the server before the response was complete");
}

TEST_F(Sockets, TwoRequestsShareOneConnection)
{
    const std::string one = "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\none";
    const std::string two = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\ntwo\r\n0\r\n\r\n";
    TLoopbackServer server({{{{one}}, {{two}}}});
    Aim(server.Port());
    EXPECT_EQ(Get("http://127.0.0.1/1").Body, "one");
    EXPECT_EQ(Get("http://127.0.0.1/2").Body, "two");
    EXPECT_EQ(server.Accepted(), 1);
}

TEST_F(Sockets, ASilentServerTimesOut)
{
    TLoopbackServer server({{TServerTurn{{}, true}}});
    Aim(server.Port());
    Client->ReceiveTimeout = 300;
    auto start = std::chrono::steady_clock::now();
    TResult r = Get("http://127.0.0.1/");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(r.Code, ErrFailed);
    EXPECT_EQ(r.Text, "Receiving data: Timed out");
    EXPECT_GE(took, std::chrono::milliseconds(250));
    EXPECT_FALSE(Client->IsConnected());
}

TEST_F(Sockets, AnAbortFromAnotherThreadEndsAPendingReceive)
{
    TLoopbackServer server({{TServerTurn{{}, true}}});
    Aim(server.Port());
    TKvEvent abort;
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        abort.Set();
    });
    auto start = std::chrono::steady_clock::now();
    TResult r = Get("http://127.0.0.1/", &abort);
    stopper.join();
    EXPECT_EQ(r.Code, ErrAborted);
    EXPECT_EQ(r.Text, "untouched");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    Client.reset(); // no receive may be left writing into freed buffers
}

TEST_F(Sockets, UnknownHostAndRefusedPortAreReported)
{
    Aim(80);
    TResult r = Get("http://no-such-host.invalid/");
    EXPECT_EQ(r.Code, ErrFailed);
    EXPECT_EQ(r.Text, "Locating server 'no-such-host.invalid': Host not found");

    std::uint16_t port = 0;
    CloseTestSocket(ListenLoopback(port)); // a port nobody listens on now
    Aim(port);
    r = Get("http://127.0.0.1/");
    EXPECT_EQ(r.Code, ErrFailed);
    EXPECT_EQ(r.Text, "Connecting to server '127.0.0.1': Connection was refused, this is probably not a HTTP server");
    EXPECT_FALSE(Client->IsConnected());
}

} // namespace
