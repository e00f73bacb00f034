#include "update/FUpdateThread.h"

#include <new>

#include "io/KvThread.h"
#include "io/SysFile.h"
#include "net/KvHttp.h"
#include "update/FUpdate.h"
#include "update/InstallerCheck.h"

namespace {

// The downloaded file, read back for the executable check.
class TFileBytes : public TKvByteSource {
public:
    TFileBytes(std::FILE* file, std::uint32_t size) : FFile(file), FSize(size) {}
    std::uint32_t Size() const override { return FSize; }
    bool Read(std::uint32_t offset, std::uint32_t count, char* out) override
    {
        return offset <= FSize && count <= FSize - offset &&
               std::fseek(FFile, static_cast<long>(offset), SEEK_SET) == 0 &&
               std::fread(out, 1, count, FFile) == count;
    }

private:
    std::FILE* FFile;
    std::uint32_t FSize;
};

}  // namespace

TFrmUpdateThread::TFrmUpdateThread(IKvUpdateHost& window, TUpdateSource source,
                                   std::shared_ptr<TKvEvent> doneEvent)
    : FWindow(window), FSource(std::move(source)), FDoneEvent(std::move(doneEvent))
{
}

void TFrmUpdateThread::Start(const std::shared_ptr<TFrmUpdateThread>& thread, TErrCode& errCode,
                             std::string& errText)
{
    if (!StartDetachedThread([thread] {
            SetCurrentThreadPriority(-1);
            thread->Execute();
        })) {
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
    if (FStatus == ErrOk && !DownloadAccepted()) {
        FStatus = ErrFailed;
        FMessage = DownloadFailedText;
    }
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
    FEnd.FFramed = client.HeaderValue("transfer-encoding") == "chunked" ||
                   !client.HeaderValue("content-length").empty();
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
    // An endless or oversized body stops here instead of filling the disk.
    if (total > DownloadLimit(self->FSource.FInstallerSize))
        RaiseInternal("FUpdate 206.40");
    self->FEnd.FReceived = total;
    std::size_t written = std::fwrite(data, 1, count, self->FFileHandle);
    if (written != count)
        RaiseInternal(std::ferror(self->FFileHandle) ? "FUpdate 208.122" : "FUpdate 209.85");
    discard = true;
    self->FWindow.PostToWindow(umProgress, total);
}

bool TFrmUpdateThread::DownloadAccepted()
{
    FEnd.FInstallerSize = FSource.FInstallerSize;
    if (!DownloadSizeAccepted(FEnd))
        return false;
    std::FILE* file = OpenFileStream(FFileName);
    if (!file)
        return false;
    TFileBytes bytes(file, FEnd.FReceived);
    bool accepted = IsProductInstaller(bytes);
    std::fclose(file);
    return accepted;
}
