#include "net/KvHttp.h"

#include <cctype>

#include "io/SysErr.h"
#include "io/SysEvent.h"
#include "net/KvWsa.h"

const TKvHttpClient::TSection TKvHttpClient::HeaderSection{8192, 65536, 2048, "header too long"};
const TKvHttpClient::TSection TKvHttpClient::TrailerSection{2048, 65536, 512, "trailer too long"};

namespace {

constexpr std::uint32_t ChunkLineStep = 128, ChunkLineLimit = 1024, ChunkLinePiece = 32;
constexpr std::uint32_t MaxBodyTotal = 0x7FFFFFFF;

constexpr const char* ClosedEarlyText =
    "Receiving data: Connection closed by the server before the response was complete";

void Fail(std::string text, TErrCode& errCode, std::string& errText)
{
    errCode = ErrFailed;
    errText = std::move(text);
}

void FailInternal(const char* position, TErrCode& errCode, std::string& errText)
{
    Fail(std::string("Internal error: ") + position, errCode, errText);
}

bool StartsWithHttpScheme(const std::string& url)
{
    static constexpr char Scheme[] = "http://";
    for (std::size_t i = 0; i < 7; ++i)
        if (std::tolower(static_cast<unsigned char>(url[i])) != Scheme[i])
            return false;
    return true;
}

bool Signalled(const TKvEvent* abort)
{
    return abort && abort->Valid() && abort->Wait(0);
}

}  // namespace

TKvHttpClient::TKvHttpClient() : TKvHttpClient(CreateSocketTransport()) {}

TKvHttpClient::TKvHttpClient(std::unique_ptr<TKvNetTransport> transport)
    : FTransport(std::move(transport))
{
}

TKvHttpClient::~TKvHttpClient()
{
    // The connection goes first: it ends any receive still writing into the
    // buffers and blocks released after it.
    FTransport.reset();
}

void TKvHttpClient::SetUrl(const std::string& url, TErrCode& errCode, std::string& errText)
{
    if (url == FUrl)
        return;
    if (url.size() < 8 || !StartsWithHttpScheme(url))
        return Fail("Invalid URL", errCode, errText);
    std::size_t slash = url.find('/', 7);
    std::size_t hostEnd = slash == std::string::npos ? url.size() : slash;
    if (hostEnd == 7)
        return Fail("Invalid URL", errCode, errText);
    FUrl = url;
    FHost = url.substr(7, hostEnd - 7);
    FPath = slash == std::string::npos ? "/" : url.substr(slash);
}

void TKvHttpClient::Connect(TErrCode& errCode, std::string& errText)
{
    // A response whose body was not read to its end (the caller stopped at
    // its status) still has bytes in the stream: start on a fresh connection.
    if (FResponseOpen) {
        FTransport->Close();
        FResponseOpen = false;
    }
    if (FUrl.empty()) {
        FConnectedHost.clear();
        FTransport->Close();
        return;
    }
    if (FConnectedHost != FHost) {
        FTransport->Close();
        FPending.Clear();
        FConnectedHost = FHost;
        FPort = HttpPort;
    }
    if (FTransport->IsOpen())
        return;
    LoadWinsock(errCode, errText);
    if (errCode != ErrOk)
        return;
    const std::string server = "'" + FConnectedHost + "': ";
    switch (FTransport->Open(FConnectedHost, FPort)) {
    case TKvOpenResult::Ok: return;
    case TKvOpenResult::EventFailed:
        return Fail("Initializing Overlapped structures: Unexpected error", errCode, errText);
    case TKvOpenResult::SocketFailed:
        return Fail("Creating socket: Unexpected error", errCode, errText);
    case TKvOpenResult::HostNotFound:
        return Fail("Locating server " + server + "Host not found", errCode, errText);
    case TKvOpenResult::LookupFailed:
        return Fail("Locating server " + server + "Unexpected error", errCode, errText);
    case TKvOpenResult::Refused:
        return Fail("Connecting to server " + server +
                        "Connection was refused, this is probably not a HTTP server",
                    errCode, errText);
    case TKvOpenResult::ConnectFailed:
        return Fail("Connecting to server " + server + "Unexpected error", errCode, errText);
    }
}

void TKvHttpClient::SendLine(const std::string& text, TErrCode& errCode, std::string& errText)
{
    std::string line = text + "\r\n";
    if (FTransport->Send(line.data(), line.size()) != static_cast<std::int64_t>(line.size()))
        Fail("Sending data: Unexpected error", errCode, errText);
}

void TKvHttpClient::Receive(std::uint32_t maxCount, char* buffer, const TKvEvent* abort,
                            std::uint32_t& received, TErrCode& errCode, std::string& errText)
{
    received = 0;
    // A receive that finds data waiting never waits, so an abort would go
    // unseen for as long as the server keeps up: look at it every time.
    if (Signalled(abort)) {
        errCode = ErrAborted;
        return;
    }
    if (!FPending.Empty()) {
        received = FPending.Take(maxCount, buffer);
        return;
    }
    std::uint32_t sysCode = 0;
    TKvRecvResult result =
        FTransport->Receive(buffer, maxCount, abort, FReceiveTimeout, received, sysCode);
    // A connection whose stream position is unknown (given-up receive) or
    // that the server has ended cannot carry another request.
    if (result != TKvRecvResult::Ok || received == 0)
        FTransport->Close();
    switch (result) {
    case TKvRecvResult::Ok: return;
    case TKvRecvResult::Aborted: errCode = ErrAborted; return;
    case TKvRecvResult::TimedOut: return Fail("Receiving data: Timed out", errCode, errText);
    case TKvRecvResult::StartFailed:
        return Fail("Receiving data: Unexpected error: KvHttp 672.92", errCode, errText);
    case TKvRecvResult::ResultFailed:
        // Socket codes lie outside the system message table, so this gives
        // the code in decimal.
        return Fail("Receiving data: Unexpected error: " + SysErrorText(sysCode), errCode, errText);
    }
}

void TKvHttpClient::ReceiveSome(std::uint32_t maxCount, char* buffer, const TKvEvent* abort,
                                std::uint32_t& received, TErrCode& errCode, std::string& errText)
{
    Receive(maxCount, buffer, abort, received, errCode, errText);
    if (errCode == ErrOk && received == 0)
        Fail(ClosedEarlyText, errCode, errText);
}

void TKvHttpClient::PushPending(std::uint32_t length, const char* data, TErrCode& errCode,
                                std::string& errText)
{
    if (!FPending.Push(length, data))
        FailInternal("KvHttp 702.11", errCode, errText);
}

// The one message of every response this client refuses to interpret.
void TKvHttpClient::Reject(const char* what, TErrCode& errCode, std::string& errText)
{
    Fail(std::string("Receiving data: Invalid response from the server (") + what + ")", errCode,
         errText);
}

bool TKvHttpClient::GrowBuffer(TKvGrowBuffer& buffer, std::uint32_t step, std::uint32_t limit,
                               const char* what, TErrCode& errCode, std::string& errText)
{
    const char* old = buffer.FData;
    std::uint32_t oldCapacity = buffer.FCapacity;
    switch (buffer.Grow(step, limit)) {
    case TKvGrowResult::Ok: FPending.Rebase(old, oldCapacity, buffer.FData); return true;
    case TKvGrowResult::OutOfMemory: Fail(OutOfMemoryText, errCode, errText); return false;
    case TKvGrowResult::Limit: Reject(what, errCode, errText); return false;
    }
    return false;
}

// Receives into buffer until scanner finds the empty line, then hands the
// bytes after it back as pending input. closeEnds: a closed connection ends
// the section as it is instead of failing the request.
bool TKvHttpClient::ReceiveLines(TKvGrowBuffer& buffer, TKvLineScanner& scanner,
                                 const TSection& section, bool closeEnds, const TKvEvent* abort,
                                 TErrCode& errCode, std::string& errText)
{
    buffer.FUsed = 0;
    scanner.Restart();
    for (;;) {
        if (buffer.FreeSpace() == 0 &&
            !GrowBuffer(buffer, section.FStep, section.FLimit, section.FTooLong, errCode, errText))
            return false;
        std::uint32_t ask =
            buffer.FreeSpace() < section.FPiece ? buffer.FreeSpace() : section.FPiece;
        std::uint32_t got = 0;
        if (closeEnds)
            Receive(ask, buffer.End(), abort, got, errCode, errText);
        else
            ReceiveSome(ask, buffer.End(), abort, got, errCode, errText);
        if (errCode != ErrOk)
            return false;
        if (got == 0)
            return true;
        buffer.FUsed += got;
        if (scanner.Scan(buffer.FData, buffer.FUsed)) {
            PushPending(buffer.FUsed - scanner.End(), buffer.FData + scanner.End(), errCode,
                        errText);
            return errCode == ErrOk;
        }
    }
}

void TKvHttpClient::ReceiveHeader(const TKvEvent* abort, TErrCode& errCode, std::string& errText)
{
    FPending.Clear();
    FHeaderLength = 0;
    FStatusFact = FConnectionFact = FLengthFact = FChunkedFact = TFact::Unknown;
    FBody.Recycle();
    FResponseOpen = true;
    if (ReceiveLines(FHeader, FHeaderScanner, HeaderSection, false, abort, errCode, errText)) {
        FHeaderLength = FHeaderScanner.End();
        // The status line is checked at once: every caller needs it, and a
        // malformed one must fail the request rather than pass as "no status".
        CheckStatus(errCode, errText);
    }
    if (errCode != ErrOk) {
        FTransport->Close();
        FResponseOpen = false;
    }
}

std::string TKvHttpClient::HeaderValue(std::string_view lowerName) const
{
    return HeaderFieldValue(HeaderText(), lowerName);
}

bool TKvHttpClient::CheckStatus(TErrCode& errCode, std::string& errText)
{
    if (FStatusFact == TFact::Unknown)
        FStatusFact = ParseStatusLine(HeaderText(), FStatusCode) == TKvStatusLine::Rejected
                          ? TFact::Rejected
                          : TFact::Known;
    if (FStatusFact == TFact::Known)
        return true;
    Reject("status code", errCode, errText);
    return false;
}

std::int32_t TKvHttpClient::StatusCode()
{
    TErrCode code = ErrOk;
    std::string text;
    return CheckStatus(code, text) ? FStatusCode : -1;
}

bool TKvHttpClient::CheckChunked(TErrCode& errCode, std::string& errText)
{
    if (FChunkedFact == TFact::Unknown) {
        std::string value = HeaderValue("transfer-encoding");
        FChunked = value == "chunked";
        FChunkedFact = value.empty() || FChunked ? TFact::Known : TFact::Rejected;
    }
    if (FChunkedFact == TFact::Known)
        return true;
    Reject("transfer coding", errCode, errText);
    return false;
}

bool TKvHttpClient::CheckContentLength(TErrCode& errCode, std::string& errText)
{
    if (FLengthFact == TFact::Unknown) {
        std::string value = HeaderValue("content-length");
        FContentLength = -1;
        FLengthFact = value.empty() || ParseContentLength(value, FContentLength) ? TFact::Known
                                                                                 : TFact::Rejected;
    }
    if (FLengthFact == TFact::Known)
        return true;
    Reject("content length", errCode, errText);
    return false;
}

bool TKvHttpClient::CheckConnectionMode(TErrCode& errCode, std::string& errText)
{
    if (FConnectionFact == TFact::Unknown) {
        std::string value = HeaderValue("connection");
        FConnectionMode = value.empty()           ? TConnectionMode::Absent
                          : value == "close"      ? TConnectionMode::Close
                          : value == "keep-alive" ? TConnectionMode::KeepAlive
                                                  : TConnectionMode::Unknown;
        FConnectionFact =
            FConnectionMode != TConnectionMode::Unknown ? TFact::Known : TFact::Rejected;
    }
    if (FConnectionFact == TFact::Known)
        return true;
    Reject("connection mode", errCode, errText);
    return false;
}

// Informational answers, "No Content" and "Not Modified" carry no body
// whatever their fields say; waiting for one would wait for the server to
// close a connection it keeps open.
bool TKvHttpClient::HasNoBody() const
{
    return (FStatusCode >= 100 && FStatusCode < 200) || FStatusCode == 204 || FStatusCode == 304;
}

void TKvHttpClient::SetOnData(TOnDataCode code, void* object)
{
    FOnDataCode = code;
    FOnDataObject = object;
}

void TKvHttpClient::ReceiveBody(const TKvEvent* abort, TErrCode& errCode, std::string& errText)
{
    if (HasNoBody())
        DropIfServerCloses();
    else
        ReceiveFramedBody(abort, errCode, errText);
    if (errCode != ErrOk)
        FTransport->Close();
    FResponseOpen = false;
}

void TKvHttpClient::ReceiveFramedBody(const TKvEvent* abort, TErrCode& errCode,
                                      std::string& errText)
{
    if (!CheckChunked(errCode, errText))
        return;
    if (FChunked)
        return ReceiveChunked(abort, errCode, errText);
    if (!CheckContentLength(errCode, errText))
        return;
    if (FContentLength != -1) {
        ReceiveFixed(static_cast<std::uint32_t>(FContentLength), abort, errCode, errText);
        return DropIfServerCloses();
    }
    if (CheckConnectionMode(errCode, errText))
        ReceiveUntilClose(abort, errCode, errText);
}

// A server that ends the connection after this response would leave a dead
// socket for the next request to the same host; close it now instead.
void TKvHttpClient::DropIfServerCloses()
{
    std::string mode = HeaderValue("connection");
    bool http10 = HeaderText().substr(0, 8) == "HTTP/1.0";
    if (mode == "close" || (http10 && mode != "keep-alive"))
        FTransport->Close();
}

// One receive of at most maxCount body bytes straight into the last block.
void TKvHttpClient::StoreBody(std::uint32_t maxCount, const TKvEvent* abort, bool closeEnds,
                              std::uint32_t& received, TErrCode& errCode, std::string& errText)
{
    received = 0;
    TKvBodyBlock* block = FBody.WritableBlock(errCode, errText);
    if (!block)
        return;
    std::uint32_t ask = maxCount < block->FreeSpace() ? maxCount : block->FreeSpace();
    if (ask > MaxBodyTotal - FBody.Total())
        return Reject("body too large", errCode, errText);
    char* data = block->FData + block->FUsed;
    if (closeEnds)
        Receive(ask, data, abort, received, errCode, errText);
    else
        ReceiveSome(ask, data, abort, received, errCode, errText);
    if (errCode != ErrOk || received == 0)
        return;
    block->FUsed += received;
    FBody.AddToTotal(received);
    if (!FOnDataCode)
        return;
    bool discard = false;
    FOnDataCode(FOnDataObject, received, data, FBody.Total(), discard);
    if (discard)
        block->FUsed = 0;
}

void TKvHttpClient::ReceiveFixed(std::uint32_t length, const TKvEvent* abort, TErrCode& errCode,
                                 std::string& errText)
{
    while (length > 0) {
        std::uint32_t got = 0;
        StoreBody(length, abort, false, got, errCode, errText);
        if (errCode != ErrOk)
            return;
        length -= got;
    }
}

void TKvHttpClient::ReceiveUntilClose(const TKvEvent* abort, TErrCode& errCode,
                                      std::string& errText)
{
    for (;;) {
        std::uint32_t got = 0;
        StoreBody(TKvBodyBlock::Size, abort, true, got, errCode, errText);
        if (errCode != ErrOk || got == 0)
            return;
    }
}

void TKvHttpClient::ReceiveChunked(const TKvEvent* abort, TErrCode& errCode, std::string& errText)
{
    if (!HeaderValue("trailer").empty())
        return FailInternal("KvHttp 427.75", errCode, errText);
    for (;;) {
        std::int32_t size = 0;
        ReceiveChunkSize(abort, size, errCode, errText);
        if (errCode != ErrOk)
            return;
        if (size == 0) {
            ReceiveLines(FTrailer, FTrailerScanner, TrailerSection, true, abort, errCode, errText);
            return DropIfServerCloses();
        }
        ReceiveFixed(static_cast<std::uint32_t>(size), abort, errCode, errText);
        if (errCode != ErrOk)
            return;
        ReceiveChunkEnd(abort, errCode, errText);
        if (errCode != ErrOk)
            return;
    }
}

void TKvHttpClient::ReceiveChunkSize(const TKvEvent* abort, std::int32_t& size, TErrCode& errCode,
                                     std::string& errText)
{
    FChunkLine.FUsed = 0;
    const void* cr = nullptr;
    // Complete when a CR has at least one byte after it.
    while (!cr || static_cast<const char*>(cr) + 1 >= FChunkLine.End()) {
        if (FChunkLine.FreeSpace() == 0 &&
            !GrowBuffer(FChunkLine, ChunkLineStep, ChunkLineLimit, "chunk size line too long",
                        errCode, errText))
            return;
        std::uint32_t ask =
            FChunkLine.FreeSpace() < ChunkLinePiece ? FChunkLine.FreeSpace() : ChunkLinePiece;
        std::uint32_t got = 0;
        ReceiveSome(ask, FChunkLine.End(), abort, got, errCode, errText);
        if (errCode != ErrOk)
            return;
        FChunkLine.FUsed += got;
        cr = std::memchr(FChunkLine.FData, '\r', FChunkLine.FUsed);
    }
    std::uint32_t lineEnd =
        static_cast<std::uint32_t>(static_cast<const char*>(cr) - FChunkLine.FData) + 2;
    PushPending(FChunkLine.FUsed - lineEnd, FChunkLine.FData + lineEnd, errCode, errText);
    if (errCode != ErrOk)
        return;
    switch (ParseChunkSize({FChunkLine.FData, lineEnd - 1}, size)) {
    case TKvChunkLine::Valid: return;
    case TKvChunkLine::BadDigit: return FailInternal("KvHttp 358.77", errCode, errText);
    case TKvChunkLine::TrailingText: return FailInternal("KvHttp 372.75", errCode, errText);
    case TKvChunkLine::TooLarge: return Reject("chunk size too large", errCode, errText);
    }
}

// The CR LF after a chunk's data, not checked; it may arrive a byte at a time.
void TKvHttpClient::ReceiveChunkEnd(const TKvEvent* abort, TErrCode& errCode, std::string& errText)
{
    std::uint32_t have = 0;
    while (have < sizeof FChunkEnd) {
        std::uint32_t got = 0;
        ReceiveSome(sizeof FChunkEnd - have, FChunkEnd + have, abort, got, errCode, errText);
        if (errCode != ErrOk)
            return;
        have += got;
    }
}

void TKvHttpClient::GetBody(std::uint32_t& size, char*& buffer, TErrCode& errCode,
                            std::string& errText)
{
    size = FBody.Total();
    buffer = nullptr;
    // After a handler discarded bytes the blocks hold less than the total:
    // handing out a buffer of that size would expose unset bytes.
    if (FBody.HeldBytes() != size)
        return FailInternal("KvHttp 760.13", errCode, errText);
    void* block = nullptr;
    AllocBlock(size, block, errCode, errText);
    if (errCode != ErrOk)
        return;
    buffer = static_cast<char*>(block);
    FBody.CopyTo(buffer);
}
