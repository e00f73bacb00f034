// The worker that downloads the new installer into a temporary file, piece
// by piece as it arrives, and reports to its window only by posted messages
// and its done event.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "io/SysErr.h"
#include "io/SysEvent.h"
#include "update/InstallerCheck.h"

class TKvHttpClient;

inline constexpr const char* InstallerPath = "/imaging/tiff/orvane/installer.exe";
inline constexpr const char* DownloadFailedText =
    "Unable to download update, please try again later";

using TKvHttpClientFactory = std::function<std::unique_ptr<TKvHttpClient>()>;

// Where the installer comes from: the web host, the announced size, and how
// a client is made (tests make clients that reach their own server).
struct TUpdateSource {
    std::string FHost;
    std::int32_t FInstallerSize = 0;
    TKvHttpClientFactory FClientFactory;
    std::string FTempFolder;  // empty: the system's folder for temporary files
};

class IKvUpdateHost;

class TFrmUpdateThread {
public:
    TFrmUpdateThread(IKvUpdateHost& window, TUpdateSource source,
                     std::shared_ptr<TKvEvent> doneEvent);
    TFrmUpdateThread(const TFrmUpdateThread&) = delete;
    TFrmUpdateThread& operator=(const TFrmUpdateThread&) = delete;

    // Runs Execute on a detached thread one step below normal priority; the
    // thread keeps the object alive until it ends.
    static void Start(const std::shared_ptr<TFrmUpdateThread>& thread, TErrCode& errCode,
                      std::string& errText);

    std::shared_ptr<TKvEvent> FAbortEvent = std::make_shared<TKvEvent>();
    std::string FFileName;
    TErrCode FStatus = ErrOk;
    std::string FMessage;

    void Execute();

private:
    void Download();
    void Receive(TKvHttpClient& client);
    void CloseFile();
    // Whole, of the announced size and this product's executable.
    bool DownloadAccepted();
    static void WriteData(void* object, std::uint32_t count, const char* data, std::uint32_t total,
                          bool& discard);

    IKvUpdateHost& FWindow;
    TUpdateSource FSource;
    std::shared_ptr<TKvEvent> FDoneEvent;
    std::FILE* FFileHandle = nullptr;
    TDownloadEnd FEnd;
};

// A new, empty, uniquely named file with the prefix in folder (empty: the
// system's folder for temporary files); false when none can be made.
bool CreateUpdateTempFile(const std::string& folder, const char* prefix, std::string& path);
