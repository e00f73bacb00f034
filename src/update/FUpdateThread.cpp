#include "update/FUpdateThread.h"

#include <new>
#include <system_error>
#include <thread>

#include "io/KvThread.h"
#include "io/SysFile.h"
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
    FStatus = ErrOk;
    Download();
    if (FStatus != ErrAborted) {
        FWindow.PostToWindow(umFinished, 0);
        FAbortEvent->Wait(KvWaitInfinite);
    }
    FDoneEvent->Set();
}

void TFrmUpdateThread::Download()
{
    std::unique_ptr<TKvHttpClient> client;
    try {
        if (!CreateUpdateTempFile(FSource.FTempFolder, "kvu", FFileName))
            RaiseInternal("FUpdate 152.40");
        FFileHandle = CreateFileStream(FFileName);
        if (!FFileHandle)
            RaiseInternal("FUpdate 154.111");
        client =
            FSource.FClientFactory ? FSource.FClientFactory() : std::make_unique<TKvHttpClient>();
        Receive(*client);
    } catch (const std::exception&) {
        // Temporary file, client or write: the user can only try again later.
        FStatus = ErrFailed;
        FMessage = DownloadFailedText;
    }
    client.reset();
    CloseFile();
    if (FStatus != ErrOk && !FFileName.empty())
        DeleteFileAt(FFileName);
}

void TFrmUpdateThread::Receive(TKvHttpClient& client)
{
    const TKvEvent* abort = FAbortEvent.get();
    client.SetUrl("http://" + FSource.FHost + InstallerPath, FStatus, FMessage);
    if (FStatus == ErrOk)
        client.Connect(FStatus, FMessage);
    if (FStatus == ErrOk)
        client.SendLine("GET " + client.Path() + " HTTP/1.1\r\nHost: " + client.Host() + "\r\n",
                        FStatus, FMessage);
    if (FStatus == ErrOk)
        client.ReceiveHeader(abort, FStatus, FMessage);
    if (FStatus != ErrOk)
        return;
    if (client.StatusCode() != 200) {
        FStatus = ErrFailed;
        FMessage = DownloadFailedText;
        return;
    }
    client.SetOnData(&TFrmUpdateThread::WriteData, this);
    client.ReceiveBody(abort, FStatus, FMessage);
    if (FStatus == ErrOk && std::fflush(FFileHandle) != 0)
        RaiseInternal("FUpdate 208.122");
}

void TFrmUpdateThread::CloseFile()
{
    if (FFileHandle && std::fclose(FFileHandle) != 0 && FStatus == ErrOk) {
        FStatus = ErrFailed;
        FMessage = DownloadFailedText;
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
