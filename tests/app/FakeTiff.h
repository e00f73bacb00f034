// A scripted reader and recording widgets for driving the viewer's logic
// without a window system or a real file.
#pragma once

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/FOrvaneLiveUpdate.h"
#include "app/FOrvane.h"

struct TFakeFile {
    std::uint32_t Pages = 1;
    std::uint32_t KnownAtOpen = 1;
    std::int64_t BrokenPage = -1;   // ReadPage fails here
    std::int64_t ScanFailsAt = -1;  // ScanStep fails once this many pages are known
    bool NotTiff = false;
    bool InternalOnRead = false;  // ReadPage raises an internal failure
    bool ValueUnreadable = false;
    bool Cut = false;  // the end of the file cuts every directory after its entries
    std::chrono::microseconds StepCost{0};
};

class TFakeTiff : public IKvTiffPages {
public:
    explicit TFakeTiff(std::map<std::string, TFakeFile>* files) : FFiles(files) {}

    void EnablePageList(bool, TErrCode&, std::string&) override {}
    void Open(const std::string& path, const std::string& display, std::uint32_t, std::uint32_t,
              TErrCode&, std::string&) override
    {
        FFile = (*FFiles)[path];
        FDisplay = display;
        FKnown = std::min(FFile.KnownAtOpen, FFile.Pages);
        FCursor = 0;
    }
    void SelectPage(std::uint32_t index, TErrCode& errCode, std::string& errText) override
    {
        if (FFile.NotTiff)
            return Fail("Reading from file '" + FDisplay + "': Not a TIFF file", errCode, errText);
        FCursor = index;
        if (index + 1 > FKnown && index < FFile.Pages)
            FKnown = index + 1;
    }
    void ReadPage(TErrCode& errCode, std::string& errText) override
    {
        if (FFile.InternalOnRead)
            RaiseInternal("KvCodecTiff 1234.5");
        if (FCursor >= FFile.Pages)
            return Fail("End of TIFF, no more pages", errCode, errText);
        if (std::int64_t(FCursor) == FFile.BrokenPage)
            return Fail("Page list is broken", errCode, errText);
        FLoaded = FCursor;
        if (FCursor + 2 > FKnown && FCursor + 1 < FFile.Pages)
            FKnown = FCursor + 2;
        ++FCursor;
    }
    void ScanStep(bool& final, TErrCode& errCode, std::string& errText) override
    {
        ++Steps;
        // Spins rather than sleeps: sleeps are far coarser than a step.
        auto until = std::chrono::steady_clock::now() + FFile.StepCost;
        while (std::chrono::steady_clock::now() < until) {
        }
        if (FFile.ScanFailsAt >= 0 && std::int64_t(FKnown) >= FFile.ScanFailsAt)
            return Fail("scan failed", errCode, errText);
        if (FKnown < FFile.Pages)
            ++FKnown;
        final = FKnown >= FFile.Pages;
    }
    void GetPageCount(bool& final, std::uint32_t& count) override
    {
        count = FKnown;
        final = FKnown >= FFile.Pages;
    }
    std::uint32_t EntryCount() override { return 2; }
    bool DirectoryCut() override { return FFile.Cut; }
    std::string TagName(std::uint32_t i) override { return i ? "ImageLength" : "ImageWidth"; }
    std::string DataTypeName(std::uint32_t) override { return "Short"; }
    std::uint64_t ValueCount(std::uint32_t) override { return 1; }
    std::string ValueText(std::uint32_t i, std::uint32_t limit) override
    {
        return std::to_string(FLoaded * 10 + i) + "/" + std::to_string(limit);
    }
    std::uint32_t ValueSize(std::uint32_t) override { return 2; }
    const void* ValuePointer(std::uint32_t i) override
    {
        if (FFile.ValueUnreadable)
            throw std::runtime_error("Premature end of data");
        FValue[0] = static_cast<std::uint8_t>(FLoaded);
        FValue[1] = static_cast<std::uint8_t>(i);
        return FValue;
    }
    // The second entry has a decoded view that names the page count given.
    std::optional<std::string> DecodedText(std::uint32_t i, std::uint32_t pages) override
    {
        if (!i)
            return std::nullopt;
        return "decoded of " + std::to_string(pages) + " pages";
    }
    std::uint64_t FileSize() override { return 1000 + FFile.Pages; }
    std::string ByteOrderText() override { return "Intel"; }
    std::uint64_t IfdOffset() override { return 8 + FLoaded * 100; }
    std::string RasterSizeText() override { return "1.00 Kb"; }
    std::string SizeText(std::uint64_t size) override { return std::to_string(size) + " b"; }
    std::string TagDump() override { return "dump of page " + std::to_string(FLoaded) + "\r\n"; }

    std::atomic<std::uint64_t> Steps{0};

private:
    static void Fail(const std::string& text, TErrCode& errCode, std::string& errText)
    {
        errCode = ErrFailed;
        errText = text;
    }

    std::map<std::string, TFakeFile>* FFiles;
    TFakeFile FFile;
    std::string FDisplay;
    std::uint32_t FKnown = 0;
    std::uint32_t FCursor = 0;
    std::uint32_t FLoaded = 0;
    std::uint8_t FValue[2] = {};
};

struct TFakeText : IKvTextWidget {
    std::string Text;
    void SetText(const std::string& text) override { Text = text; }
};

struct TFakeButton : IKvButtonWidget {
    bool Enabled = true;
    void SetEnabled(bool enabled) override { Enabled = enabled; }
};

struct TFakeList : IKvListWidget {
    std::vector<TKvTagRow> Rows;
    std::int32_t Selected = -1;
    void Clear() override
    {
        Rows.clear();
        Selected = -1;
    }
    void AddRow(const TKvTagRow& row) override { Rows.push_back(row); }
    std::int32_t SelectedIndex() override { return Selected; }
    void SelectNone() override { Selected = -1; }
};

// Messages posted by the page-count thread; outlives the window on purpose.
struct TFakeQueue {
    std::atomic<std::uint64_t> Posted{0};
};

// The registry value of the live-update text.
class TFakeRegistry : public IKvLiveUpdateRegistry {
public:
    TKvStoredKind Kind = TKvStoredKind::Absent;
    std::string Value;
    int Reads = 0;
    int Writes = 0;

    TKvStoredKind Query(std::uint32_t& size) override
    {
        size = static_cast<std::uint32_t>(Value.size());
        return Kind;
    }
    bool Read(std::uint32_t size, std::string& bytes) override
    {
        ++Reads;
        bytes = Value.substr(0, size);
        return true;
    }
    void Write(const std::string& bytes) override
    {
        ++Writes;
        Kind = TKvStoredKind::Binary;
        Value = bytes;
    }
};

struct TFakeHost : IKvOrvaneHost {
    std::string Caption, Title, Clipboard, Chosen, HexCaption;
    std::vector<std::string> Errors;
    std::vector<std::uint8_t> HexBytes;
    TKvTagValue HexValue;
    int HexShown = 0, Repaints = 0, Closes = 0, Role = -1;
    bool ResolveDisplay = true;
    // Services failing the way a starved system makes them fail.
    bool DisplayThrows = false, PosterThrows = false;
    std::shared_ptr<TFakeQueue> Queue = std::make_shared<TFakeQueue>();

    void SetCaption(const std::string& t) override { Caption = t; }
    void SetApplicationTitle(const std::string& t) override { Title = t; }
    void ShowError(const std::string& t) override { Errors.push_back(t); }
    void SetClipboardText(const std::string& t) override { Clipboard = t; }
    std::string DisplayPath(const std::string& p) override
    {
        if (DisplayThrows)
            throw std::bad_alloc();
        return ResolveDisplay ? "D:" + p : "";
    }
    bool ChooseTiffFile(std::string& path, TErrCode&, std::string&) override
    {
        path = Chosen;
        return !Chosen.empty();
    }
    void ShowTagValue(const TKvTagValue& value) override
    {
        HexValue = value;
        HexCaption = value.Caption;
        HexBytes = value.Bytes;
        ++HexShown;
    }
    std::function<void()> PageCountPoster() override
    {
        if (PosterThrows)
            throw std::bad_alloc();
        return [q = Queue] { ++q->Posted; };
    }
    void RepaintNow() override { ++Repaints; }
    void CloseWindow() override { ++Closes; }
    void RunSwitchRole(int role) override { Role = role; }

    TFakeRegistry Registry;
    std::string AboutHtml;
    std::vector<std::string> Opened;
    bool HelpKey = false;
    IKvLiveUpdateRegistry& LiveUpdateRegistry() override { return Registry; }
    std::uint32_t WindowColour() override { return 0x00C8D0D4; }
    void SetAboutHtml(const std::string& html) override { AboutHtml = html; }
    void OpenInShell(const std::string& href) override { Opened.push_back(href); }
    void InstallHelpKey() override { HelpKey = true; }
    void RebuildManualPage() override {}
};

// Polls done every millisecond until it holds or limit has passed.
template <class Pred>
bool WaitUntil(Pred done, std::chrono::milliseconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// True when another thread can take the lock within a second; a thread stuck
// on a held lock is left behind (the test fails anyway).
inline bool LockIsFree(const std::shared_ptr<TTrnTiffShared>& shared)
{
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread([shared, done] {
        shared->FTiffLock.Enter();
        shared->FTiffLock.Leave();
        *done = true;
    }).detach();
    return WaitUntil([&] { return done->load(); }, std::chrono::seconds(1));
}

// A window over fakes; Codec is the reader the window created, if any.
struct TViewerRig {
    std::map<std::string, TFakeFile> Files;
    TFakeHost Host;
    TFakeText EdiFilename, LabPage, Size, Order, Pages, Offset, Raster;
    TFakeList List;
    TFakeButton First, Prev, Next, Last, View, Copy;
    TFakeTiff* Codec = nullptr;
    std::unique_ptr<TFrmOrvane> Frm;
    std::uint64_t FTaken = 0;

    TViewerRig()
    {
        TOrvaneWidgets w{&EdiFilename, &List, &First, &Prev,  &LabPage, &Next,   &Last,
                         &View,        &Copy, &Size,  &Order, &Pages,   &Offset, &Raster};
        Frm = std::make_unique<TFrmOrvane>(Host, w, [this] {
            auto codec = std::make_unique<TFakeTiff>(&Files);
            Codec = codec.get();
            return std::unique_ptr<IKvTiffPages>(std::move(codec));
        });
    }

    // Opens path as a click on Browse would, expecting success.
    void Open(const std::string& path)
    {
        TErrCode errCode = ErrOk;
        std::string errText;
        Frm->OpenFile(path, errCode, errText);
        EXPECT_EQ(errCode, ErrOk) << errText;
    }

    // Runs the window's side of the progress messages until Done holds.
    template <class Pred>
    bool PumpUntil(Pred done, std::chrono::milliseconds limit = std::chrono::seconds(20))
    {
        return WaitUntil(
            [&] {
                for (; FTaken < Host.Queue->Posted; ++FTaken)
                    Frm->PageCountProgress();
                return done();
            },
            limit);
    }

    std::vector<bool> NavState() const
    {
        return {First.Enabled, Prev.Enabled, Next.Enabled, Last.Enabled};
    }
};
