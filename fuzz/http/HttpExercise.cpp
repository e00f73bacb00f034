#include "HttpExercise.h"

#include <cstdlib>
#include <memory>

#include "MemoryTransport.h"
#include "net/KvHttp.h"

namespace {

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

struct TSink {
    bool Discard = false;
    std::uint32_t Total = 0;
};

void OnData(void* Object, std::uint32_t Count, const char* Data, std::uint32_t Total, bool& Discard)
{
    auto* sink = static_cast<TSink*>(Object);
    Check(Count > 0 && Count <= TKvBodyBlock::Size && Data != nullptr);
    Check(Total == sink->Total + Count);
    volatile char touch = Data[Count - 1]; // the bytes must be readable
    (void)touch;
    sink->Total = Total;
    Discard = sink->Discard;
}

std::vector<std::string> Cut(const std::uint8_t* Data, std::size_t Size, const std::uint8_t* Sizes, std::size_t Count)
{
    std::vector<std::string> pieces;
    for (std::size_t pos = 0, i = 0; pos < Size; ++i) {
        std::size_t length = Count == 0 ? Size : (Sizes[i % Count] == 0 ? 256 : Sizes[i % Count]);
        length = std::min(length, Size - pos);
        pieces.emplace_back(reinterpret_cast<const char*>(Data + pos), length);
        pos += length;
    }
    return pieces;
}

void OneRequest(TKvHttpClient& Client, TSink& Sink)
{
    TErrCode code = ErrOk;
    std::string text;
    Sink.Total = 0;
    Client.SetUrl("http://fuzz.test/x", code, text);
    Client.Connect(code, text);
    Client.SendLine("GET /x HTTP/1.1\r\nHost: fuzz.test\r\n", code, text);
    if (code == ErrOk)
        Client.ReceiveHeader(nullptr, code, text);
    Check(Client.HeaderText().size() <= 65536);
    std::int32_t status = Client.StatusCode();
    Check(status >= -1 && status <= 999);
    if (code == ErrOk)
        Client.ReceiveBody(nullptr, code, text);
    Check(code == ErrOk || (code == ErrFailed && !text.empty()));
    Check(Client.PendingCount() <= TKvPendingInput::Capacity);
    Check(Client.BodyTotal() == Sink.Total);
    std::uint32_t size = 0;
    char* body = nullptr;
    TErrCode bodyCode = ErrOk;
    Client.GetBody(bodyCode, size, body, text);
    if (bodyCode == ErrOk) {
        Check(size == Client.BodyTotal());
        FreeBlock(body);
    } else {
        Check(Sink.Discard);
    }
}

} // namespace

void ExerciseHttpClient(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 2)
        return;
    std::uint8_t flags = Data[0];
    std::size_t count = std::min<std::size_t>(Data[1] % 16, Size - 2);
    auto script = std::make_shared<TMemoryScript>();
    script->Pieces = Cut(Data + 2 + count, Size - 2 - count, Data + 2, count);
    TKvHttpClient client(std::make_unique<TMemoryTransport>(script));
    client.ReceiveTimeout = 1;
    TSink sink;
    sink.Discard = flags & 1;
    client.SetOnData(OnData, &sink);
    OneRequest(client, sink);
    if (flags & 2)
        OneRequest(client, sink);
}
