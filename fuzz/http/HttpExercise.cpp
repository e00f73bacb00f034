#include "HttpExercise.h"

#include <cstdlib>
#include <memory>

#include "MemoryTransport.h"
#include "net/KvHttp.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

struct TSink {
    bool FDiscard = false;
    std::uint32_t FTotal = 0;
};

void OnData(void* object, std::uint32_t count, const char* data, std::uint32_t total, bool& discard)
{
    auto* sink = static_cast<TSink*>(object);
    Check(count > 0 && count <= TKvBodyBlock::Size && data != nullptr);
    Check(total == sink->FTotal + count);
    volatile char touch = data[count - 1];  // the bytes must be readable
    (void)touch;
    sink->FTotal = total;
    discard = sink->FDiscard;
}

std::vector<std::string> Cut(const std::uint8_t* data, std::size_t size, const std::uint8_t* sizes,
                             std::size_t count)
{
    std::vector<std::string> pieces;
    for (std::size_t pos = 0, i = 0; pos < size; ++i) {
        std::size_t length = count == 0 ? size : (sizes[i % count] == 0 ? 256 : sizes[i % count]);
        length = std::min(length, size - pos);
        pieces.emplace_back(reinterpret_cast<const char*>(data + pos), length);
        pos += length;
    }
    return pieces;
}

void OneRequest(TKvHttpClient& client, TSink& sink)
{
    TErrCode code = ErrOk;
    std::string text;
    sink.FTotal = 0;
    client.SetUrl("http://fuzz.test/x", code, text);
    client.Connect(code, text);
    client.SendLine("GET /x HTTP/1.1\r\nHost: fuzz.test\r\n", code, text);
    if (code == ErrOk)
        client.ReceiveHeader(nullptr, code, text);
    Check(client.HeaderText().size() <= 65536);
    std::int32_t status = client.StatusCode();
    Check(status >= -1 && status <= 999);
    if (code == ErrOk)
        client.ReceiveBody(nullptr, code, text);
    Check(code == ErrOk || (code == ErrFailed && !text.empty()));
    Check(client.PendingCount() <= TKvPendingInput::Capacity);
    Check(client.BodyTotal() == sink.FTotal);
    std::uint32_t size = 0;
    char* body = nullptr;
    TErrCode bodyCode = ErrOk;
    client.GetBody(size, body, bodyCode, text);
    if (bodyCode == ErrOk) {
        Check(size == client.BodyTotal());
        FreeBlock(body);
    } else {
        Check(sink.FDiscard);
    }
}

}  // namespace

void ExerciseHttpClient(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return;
    std::uint8_t flags = data[0];
    std::size_t count = std::min<std::size_t>(data[1] % 16, size - 2);
    auto script = std::make_shared<TMemoryScript>();
    script->FPieces = Cut(data + 2 + count, size - 2 - count, data + 2, count);
    TKvHttpClient client(std::make_unique<TMemoryTransport>(script));
    client.SetReceiveTimeout(1);
    TSink sink;
    sink.FDiscard = flags & 1;
    client.SetOnData(OnData, &sink);
    OneRequest(client, sink);
    if (flags & 2)
        OneRequest(client, sink);
}
