// Responses played through a memory transport, each delivered whole, byte by
// byte and split in two at every offset: the outcome must never depend on
// how the bytes arrive.
#include <memory>

#include <gtest/gtest.h>

#include "HttpGet.h"
#include "MemoryTransport.h"

namespace {

// Plays the pieces as the server's answer to one GET; tells what stays
// pending and whether the connection is kept.
TGetResult Fetch(std::vector<std::string> pieces, std::uint32_t* pending = nullptr,
                 bool* connected = nullptr)
{
    auto script = std::make_shared<TMemoryScript>();
    script->FPieces = std::move(pieces);
    TKvHttpClient client(std::make_unique<TMemoryTransport>(script));
    TGetResult out = HttpGet(client, "http://example.test/live.txt");
    if (pending)
        *pending = client.PendingCount();
    if (connected)
        *connected = client.IsConnected();
    return out;
}

struct TCase {
    const char* FName;
    std::string FResponse;
    TGetResult FExpected;
};

TGetResult Ok(std::string body, std::int32_t status = 200)
{
    return {ErrOk, "untouched", std::move(body), status};
}

TGetResult Failed(std::string text, std::int32_t status = 200, std::string body = "")
{
    return {ErrFailed, std::move(text), std::move(body), status};
}

const std::string Chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
const std::string Closed =
    "Receiving data: Connection closed by the server before the response was complete";
std::string Invalid(const char* what)
{
    return std::string("Receiving data: Invalid response from the server (") + what + ")";
}

const TCase Cases[] = {
    {"one chunk", Chunked + "5\r\nhello\r\n0\r\n\r\n", Ok("hello")},
    {"chunks, blanks, capitals, trailer lines",
     "HTTP/1.1 200 OK\r\nTRANSFER-ENCODING: Chunked\r\n\r\n5  \r\nhello\r\nA\r\n "
     "012345678\r\n0\r\nX-Sum: 1\r\nX-B: 2\r\n\r\n",
     Ok("hello 012345678")},
    {"empty size line ends the body", Chunked + "\r\n\r\n", Ok("")},
    {"close right after the last chunk", Chunked + "3\r\nabc\r\n0\r\n", Ok("abc")},
    {"chunk extension", Chunked + "5;name=v\r\nhello\r\n0\r\n\r\n",
     Failed("Internal error: KvHttp 372.75")},
    {"text after chunk size", Chunked + "5 x\r\nhello\r\n0\r\n\r\n",
     Failed("Internal error: KvHttp 372.75")},
    {"bad chunk digit", Chunked + "5g\r\nhello\r\n0\r\n\r\n",
     Failed("Internal error: KvHttp 358.77")},
    {"announced trailer",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nTrailer: X-Sum\r\n\r\n0\r\n\r\n",
     Failed("Internal error: KvHttp 427.75")},
    {"chunk size beyond 31 bits", Chunked + "80000000\r\n",
     Failed(Invalid("chunk size too large"))},
    {"fixed length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", Ok("hello")},
    {"fixed length without blank", "HTTP/1.1 200 OK\r\ncontent-length:5\r\n\r\nhello", Ok("hello")},
    {"fixed length zero", "HTTP/1.1 204 No\r\nContent-Length: 0\r\n\r\n", Ok("", 204)},
    {"length after two blanks", "HTTP/1.1 200 OK\r\nContent-Length:  5\r\n\r\nhello",
     Failed(Invalid("content length"))},
    {"non-digit length", "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nhello",
     Failed(Invalid("content length"))},
    {"length beyond 31 bits", "HTTP/1.1 200 OK\r\nContent-Length: 2147483648\r\n\r\n",
     Failed(Invalid("content length"))},
    // Bodiless answers end after the header: what follows is the next response.
    {"100 has no body", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK", Ok("", 100)},
    {"204 has no body", "HTTP/1.1 204 No Content\r\nTransfer-Encoding: chunked\r\n\r\nnext",
     Ok("", 204)},
    {"304 has no body", "HTTP/1.1 304 Not Modified\r\nContent-Length: 9\r\n\r\nnext", Ok("", 304)},
    {"until close, 1.0", "HTTP/1.0 200 OK\r\n\r\nabc", Ok("abc")},
    {"until close, keep-alive", "HTTP/1.1 200 OK\r\nConnection: Keep-Alive\r\n\r\nabc", Ok("abc")},
    {"until close, close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nabc", Ok("abc")},
    {"unknown connection mode", "HTTP/1.1 200 OK\r\nConnection: upgrade\r\n\r\nabc",
     Failed(Invalid("connection mode"))},
    {"unknown transfer coding", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n",
     Failed(Invalid("transfer coding"))},
    {"version 2.0 and CR after the code", "HTTP/2.0 404\r\nContent-Length: 1\r\n\r\nx",
     Ok("x", 404)},
    {"not HTTP", "HTTX/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx", Ok("x", -1)},
    {"header below 13 bytes", "HTTP/1.1\r\n\r\n", Ok("", -1)},
    {"status with a letter", "HTTP/1.1 2x0 OK\r\n\r\n", Failed(Invalid("status code"), -1)},
    {"status of four digits", "HTTP/1.1 2000 OK\r\n\r\n", Failed(Invalid("status code"), -1)},
    {"nothing at all", "", Failed(Closed, -1)},
    {"close inside the header", "HTTP/1.1 200 OK\r\nContent-Le", Failed(Closed, -1)},
    {"close before the empty line", "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n", Failed(Closed, -1)},
    {"close inside a fixed body", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello",
     Failed(Closed, 200, "hello")},
    {"close inside a size line", Chunked + "5", Failed(Closed)},
    {"close inside a chunk", Chunked + "5\r\nhel", Failed(Closed, 200, "hel")},
    {"close before a chunk's CR LF", Chunked + "5\r\nhello", Failed(Closed, 200, "hello")},
    {"close inside a chunk's CR LF", Chunked + "5\r\nhello\r", Failed(Closed, 200, "hello")},
};

// A refused or cut response never leaves its connection for the next request.
TEST(Response, SameOutcomeHoweverSplit)
{
    for (const TCase& c : Cases) {
        SCOPED_TRACE(c.FName);
        bool connected = false;
        EXPECT_EQ(Fetch({c.FResponse}, nullptr, &connected), c.FExpected) << "whole";
        if (c.FExpected.FCode != ErrOk) {
            EXPECT_FALSE(connected);
        }
        std::vector<std::size_t> everyByte;
        for (std::size_t i = 1; i < c.FResponse.size(); ++i) {
            everyByte.push_back(i);
            EXPECT_EQ(Fetch(SplitAt(c.FResponse, {i})), c.FExpected) << "split at " << i;
        }
        EXPECT_EQ(Fetch(SplitAt(c.FResponse, everyByte)), c.FExpected) << "byte by byte";
    }
}

TEST(ResponseFraming, OnlyTheBodyIsConsumedAndNothingStaysPending)
{
    // The next response's bytes arrive with this one; they stay unread.
    std::uint32_t pending = 9;
    Fetch({Chunked + "5\r\nhello\r\n0\r\n\r\n"}, &pending);
    EXPECT_EQ(pending, 0u);
    EXPECT_EQ(Fetch({"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhiHTTP/1.1"}, &pending).FBody,
              "hi");
    EXPECT_EQ(pending, 1u);
}

TEST(ResponseLimits, OversizedHeaderSizeLineAndTrailerAreRejected)
{
    std::string field = "X-Pad: " + std::string(60000, 'p') + "\r\n";
    EXPECT_EQ(Fetch({"HTTP/1.1 200 OK\r\n" + field + "Content-Length: 1\r\n\r\nx"}), Ok("x"));
    EXPECT_EQ(Fetch({"HTTP/1.1 200 OK\r\n" + field + field + "\r\n"}),
              Failed(Invalid("header too long"), -1));

    std::string zeros(1000, '0');
    EXPECT_EQ(Fetch({Chunked + zeros + "1\r\nx\r\n0\r\n\r\n"}), Ok("x"));
    EXPECT_EQ(Fetch({Chunked + zeros + zeros + "1\r\nx\r\n0\r\n\r\n"}),
              Failed(Invalid("chunk size line too long")));

    std::string trailer = "X-T: " + std::string(40000, 't') + "\r\n";
    EXPECT_EQ(Fetch({Chunked + "0\r\n" + trailer + "\r\n"}), Ok(""));
    EXPECT_EQ(Fetch({Chunked + "0\r\n" + trailer + trailer + "\r\n"}),
              Failed(Invalid("trailer too long")));
}

}  // namespace
