// The live-update worker: fetches the latest version and news from the web
// host once per run, retrying every few minutes while the host cannot be
// reached, and tells the main window by a posted message.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "io/KvThread.h"
#include "io/SysEvent.h"

class TKvHttpClient;

inline constexpr const char* LiveUpdatePath = "/imaging/tiff/orvane/liveupdate.txt";
inline constexpr std::uint32_t LiveUpdateRetryMs = 300000;
// The text is a few lines; anything larger is a broken or hostile answer and
// must not make the viewer hold it.
inline constexpr std::uint32_t LiveUpdateMaxBody = 64 * 1024;

class TFrmOrvaneLiveUpdateThread : public TKvThread {
public:
    using TClientFactory = std::function<std::unique_ptr<TKvHttpClient>()>;

    // postDone posts WM_LIVEUPDATE to the main window; it must stay safe to
    // call once the window is gone.
    TFrmOrvaneLiveUpdateThread(std::string host, std::function<void()> postDone);

    // Created by the owner before Start; the owner sets it to end the thread
    // and never touches the object afterwards.
    std::shared_ptr<TKvEvent> FStopEvent = std::make_shared<TKvEvent>();
    // The last fetched text, read by the window after the posted message and
    // before it sets FStopEvent.
    std::string FBody;

    // The web host; tests shorten the pause between failed fetches and reach
    // their own server, the program keeps the defaults.
    std::string FHost;
    std::uint32_t FRetryMs = LiveUpdateRetryMs;
    TClientFactory FClientFactory;

protected:
    void Execute() override;

private:
    TErrCode Fetch();

    std::function<void()> FPostDone;
};
