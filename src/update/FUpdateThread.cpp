#include "update/FUpdateThread.h"

#include <new>
#include <system_error>
#include <thread>

#include "app/KvThread.h"
#include "net/KvHttp.h"
#include "update/FUpdate.h"

TFrmUpdateThread::TFrmUpdateThread(IKvUpdateHost& window, TUpdateSource source,
                                   std::shared_ptr<TKvEvent> doneEvent)
    : FWindow(window), FSource(std::move(source)), FDoneEvent(std::move(doneEvent))
{
}

void TFrmUpdateThread::Start(const std::shared_ptr<TFrmUpdateThread>& thread, TErrCode& errCode,
                             std::string& errText)
{
    try {
        std::thread([thread] {
            SetCurrentThreadPriority(-1);
            thread->Execute();
        }).detach();
    } catch (const std::system_error&) {
        errCode = ErrFailed;
        errText = UnexpectedText("FUpdate 246.9");
    }
}

// The window waits for the done event without a time limit, so every road
// through here, failures included, must end by setting it.
void TFrmUpdateThread::Execute()
{
    Status = ErrOk;
    Download();
    if (Status != ErrAborted) {
        FWindow.PostToWindow(umFinished, 0);
        AbortEvent->Wait(KvWaitInfinite);
    }
    FDoneEvent->Set();
}

void TFrmUpdateThread::Download()
{
    std::unique_ptr<TKvHttpClient> client;
    try {
        if (!CreateUpdateTempFile(FSource.TempFolder, "kvu", FileName))
            RaiseInternal("FUpdate 152.40");
        FFileHandle = std::fopen(FileName.c_str(), "wb");
        if (!FFileHandle)
            RaiseInternal("FUpdate 154.111");
        client =
            FSource.ClientFactory ? FSource.ClientFactory() : std::make_unique<TKvHttpClient>();
        Receive(*client);
    } catch (const std::exception&) {
        // Temporary file, client or write: the user can only try again later.
        Status = ErrFailed;
        Message = DownloadFailedText;
    }
    client.reset();
    CloseFile();
    if (Status != ErrOk && !FileName.empty())
        std::remove(FileName.c_str());
}

void TFrmUpdateThread::Receive(TKvHttpClient& client)
{
    const TKvEvent* abort = AbortEvent.get();
    client.SetUrl("http://" + FSource.Host + InstallerPath, Status, Message);
    if (Status == ErrOk)
        client.Connect(Status, Message);
    if (Status == ErrOk)
        client.SendLine("GET " + client.Path() + " HTTP/1.1\r\nHost: " + client.Host() + "\r\n",
                        Status, Message);
    if (Status == ErrOk)
        client.ReceiveHeader(abort, Status, Message);
    if (Status != ErrOk)
        return;
    if (client.StatusCode() != 200) {
        Status = ErrFailed;
        Message = DownloadFailedText;
        return;
    }
    client.SetOnData(&TFrmUpdateThread::WriteData, this);
    client.ReceiveBody(abort, Status, Message);
    if (Status == ErrOk && std::fflush(FFileHandle) != 0)
        RaiseInternal("FUpdate 208.122");
}

void TFrmUpdateThread::CloseFile()
{
    if (FFileHandle && std::fclose(FFileHandle) != 0 && Status == ErrOk) {
        Status = ErrFailed;
        Message = DownloadFailedText;
    }
    FFileHandle = nullptr;
}

// Each piece goes to the file and is dropped from the client at once, so the
// installer is never held whole in memory.
void TFrmUpdateThread::WriteData(void* object, std::uint32_t count, const char* data,
                                 std::uint32_t total, bool& discard)
{
    auto* self = static_cast<TFrmUpdateThread*>(object);
    std::size_t written = std::fwrite(data, 1, count, self->FFileHandle);
    if (written != count)
        RaiseInternal(std::ferror(self->FFileHandle) ? "FUpdate 208.122" : "FUpdate 209.85");
    discard = true;
    self->FWindow.PostToWindow(umProgress, total);
}
