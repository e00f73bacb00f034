// A small HTTP/1.1 client that fetches one resource at a time: it parses an
// http:// URL, connects (reusing the connection for the same host), sends the
// request its caller composes, and receives the header and the body (chunked,
// fixed length or until close) into 4096-byte blocks. Every operation reports
// through the status/message pair; receives wait at most ReceiveTimeout
// milliseconds and end early when the caller's abort event is signalled; the
// event is also looked at before every receive, so a server that sends as
// fast as the client reads cannot keep an abort waiting.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "io/SysErr.h"
#include "net/KvHttpBody.h"
#include "net/KvHttpBuffer.h"
#include "net/KvHttpPending.h"
#include "net/KvHttpScan.h"
#include "net/KvNetTransport.h"

class TKvEvent;

class TKvHttpClient {
public:
    // Called for every piece of body received, on the receiving thread. data
    // points into the current body block; total counts the body so far; a
    // handler that sets discard drops the block's bytes (total keeps them).
    using TOnDataCode = void (*)(void* object, std::uint32_t count, const char* data,
                                 std::uint32_t total, bool& discard);

    static constexpr std::uint16_t HttpPort = 80;
    static constexpr std::uint32_t DefaultReceiveTimeout = 120000;

    TKvHttpClient();
    // Runs over the given transport instead of the platform's sockets.
    explicit TKvHttpClient(std::unique_ptr<TKvNetTransport> transport);
    ~TKvHttpClient();
    TKvHttpClient(const TKvHttpClient&) = delete;
    TKvHttpClient& operator=(const TKvHttpClient&) = delete;

    // Milliseconds one receive waits for data.
    std::uint32_t ReceiveTimeout() const { return FReceiveTimeout; }
    void SetReceiveTimeout(std::uint32_t milliseconds) { FReceiveTimeout = milliseconds; }

    void SetUrl(const std::string& url, TErrCode& errCode, std::string& errText);
    void Connect(TErrCode& errCode, std::string& errText);
    void SendLine(const std::string& text, TErrCode& errCode, std::string& errText);
    // A failed header or body closes the connection: the stream position is
    // then unknown, and the next request must not read this response's rest.
    void ReceiveHeader(const TKvEvent* abort, TErrCode& errCode, std::string& errText);
    // The three-digit status of the last header, -1 when there is none.
    std::int32_t StatusCode();
    void SetOnData(TOnDataCode code, void* object);
    void ReceiveBody(const TKvEvent* abort, TErrCode& errCode, std::string& errText);
    // buffer gets size bytes from AllocBlock; the caller frees it with FreeBlock.
    void GetBody(std::uint32_t& size, char*& buffer, TErrCode& errCode, std::string& errText);
    std::string HeaderValue(std::string_view lowerName) const;

    const std::string& Url() const { return FUrl; }
    const std::string& Host() const { return FHost; }
    const std::string& Path() const { return FPath; }
    bool IsConnected() const { return FTransport->IsOpen(); }
    std::string_view HeaderText() const { return {FHeader.FData, FHeaderLength}; }
    std::uint32_t BodyTotal() const { return FBody.Total(); }
    const TKvBodyChain& Body() const { return FBody; }
    std::uint32_t PendingCount() const { return FPending.Count(); }

private:
    enum class TFact : std::uint8_t { Unknown, Known, Rejected };
    enum class TConnectionMode : std::uint8_t { Absent, Close, KeepAlive, Unknown };
    // Growth step, upper bound and receive size of a header-like section.
    struct TSection {
        std::uint32_t FStep;
        std::uint32_t FLimit;
        std::uint32_t FPiece;
        const char* FTooLong;
    };
    static const TSection HeaderSection;
    static const TSection TrailerSection;

    void Receive(std::uint32_t maxCount, char* buffer, const TKvEvent* abort,
                 std::uint32_t& received, TErrCode& errCode, std::string& errText);
    void ReceiveSome(std::uint32_t maxCount, char* buffer, const TKvEvent* abort,
                     std::uint32_t& received, TErrCode& errCode, std::string& errText);
    void PushPending(std::uint32_t length, const char* data, TErrCode& errCode,
                     std::string& errText);
    void Reject(const char* what, TErrCode& errCode, std::string& errText);
    bool ReceiveLines(TKvGrowBuffer& buffer, TKvLineScanner& scanner, const TSection& section,
                      bool closeEnds, const TKvEvent* abort, TErrCode& errCode,
                      std::string& errText);
    bool GrowBuffer(TKvGrowBuffer& buffer, std::uint32_t step, std::uint32_t limit,
                    const char* what, TErrCode& errCode, std::string& errText);

    bool CheckStatus(TErrCode& errCode, std::string& errText);
    bool CheckChunked(TErrCode& errCode, std::string& errText);
    bool CheckContentLength(TErrCode& errCode, std::string& errText);
    bool CheckConnectionMode(TErrCode& errCode, std::string& errText);
    bool HasNoBody() const;

    void ReceiveFramedBody(const TKvEvent* abort, TErrCode& errCode, std::string& errText);
    void StoreBody(std::uint32_t maxCount, const TKvEvent* abort, bool closeEnds,
                   std::uint32_t& received, TErrCode& errCode, std::string& errText);
    void ReceiveFixed(std::uint32_t length, const TKvEvent* abort, TErrCode& errCode,
                      std::string& errText);
    void ReceiveUntilClose(const TKvEvent* abort, TErrCode& errCode, std::string& errText);
    void ReceiveChunked(const TKvEvent* abort, TErrCode& errCode, std::string& errText);
    void ReceiveChunkSize(const TKvEvent* abort, std::int32_t& size, TErrCode& errCode,
                          std::string& errText);
    void ReceiveChunkEnd(const TKvEvent* abort, TErrCode& errCode, std::string& errText);
    void DropIfServerCloses();

    std::unique_ptr<TKvNetTransport> FTransport;
    std::uint32_t FReceiveTimeout = DefaultReceiveTimeout;
    std::string FUrl;
    std::string FHost;
    std::string FPath;
    std::string FConnectedHost;
    std::uint16_t FPort = HttpPort;
    TKvPendingInput FPending;
    // A header was received and its body not yet to its end: the stream
    // holds the rest of this response.
    bool FResponseOpen = false;

    TKvGrowBuffer FHeader;
    std::uint32_t FHeaderLength = 0;
    TKvLineScanner FHeaderScanner;

    TFact FStatusFact = TFact::Unknown;
    std::int32_t FStatusCode = -1;
    TFact FConnectionFact = TFact::Unknown;
    TConnectionMode FConnectionMode = TConnectionMode::Absent;
    TFact FLengthFact = TFact::Unknown;
    std::int32_t FContentLength = -1;
    TFact FChunkedFact = TFact::Unknown;
    bool FChunked = false;

    TOnDataCode FOnDataCode = nullptr;
    void* FOnDataObject = nullptr;

    TKvGrowBuffer FChunkLine;
    char FChunkEnd[2] = {};
    TKvGrowBuffer FTrailer;
    TKvLineScanner FTrailerScanner;

    TKvBodyChain FBody;
};
