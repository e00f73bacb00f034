#include "net/KvHttp.h"

#include <cctype>

#include "io/SysErr.h"
#include "io/SysEvent.h"
#include "net/KvWsa.h"

namespace {

constexpr TKvHttpClient::TSection HeaderSection{8192, 65536, 2048, "header too long"};
constexpr TKvHttpClient::TSection TrailerSection{2048, 65536, 512, "trailer too long"};
constexpr std::uint32_t ChunkLineStep = 128, ChunkLineLimit = 1024, ChunkLinePiece = 32;
constexpr std::uint32_t MaxBodyTotal = 0x7FFFFFFF;

constexpr const char* ClosedEarlyText =
    "Receiving data: Connection closed by the server before the response was complete";

void Fail(TErrCode& ErrCode, std::string& ErrText, std::string Text)
{
    ErrCode = ErrFailed;
    ErrText = std::move(Text);
}

void FailInternal(TErrCode& ErrCode, std::string& ErrText, const char* Position)
{
    Fail(ErrCode, ErrText, std::string("Internal error: ") + Position);
}

// The one message of every response this client refuses to interpret.
void Reject(TErrCode& ErrCode, std::string& ErrText, const char* What)
{
    Fail(ErrCode, ErrText, std::string("Receiving data: Invalid response from the server (") + What + ")");
}

bool StartsWithHttpScheme(const std::string& Url)
{
    static constexpr char Scheme[] = "http://";
    for (std::size_t i = 0; i < 7; ++i)
        if (std::tolower(static_cast<unsigned char>(Url[i])) != Scheme[i])
            return false;
    return true;
}

} // namespace

TKvHttpClient::TKvHttpClient() : TKvHttpClient(CreateSocketTransport()) {}

TKvHttpClient::TKvHttpClient(std::unique_ptr<TKvNetTransport> Transport) : FTransport(std::move(Transport)) {}

TKvHttpClient::~TKvHttpClient()
{
    // The connection goes first: it ends any receive still writing into the
    // buffers and blocks released after it.
    FTransport.reset();
}

void TKvHttpClient::SetUrl(const std::string& Url, TErrCode& ErrCode, std::string& ErrText)
{
    if (Url == FUrl)
        return;
    if (Url.size() < 8 || !StartsWithHttpScheme(Url))
        return Fail(ErrCode, ErrText, "Invalid URL");
    std::size_t slash = Url.find('/', 7);
    std::size_t hostEnd = slash == std::string::npos ? Url.size() : slash;
    if (hostEnd == 7)
        return Fail(ErrCode, ErrText, "Invalid URL");
    FUrl = Url;
    FHost = Url.substr(7, hostEnd - 7);
    FPath = slash == std::string::npos ? "/" : Url.substr(slash);
}

void TKvHttpClient::Connect(TErrCode& ErrCode, std::string& ErrText)
{
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
    LoadWinsock(ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    switch (FTransport->Open(FConnectedHost, FPort)) {
    case TKvOpenResult::Ok: return;
    case TKvOpenResult::EventFailed: return Fail(ErrCode, ErrText, "Initializing Overlapped structures: Unexpected error");
    case TKvOpenResult::SocketFailed: return Fail(ErrCode, ErrText, "Creating socket: Unexpected error");
    case TKvOpenResult::HostNotFound: return Fail(ErrCode, ErrText, "Locating server '" + FConnectedHost + "': Host not found");
    case TKvOpenResult::LookupFailed: return Fail(ErrCode, ErrText, "Locating server '" + FConnectedHost + "': Unexpected error");
    case TKvOpenResult::Refused:
        return Fail(ErrCode, ErrText, "Connecting to server '" + FConnectedHost +
                                          "': Connection was refused, this is probably not a HTTP server");
    case TKvOpenResult::ConnectFailed: return Fail(ErrCode, ErrText, "Connecting to server '" + FConnectedHost + "': Unexpected error");
    }
}

void TKvHttpClient::SendLine(const std::string& Text, TErrCode& ErrCode, std::string& ErrText)
{
    std::string line = Text + "\r\n";
    if (FTransport->Send(line.data(), line.size()) != static_cast<std::int64_t>(line.size()))
        Fail(ErrCode, ErrText, "Sending data: Unexpected error");
}

void TKvHttpClient::Receive(std::uint32_t MaxCount, char* Buffer, const TKvEvent* Abort, TErrCode& ErrCode,
                            std::uint32_t& Received, std::string& ErrText)
{
    Received = 0;
    if (!FPending.Empty()) {
        Received = FPending.Take(MaxCount, Buffer);
        return;
    }
    std::uint32_t sysCode = 0;
    TKvRecvResult result = FTransport->Receive(Buffer, MaxCount, Abort, ReceiveTimeout, Received, sysCode);
    // A connection whose stream position is unknown (given-up receive) or
    // that the server has ended cannot carry another request.
    if (result != TKvRecvResult::Ok || Received == 0)
        FTransport->Close();
    switch (result) {
    case TKvRecvResult::Ok: return;
    case TKvRecvResult::Aborted: ErrCode = ErrAborted; return;
    case TKvRecvResult::TimedOut: return Fail(ErrCode, ErrText, "Receiving data: Timed out");
    case TKvRecvResult::StartFailed: return Fail(ErrCode, ErrText, "Receiving data: Unexpected error: KvHttp 672.92");
    case TKvRecvResult::ResultFailed:
        // Socket codes lie outside the system message table, so this gives
        // the code in decimal.
        return Fail(ErrCode, ErrText, "Receiving data: Unexpected error: " + SysErrorText(sysCode));
    }
}

void TKvHttpClient::ReceiveSome(std::uint32_t MaxCount, char* Buffer, const TKvEvent* Abort, TErrCode& ErrCode,
                                std::uint32_t& Received, std::string& ErrText)
{
    Receive(MaxCount, Buffer, Abort, ErrCode, Received, ErrText);
    if (ErrCode == ErrOk && Received == 0)
        Fail(ErrCode, ErrText, ClosedEarlyText);
}

void TKvHttpClient::PushPending(std::uint32_t Length, const char* Data, TErrCode& ErrCode, std::string& ErrText)
{
    if (!FPending.Push(Length, Data))
        FailInternal(ErrCode, ErrText, "KvHttp 702.11");
}

bool TKvHttpClient::GrowBuffer(TKvGrowBuffer& Buffer, std::uint32_t Step, std::uint32_t Limit, const char* What,
                               TErrCode& ErrCode, std::string& ErrText)
{
    const char* old = Buffer.Data;
    std::uint32_t oldCapacity = Buffer.Capacity;
    switch (Buffer.Grow(Step, Limit)) {
    case TKvGrowResult::Ok:
        FPending.Rebase(old, oldCapacity, Buffer.Data);
        return true;
    case TKvGrowResult::OutOfMemory: Fail(ErrCode, ErrText, OutOfMemoryText); return false;
    case TKvGrowResult::Limit: Reject(ErrCode, ErrText, What); return false;
    }
    return false;
}

// Receives into Buffer until Scanner finds the empty line, then hands the
// bytes after it back as pending input. CloseEnds: a closed connection ends
// the section as it is instead of failing the request.
bool TKvHttpClient::ReceiveLines(TKvGrowBuffer& Buffer, TKvLineScanner& Scanner, const TSection& Section,
                                 bool CloseEnds, const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    Buffer.Used = 0;
    Scanner.Restart();
    for (;;) {
        if (Buffer.FreeSpace() == 0 &&
            !GrowBuffer(Buffer, Section.Step, Section.Limit, Section.TooLong, ErrCode, ErrText))
            return false;
        std::uint32_t ask = Buffer.FreeSpace() < Section.Piece ? Buffer.FreeSpace() : Section.Piece;
        std::uint32_t got = 0;
        if (CloseEnds)
            Receive(ask, Buffer.Data + Buffer.Used, Abort, ErrCode, got, ErrText);
        else
            ReceiveSome(ask, Buffer.Data + Buffer.Used, Abort, ErrCode, got, ErrText);
        if (ErrCode != ErrOk)
            return false;
        if (got == 0)
            return true;
        Buffer.Used += got;
        if (Scanner.Scan(Buffer.Data, Buffer.Used)) {
            PushPending(Buffer.Used - Scanner.End(), Buffer.Data + Scanner.End(), ErrCode, ErrText);
            return ErrCode == ErrOk;
        }
    }
}

void TKvHttpClient::ReceiveHeader(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    FPending.Clear();
    FHeaderLength = 0;
    FStatusFact = FConnectionFact = FLengthFact = FChunkedFact = TFact::Unknown;
    FBody.Recycle();
    if (!ReceiveLines(FHeader, FHeaderScanner, HeaderSection, false, Abort, ErrCode, ErrText))
        return;
    FHeaderLength = FHeaderScanner.End();
    // The status line is checked at once: every caller needs it, and a
    // malformed one must fail the request rather than pass as "no status".
    CheckStatus(ErrCode, ErrText);
}

std::string TKvHttpClient::HeaderValue(std::string_view LowerName) const
{
    return HeaderFieldValue(HeaderText(), LowerName);
}

bool TKvHttpClient::CheckStatus(TErrCode& ErrCode, std::string& ErrText)
{
    if (FStatusFact == TFact::Unknown)
        FStatusFact = ParseStatusLine(HeaderText(), FStatusCode) == TKvStatusLine::Rejected ? TFact::Rejected : TFact::Known;
    if (FStatusFact == TFact::Known)
        return true;
    Reject(ErrCode, ErrText, "status code");
    return false;
}

std::int32_t TKvHttpClient::StatusCode()
{
    TErrCode code = ErrOk;
    std::string text;
    return CheckStatus(code, text) ? FStatusCode : -1;
}

bool TKvHttpClient::CheckChunked(TErrCode& ErrCode, std::string& ErrText)
{
    if (FChunkedFact == TFact::Unknown) {
        std::string value = HeaderValue("transfer-encoding");
        FChunked = value == "chunked";
        FChunkedFact = value.empty() || FChunked ? TFact::Known : TFact::Rejected;
    }
    if (FChunkedFact == TFact::Known)
        return true;
    Reject(ErrCode, ErrText, "transfer coding");
    return false;
}

bool TKvHttpClient::CheckContentLength(TErrCode& ErrCode, std::string& ErrText)
{
    if (FLengthFact == TFact::Unknown) {
        std::string value = HeaderValue("content-length");
        FContentLength = -1;
        FLengthFact = value.empty() || ParseContentLength(value, FContentLength) ? TFact::Known : TFact::Rejected;
    }
    if (FLengthFact == TFact::Known)
        return true;
    Reject(ErrCode, ErrText, "content length");
    return false;
}

bool TKvHttpClient::CheckConnectionMode(TErrCode& ErrCode, std::string& ErrText)
{
    if (FConnectionFact == TFact::Unknown) {
        std::string value = HeaderValue("connection");
        FConnectionMode = value.empty() ? 0 : value == "close" ? 1 : value == "keep-alive" ? 2 : 3;
        FConnectionFact = FConnectionMode < 3 ? TFact::Known : TFact::Rejected;
    }
    if (FConnectionFact == TFact::Known)
        return true;
    Reject(ErrCode, ErrText, "connection mode");
    return false;
}

void TKvHttpClient::SetOnData(TOnDataCode Code, void* Object)
{
    FOnDataCode = Code;
    FOnDataObject = Object;
}

void TKvHttpClient::ReceiveBody(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    if (!CheckChunked(ErrCode, ErrText))
        return;
    if (FChunked)
        return ReceiveChunked(Abort, ErrCode, ErrText);
    if (!CheckContentLength(ErrCode, ErrText))
        return;
    if (FContentLength != -1) {
        ReceiveFixed(static_cast<std::uint32_t>(FContentLength), Abort, ErrCode, ErrText);
        return DropIfServerCloses();
    }
    if (CheckConnectionMode(ErrCode, ErrText))
        ReceiveUntilClose(Abort, ErrCode, ErrText);
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

// One receive of at most MaxCount body bytes straight into the last block.
void TKvHttpClient::StoreBody(std::uint32_t MaxCount, const TKvEvent* Abort, bool CloseEnds, TErrCode& ErrCode,
                              std::uint32_t& Received, std::string& ErrText)
{
    Received = 0;
    TKvBodyBlock* block = FBody.WritableBlock(ErrCode, ErrText);
    if (!block)
        return;
    std::uint32_t ask = MaxCount < block->FreeSpace() ? MaxCount : block->FreeSpace();
    if (ask > MaxBodyTotal - FBody.Total)
        return Reject(ErrCode, ErrText, "body too large");
    char* data = block->Data + block->Used;
    if (CloseEnds)
        Receive(ask, data, Abort, ErrCode, Received, ErrText);
    else
        ReceiveSome(ask, data, Abort, ErrCode, Received, ErrText);
    if (ErrCode != ErrOk || Received == 0)
        return;
    block->Used += Received;
    FBody.Total += Received;
    if (!FOnDataCode)
        return;
    bool discard = false;
    FOnDataCode(FOnDataObject, Received, data, FBody.Total, discard);
    if (discard)
        block->Used = 0;
}

void TKvHttpClient::ReceiveFixed(std::uint32_t Length, const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    while (Length > 0) {
        std::uint32_t got = 0;
        StoreBody(Length, Abort, false, ErrCode, got, ErrText);
        if (ErrCode != ErrOk)
            return;
        Length -= got;
    }
}

void TKvHttpClient::ReceiveUntilClose(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    for (;;) {
        std::uint32_t got = 0;
        StoreBody(TKvBodyBlock::Size, Abort, true, ErrCode, got, ErrText);
        if (ErrCode != ErrOk || got == 0)
            return;
    }
}

void TKvHttpClient::ReceiveChunked(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    if (!HeaderValue("trailer").empty())
        return FailInternal(ErrCode, ErrText, "KvHttp 427.75");
    for (;;) {
        std::int32_t size = 0;
        ReceiveChunkSize(Abort, ErrCode, size, ErrText);
        if (ErrCode != ErrOk)
            return;
        if (size == 0) {
            ReceiveTrailer(Abort, ErrCode, ErrText);
            return DropIfServerCloses();
        }
        ReceiveFixed(static_cast<std::uint32_t>(size), Abort, ErrCode, ErrText);
        if (ErrCode != ErrOk)
            return;
        ReceiveChunkEnd(Abort, ErrCode, ErrText);
        if (ErrCode != ErrOk)
            return;
    }
}

void TKvHttpClient::ReceiveChunkSize(const TKvEvent* Abort, TErrCode& ErrCode, std::int32_t& Size, std::string& ErrText)
{
    FChunkLine.Used = 0;
    const void* cr = nullptr;
    // Complete when a CR has at least one byte after it.
    while (!cr || static_cast<const char*>(cr) + 1 >= FChunkLine.Data + FChunkLine.Used) {
        if (FChunkLine.FreeSpace() == 0 &&
            !GrowBuffer(FChunkLine, ChunkLineStep, ChunkLineLimit, "chunk size line too long", ErrCode, ErrText))
            return;
        std::uint32_t ask = FChunkLine.FreeSpace() < ChunkLinePiece ? FChunkLine.FreeSpace() : ChunkLinePiece;
        std::uint32_t got = 0;
        ReceiveSome(ask, FChunkLine.Data + FChunkLine.Used, Abort, ErrCode, got, ErrText);
        if (ErrCode != ErrOk)
            return;
        FChunkLine.Used += got;
        cr = std::memchr(FChunkLine.Data, '\r', FChunkLine.Used);
    }
    std::uint32_t lineEnd = static_cast<std::uint32_t>(static_cast<const char*>(cr) - FChunkLine.Data) + 2;
    PushPending(FChunkLine.Used - lineEnd, FChunkLine.Data + lineEnd, ErrCode, ErrText);
    if (ErrCode != ErrOk)
        return;
    switch (ParseChunkSize({FChunkLine.Data, lineEnd - 1}, Size)) {
    case TKvChunkLine::Valid: return;
    case TKvChunkLine::BadDigit: return FailInternal(ErrCode, ErrText, "KvHttp 358.77");
    case TKvChunkLine::TrailingText: return FailInternal(ErrCode, ErrText, "KvHttp 372.75");
    case TKvChunkLine::TooLarge: return Reject(ErrCode, ErrText, "chunk size too large");
    }
}

// The CR LF after a chunk's data, not checked; it may arrive a byte at a time.
void TKvHttpClient::ReceiveChunkEnd(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    std::uint32_t have = 0;
    while (have < sizeof FChunkEnd) {
        std::uint32_t got = 0;
        ReceiveSome(sizeof FChunkEnd - have, FChunkEnd + have, Abort, ErrCode, got, ErrText);
        if (ErrCode != ErrOk)
            return;
        have += got;
    }
}

void TKvHttpClient::ReceiveTrailer(const TKvEvent* Abort, TErrCode& ErrCode, std::string& ErrText)
{
    ReceiveLines(FTrailer, FTrailerScanner, TrailerSection, true, Abort, ErrCode, ErrText);
}

void TKvHttpClient::GetBody(TErrCode& ErrCode, std::uint32_t& Size, char*& Buffer, std::string& ErrText)
{
    Size = FBody.Total;
    Buffer = nullptr;
    // After a handler discarded bytes the blocks hold less than the total:
    // handing out a buffer of that size would expose unset bytes.
    if (FBody.HeldBytes() != Size)
        return FailInternal(ErrCode, ErrText, "KvHttp 760.13");
    void* block = nullptr;
    AllocBlock(Size, ErrCode, block, ErrText);
    if (ErrCode != ErrOk)
        return;
    Buffer = static_cast<char*>(block);
    FBody.CopyTo(Buffer);
}
