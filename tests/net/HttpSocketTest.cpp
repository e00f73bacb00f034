// The client over the platform's real sockets against the tests' scripted
// loopback server: the connection dropped after a refused or unread response,
// time-out, and name look-up and connect failures. Framing is covered over
// memory (HttpResponseTest); an abort of a waiting receive by the live-update
// and update-download tests, which close their workers inside one; the
// Windows update test fetches from Python's http.server.
#include <gtest/gtest.h>

#include "HttpGet.h"
#include "LoopbackServer.h"
#include "PortRedirect.h"
#include "net/KvWsa.h"

namespace {

struct Sockets : testing::Test {
    std::unique_ptr<TKvHttpClient> FClient;

    void SetUp() override
    {
        TErrCode code = ErrOk;
        std::string text;
        LoadWinsock(code, text);
        ASSERT_EQ(code, ErrOk) << text;
    }

    void Aim(std::uint16_t port)
    {
        FClient = std::make_unique<TKvHttpClient>(std::make_unique<TPortRedirect>(port));
    }

    TGetResult Get(const std::string& url) { return HttpGet(*FClient, url); }
};

TEST_F(Sockets, ARefusedResponseOrAnUnreadBodyIsNotReadAsTheNextHeader)
{
    // Each body is a complete response of its own: read as the next header,
    // it would pass for a success.
    const std::string fake = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nfake";
    const std::string refused = "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\nContent-Length: " +
                                std::to_string(fake.size()) + "\r\n\r\n" + fake;
    const std::string notFound =
        "HTTP/1.1 404 Not Found\r\nContent-Length: " + std::to_string(fake.size()) + "\r\n\r\n" +
        fake;
    const std::string good = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\ngood";
    TLoopbackServer server({{Answer({refused})}, {Answer({notFound})}, {Answer({good})}});
    Aim(server.Port());
    TGetResult r = Get("http://127.0.0.1/");
    EXPECT_EQ(r.FText, "Receiving data: Invalid response from the server (transfer coding)");
    EXPECT_FALSE(FClient->IsConnected());

    // The caller stops at the status, as the update download does.
    TErrCode code = ErrOk;
    std::string text;
    FClient->Connect(code, text);
    FClient->SendLine("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n", code, text);
    FClient->ReceiveHeader(nullptr, code, text);
    EXPECT_EQ(FClient->StatusCode(), 404);

    r = Get("http://127.0.0.1/good.txt");
    EXPECT_EQ(r.FCode, ErrOk) << r.FText;
    EXPECT_EQ(r.FStatus, 200);
    EXPECT_EQ(r.FBody, "good");
    EXPECT_EQ(server.Accepted(), 3);
    EXPECT_EQ(server.Requests().back(), "GET /good.txt HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST_F(Sockets, ASilentServerTimesOut)
{
    TLoopbackServer server({{SilentTurn()}});
    Aim(server.Port());
    FClient->SetReceiveTimeout(300);
    TGetResult r = Get("http://127.0.0.1/");
    EXPECT_EQ(r.FCode, ErrFailed);
    EXPECT_EQ(r.FText, "Receiving data: Timed out");
    EXPECT_FALSE(FClient->IsConnected());
}

TEST_F(Sockets, UnknownHostAndRefusedPortAreReported)
{
    Aim(80);
    TGetResult r = Get("http://no-such-host.invalid/");
    EXPECT_EQ(r.FCode, ErrFailed);
    EXPECT_EQ(r.FText, "Locating server 'no-such-host.invalid': Host not found");

    Aim(ClosedPort());
    r = Get("http://127.0.0.1/");
    EXPECT_EQ(r.FCode, ErrFailed);
    EXPECT_EQ(r.FText, "Connecting to server '127.0.0.1': Connection was refused, this is probably "
                       "not a HTTP server");
    EXPECT_FALSE(FClient->IsConnected());
}

}  // namespace
