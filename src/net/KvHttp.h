// A small HTTP/1.1 client that fetches one resource at a time: it parses an
// http:// URL, connects (reusing the connection for the same host), sends the
// request its caller composes, and receives the header and the body (chunked,
// fixed length or until close) into 4096-byte blocks. Every operation reports
// through the status/message pair; receives wait at most ReceiveTimeout
// milliseconds and end early when the caller's abort event is signalled.
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
    // Called for every piece of body received, on the receiving thread. Data
    // points into the current body block; Total counts the body so far; a
    // handler that sets Discard drops the block's bytes (Total keeps them).
    using TOnDataCode = void (*)(void* Object, std::uint32_t Count, const char* Data,
                                 std::uint32_t Total, bool& Discard);

    static constexpr std::uint16_t HttpPort = 80;

    TKvHttpClient();
    // Runs over the given transport instead of the platform's sockets.
    explicit TKvHttpClient(std::unique_ptr<TKvNetTransport> Transport);
    ~TKvHttpClient();
    TKvHttpClient(const TKvHttpClient&) = delete;
    TKvHttpClient& operator=(const TKvHttpClient&) = delete;

    std::uint32_t ReceiveTimeout = 120000;

    void SetUrl(const std::string& Url, TErrCode& ErrCode, std::string& ErrText);
    void Connect(TErrCode& ErrCode, std::string& ErrText);
    void SendLine(const std::string& Text, TErrCode& ErrCode, std::string& ErrText);
    void ReceiveHeader(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    // The three-digit status of the last header, -1 when there is none.
    std::int32_t StatusCode();
    void SetOnData(TOnDataCode Code, void* Object);
    void ReceiveBody(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    // Buffer gets Size bytes from AllocBlock; the caller frees it with FreeBlock.
    void GetBody(TErrCode& ErrCode, std::uint32_t& Size, char*& Buffer, std::string& ErrText);
    std::string HeaderValue(std::string_view LowerName) const;

    const std::string& Url() const { return FUrl; }
    const std::string& Host() const { return FHost; }
    const std::string& Path() const { return FPath; }
    bool IsConnected() const { return FTransport->IsOpen(); }
    std::string_view HeaderText() const { return {FHeader.Data, FHeaderLength}; }
    std::uint32_t BodyTotal() const { return FBody.Total; }
    const TKvBodyChain& Body() const { return FBody; }
    std::uint32_t PendingCount() const { return FPending.Count(); }

    // Growth step, upper bound and receive size of a header-like section.
    struct TSection {
        std::uint32_t Step;
        std::uint32_t Limit;
        std::uint32_t Piece;
        const char* TooLong;
    };

private:
    enum class TFact : std::uint8_t { Unknown, Known, Rejected };

    void Receive(std::uint32_t MaxCount, char* Buffer, const TKvEvent* Abort, TErrCode& ErrCode,
                 std::uint32_t& Received, std::string& ErrText);
    void ReceiveSome(std::uint32_t MaxCount, char* Buffer, const TKvEvent* Abort, TErrCode& ErrCode,
                     std::uint32_t& Received, std::string& ErrText);
    void PushPending(std::uint32_t Length, const char* Data, TErrCode& ErrCode, std::string& ErrText);
    bool ReceiveLines(TKvGrowBuffer& Buffer, TKvLineScanner& Scanner, const TSection& Section, bool CloseEnds,
                      const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    bool GrowBuffer(TKvGrowBuffer& Buffer, std::uint32_t Step, std::uint32_t Limit,
                    const char* What, TErrCode& ErrCode, std::string& ErrText);

    bool CheckStatus(TErrCode& ErrCode, std::string& ErrText);
    bool CheckChunked(TErrCode& ErrCode, std::string& ErrText);
    bool CheckContentLength(TErrCode& ErrCode, std::string& ErrText);
    bool CheckConnectionMode(TErrCode& ErrCode, std::string& ErrText);

    void StoreBody(std::uint32_t MaxCount, const TKvEvent* Abort, bool CloseEnds, TErrCode& ErrCode,
                   std::uint32_t& Received, std::string& ErrText);
    void ReceiveFixed(std::uint32_t Length, const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    void ReceiveUntilClose(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    void ReceiveChunked(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    void ReceiveChunkSize(const TKvEvent* Abort, TErrCode& ErrCode, std::int32_t& Size, std::string& ErrText);
    void ReceiveChunkEnd(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    void ReceiveTrailer(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText);
    void DropIfServerCloses();

    std::unique_ptr<TKvNetTransport> FTransport;
    std::string FUrl;
    std::string FHost;
    std::string FPath;
    std::string FConnectedHost;
    std::uint16_t FPort = HttpPort;
    TKvPendingInput FPending;

    TKvGrowBuffer FHeader;
    std::uint32_t FHeaderLength = 0;
    TKvLineScanner FHeaderScanner;

    TFact FStatusFact = TFact::Unknown;
    std::int32_t FStatusCode = -1;
    TFact FConnectionFact = TFact::Unknown;
    std::uint8_t FConnectionMode = 0;
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
