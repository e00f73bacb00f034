#include "app/FOrvaneLiveUpdateThread.h"

#include "net/KvHttp.h"

namespace {

struct EBodyTooLarge {};

void LimitBody(void*, std::uint32_t, const char*, std::uint32_t total, bool&)
{
    if (total > LiveUpdateMaxBody)
        throw EBodyTooLarge{};
}

}  // namespace

TFrmOrvaneLiveUpdateThread::TFrmOrvaneLiveUpdateThread(std::string host,
                                                       std::function<void()> postDone)
    : FHost(std::move(host)), FPostDone(std::move(postDone))
{
}

void TFrmOrvaneLiveUpdateThread::Execute()
{
    for (;;) {
        TErrCode status = Fetch();
        if (status == ErrOk) {
            FPostDone();
            FStopEvent->Wait(KvWaitInfinite);
            return;
        }
        if (status == ErrAborted || FStopEvent->Wait(FRetryMs))
            return;
    }
}

TErrCode TFrmOrvaneLiveUpdateThread::Fetch()
{
    TErrCode status = ErrOk;
    std::string text;
    try {
        std::unique_ptr<TKvHttpClient> client =
            FClientFactory ? FClientFactory() : std::make_unique<TKvHttpClient>();
        const TKvEvent* stop = FStopEvent.get();
        client->SetUrl("http://" + FHost + LiveUpdatePath, status, text);
        if (status == ErrOk)
            client->Connect(status, text);
        if (status == ErrOk)
            client->SendLine("GET " + client->Path() + " HTTP/1.1\r\nHost: " + client->Host() +
                                 "\r\n",
                             status, text);
        if (status == ErrOk)
            client->ReceiveHeader(stop, status, text);
        if (status == ErrOk) {
            client->SetOnData(&LimitBody, nullptr);
            client->ReceiveBody(stop, status, text);
        }
        if (status == ErrOk && client->StatusCode() != 200)
            status = ErrFailed;
        std::uint32_t size = 0;
        char* buffer = nullptr;
        if (status == ErrOk)
            client->GetBody(size, buffer, status, text);
        if (status == ErrOk) {
            FBody.assign(buffer, size);
            FreeBlock(buffer);
        }
    } catch (const EBodyTooLarge&) {
        status = ErrFailed;
    } catch (const std::exception&) {
        status = ErrFailed;
    }
    return status;
}
