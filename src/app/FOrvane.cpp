#include "app/FOrvane.h"

#include <mutex>

#include "app/FOrvaneAbout.h"
#include "app/FOrvaneLiveUpdate.h"
#include "app/OrvaneLiveUpdateHost.h"
#include "app/StartUp.h"
#include "tiff/KvCodecTiff.h"

void GuardErrors(const std::function<void()>& fn, TErrCode& errCode, std::string& errText)
{
    try {
        fn();
    } catch (const EKvInternal& e) {
        errCode = ErrFailed;
        errText = UnexpectedText(e.what());
    } catch (const std::bad_alloc&) {
        errCode = ErrFailed;
        errText = OutOfMemoryText;
    } catch (const std::exception& e) {
        errCode = ErrFailed;
        errText = e.what();
    }
}

namespace {

std::string FileNamePart(const std::string& path)
{
    std::size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string ViewerCaption()
{
    return std::string(InitialCaption) + "  " + ProgramVersion;
}

}  // namespace

TFrmOrvane::TFrmOrvane(IKvOrvaneHost& host, const TOrvaneWidgets& widgets,
                       TKvTiffPagesFactory factory)
    : FHost(host), FWidgets(widgets), FFactory(std::move(factory)),
      FShared(std::make_shared<TTrnTiffShared>())
{
}

TFrmOrvane::~TFrmOrvane() = default;

void TFrmOrvane::StartUp(const std::string& argument)
{
    TOrvaneRole role = RoleOfArgument(argument);
    if (role != orViewer) {
        if (role == orManual)
            LoadLiveUpdate(FHost.LiveUpdateRegistry());
        FHost.RunSwitchRole(role);
        FHost.CloseWindow();
        return;
    }
    LoadLiveUpdate(FHost.LiveUpdateRegistry());
    StartLiveUpdate();
    FHost.SetCaption(ViewerCaption());
    for (IKvButtonWidget* b :
         {FWidgets.ButFirst, FWidgets.ButPrevious, FWidgets.ButNext, FWidgets.ButLast})
        b->SetEnabled(false);
    BuildAboutPage();
    // The window shows before an open that may take long; a file opened
    // before the window only waits for its one paint after this.
    if (!OpenedEarly(argument))
        FHost.RepaintNow();
    TErrCode errCode = ErrOk;
    std::string errText;
    if (!argument.empty())
        OpenFile(argument, errCode, errText);
    FHost.InstallHelpKey();
    FEventsEnabled = true;
    ShowErrorOf(errCode, errText);
    PromptForUpdate();
}

void TFrmOrvane::BuildAboutPage()
{
    FHost.SetAboutHtml(BuildAboutPageText(FHost.WindowColour()));
}

void TFrmOrvane::AboutLinkClick(const std::string& href)
{
    if (href == UpdateHref) {
        FUpdatePrompted = true;  // the user is updating: a live update need not ask
        RunAutoUpdate();
    } else if (IsShellSafeHref(href))
        FHost.OpenInShell(href);
}

void TFrmOrvane::OpenBeforeWindow(const std::string& argument)
{
    if (argument.empty() || RoleOfArgument(argument) != orViewer)
        return;
    std::string display = FHost.DisplayPath(argument);
    if (display.empty())
        display = argument;
    TErrCode errCode = ErrOk;
    std::string errText;
    std::lock_guard lock(FShared->FTiffLock);
    GuardErrors([&] { OpenInReader(argument, display, errCode, errText); }, errCode, errText);
    if (errCode != ErrOk)
        return;
    // The window's fields keep their state until StartUp shows the file.
    FShared->FCountFailed = false;
    bool final = false;
    std::uint32_t count = 0;
    FShared->FTiffCodec->GetPageCount(final, count);
    if (!final)
        StartCounting();
    FOpenedEarly = argument;
    FOpenedEarlyDisplay = display;
}

void TFrmOrvane::OpenFile(const std::string& path, TErrCode& errCode, std::string& errText)
{
    const bool early = OpenedEarly(path);
    FOpenedEarly.clear();
    FHost.SetApplicationTitle(std::string(ProgramTitle) + " - " + FileNamePart(path));
    std::string display = early ? FOpenedEarlyDisplay : FHost.DisplayPath(path);
    if (display.empty())
        display = path;
    FHost.SetCaption(ViewerCaption() + "  -  " + display);
    FWidgets.EdiFilename->SetText(display);

    std::lock_guard lock(FShared->FTiffLock);
    GuardErrors(
        [&] {
            if (!early)
                OpenInReader(path, display, errCode, errText);
            if (errCode == ErrOk)
                ShowOpenedPage(early);
        },
        errCode, errText);
    FFileOpen = errCode == ErrOk;
    if (!FFileOpen) {
        ShowEmpty();
        FShared->FTrnTiffEvent.Reset();
    }
    if (OnFileShown)
        OnFileShown(FFileOpen ? path : "", FFileOpen ? display : "");
}

void TFrmOrvane::OpenInReader(const std::string& path, const std::string& display,
                              TErrCode& errCode, std::string& errText)
{
    std::unique_ptr<IKvTiffPages>& codec = FShared->FTiffCodec;
    if (!codec) {
        codec = FFactory();
        if (!codec) {
            errCode = ErrFailed;
            errText = OutOfMemoryText;
            return;
        }
        codec->EnablePageList(true, errCode, errText);
        if (errCode != ErrOk) {
            codec.reset();
            return;
        }
    }
    codec->Open(path, display, 0, 0, errCode, errText);
    if (errCode == ErrOk)
        codec->SelectPage(0, errCode, errText);
    if (errCode == ErrOk)
        codec->ReadPage(errCode, errText);
}

void TFrmOrvane::ShowOpenedPage(bool counting)
{
    IKvTiffPages& codec = *FShared->FTiffCodec;
    // A count started before may have failed already; its notice went to no
    // window.
    FCountStopped = counting && FShared->FCountFailed;
    FShared->FCountFailed = false;
    FillTagList();
    FPageIndex = 0;
    TakePageCount();
    UpdateNavigation();
    FWidgets.ButCopyTagsAsText->SetEnabled(true);
    FWidgets.EdiTiffFileSize->SetText(codec.SizeText(codec.FileSize()));
    FWidgets.EdiByteOrder->SetText(codec.ByteOrderText());
    FWidgets.EdiNumberOfPages->SetText(PageCountText());
    UpdatePageStatistics();
    if (FPageCountFinal)
        FShared->FTrnTiffEvent.Reset();
    else if (!FCountStopped && !StartCounting()) {
        FCountStopped = true;
        FWidgets.EdiNumberOfPages->SetText(PageCountText());
    }
}

// Failing to start the worker, for whatever reason, is silent: the file stays
// open and the count stays as the open found it, no longer marked as running.
bool TFrmOrvane::StartCounting()
{
    TTrnTiffShared& s = *FShared;
    if (!s.FThreadRunning) {
        try {
            auto thread =
                std::make_unique<TFrmOrvaneTrnTiffThread>(FShared, FHost.PageCountPoster());
            TErrCode errCode = ErrOk;
            std::string errText;
            thread->Start(errCode, errText);
            if (errCode == ErrOk) {
                thread.release();
                s.FThreadRunning = true;
            }
        } catch (...) {
        }
    }
    if (s.FThreadRunning)
        s.FTrnTiffEvent.Set();
    return s.FThreadRunning;
}

void TFrmOrvane::ShowEmpty()
{
    FWidgets.LivTags->Clear();
    FEntryRows = 0;
    FWidgets.ButFirst->SetEnabled(false);
    FWidgets.ButPrevious->SetEnabled(false);
    FWidgets.LabPage->SetText("");
    FWidgets.ButNext->SetEnabled(false);
    FWidgets.ButLast->SetEnabled(false);
    FWidgets.ButViewTagValue->SetEnabled(false);
    FWidgets.ButCopyTagsAsText->SetEnabled(false);
    for (IKvTextWidget* e :
         {FWidgets.EdiTiffFileSize, FWidgets.EdiByteOrder, FWidgets.EdiNumberOfPages,
          FWidgets.EdiPageOffset, FWidgets.EdiPageRasterDataSize})
        e->SetText("");
}

void TFrmOrvane::GoToPage(std::int32_t index)
{
    if (FPageCountFinal && index >= FPageCount)
        index = FPageCount - 1;
    if (index < 0)
        index = 0;
    if (index == FPageIndex)
        return;
    TErrCode errCode = ErrOk;
    std::string errText;
    WithReader(
        [&](IKvTiffPages& codec) {
            codec.SelectPage(static_cast<std::uint32_t>(index), errCode, errText);
            if (errCode != ErrOk)
                return;
            FPageIndex = index;
            codec.ReadPage(errCode, errText);
            if (errCode != ErrOk)
                return;
            FillTagList();
            TakePageCount();
            UpdateNavigation();
            FWidgets.EdiNumberOfPages->SetText(PageCountText());
            UpdatePageStatistics();
            if (FPageCountFinal)
                FShared->FTrnTiffEvent.Reset();
        },
        [this] { ShowBrokenPage(); }, errCode, errText);
    ShowErrorOf(errCode, errText);
}

// Navigation stays usable so the user can go back to a good page; counting
// stops for this file.
void TFrmOrvane::ShowBrokenPage()
{
    FWidgets.LivTags->Clear();
    FEntryRows = 0;
    TakePageCount();
    UpdateNavigation();
    FWidgets.ButViewTagValue->SetEnabled(false);
    FWidgets.ButCopyTagsAsText->SetEnabled(false);
    FCountStopped = true;
    FWidgets.EdiNumberOfPages->SetText(PageCountText());
    FWidgets.EdiPageOffset->SetText("");
    FWidgets.EdiPageRasterDataSize->SetText("");
    FShared->FTrnTiffEvent.Reset();
}

void TFrmOrvane::TakePageCount()
{
    bool final = false;
    std::uint32_t count = 0;
    FShared->FTiffCodec->GetPageCount(final, count);
    FPageCount = static_cast<std::int32_t>(count);
    FPageCountFinal = final;
}

std::string TFrmOrvane::PageCountText() const
{
    std::string text = std::to_string(FPageCount);
    if (!FPageCountFinal && !FCountStopped)
        text += "...";
    return text;
}

void TFrmOrvane::UpdateNavigation()
{
    FWidgets.ButFirst->SetEnabled(FPageIndex > 0);
    FWidgets.ButPrevious->SetEnabled(FPageIndex > 0);
    std::string label = "Page " + std::to_string(FPageIndex + 1);
    if (FPageCountFinal)
        label += " of " + std::to_string(FPageCount);
    FWidgets.LabPage->SetText(label);
    bool more = FPageIndex + 1 < FPageCount;
    FWidgets.ButNext->SetEnabled(more);
    FWidgets.ButLast->SetEnabled(more && FPageCountFinal);
}

void TFrmOrvane::UpdatePageStatistics()
{
    IKvTiffPages& codec = *FShared->FTiffCodec;
    FWidgets.EdiPageOffset->SetText(std::to_string(codec.IfdOffset()));
    FWidgets.EdiPageRasterDataSize->SetText(codec.RasterSizeText());
}

void TFrmOrvane::FillTagList()
{
    IKvTiffPages& codec = *FShared->FTiffCodec;
    FWidgets.LivTags->Clear();
    std::uint32_t count = codec.EntryCount();
    FEntryRows = 0;
    for (std::uint32_t i = 0; i < count; ++i)
        FWidgets.LivTags->AddRow({codec.TagName(i), codec.DataTypeName(i),
                                  std::to_string(codec.ValueCount(i)),
                                  codec.ValueText(i, ListValueLimit)});
    FEntryRows = static_cast<std::int32_t>(count);
    if (codec.DirectoryCut())
        FWidgets.LivTags->AddRow({TKvCodecTrnTiff::DirectoryCutText, "", "", ""});
    FWidgets.LivTags->SelectNone();
    FWidgets.ButViewTagValue->SetEnabled(false);
}

void TFrmOrvane::LivTagsSelectItem()
{
    if (!FEventsEnabled)
        return;
    TEventsPause pause(FEventsEnabled);
    const std::int32_t row = FWidgets.LivTags->SelectedIndex();
    FWidgets.ButViewTagValue->SetEnabled(row >= 0 && row < FEntryRows);
}

// Everything the value window shows is read here, under the lock: the window
// itself never touches the reader the page-count thread shares.
void TFrmOrvane::ButViewTagValueClick()
{
    std::int32_t row = FWidgets.LivTags->SelectedIndex();
    if (row < 0 || row >= FEntryRows)
        return;
    std::uint32_t i = static_cast<std::uint32_t>(row);
    TKvTagValue value;
    TErrCode errCode = ErrOk;
    std::string errText;
    bool read = WithReader(
        [&](IKvTiffPages& codec) {
            value.Caption = codec.TagName(i);
            const auto* p = static_cast<const std::uint8_t*>(codec.ValuePointer(i));
            std::uint32_t size = codec.ValueSize(i);
            if (p && size)
                value.Bytes.assign(p, p + size);
            value.FileBytes = codec.FileOrderValue(i);
            value.Decoded = codec.DecodedText(i, static_cast<std::uint32_t>(FPageCount));
        },
        {}, errCode, errText);
    if (errCode != ErrOk)
        FHost.ShowError(errText);
    else if (read)
        FHost.ShowTagValue(value);
}

void TFrmOrvane::ButCopyTagsAsTextClick()
{
    std::string text;
    TErrCode errCode = ErrOk;
    std::string errText;
    bool read =
        WithReader([&](IKvTiffPages& codec) { text = codec.TagDump(); }, {}, errCode, errText);
    if (errCode != ErrOk)
        FHost.ShowError(errText);
    else if (read)
        FHost.SetClipboardText(text);
}

// Progress posted for a file that is no longer open (the next open failed)
// is dropped: the window shows no file.
void TFrmOrvane::PageCountProgress()
{
    if (!FEventsEnabled)
        return;
    TEventsPause pause(FEventsEnabled);
    std::lock_guard lock(FShared->FTiffLock);
    if (FShared->FCountFailed) {
        FShared->FCountFailed = false;
        FCountStopped = true;
    }
    if (FFileOpen && !FPageCountFinal && FShared->FTiffCodec) {
        TakePageCount();
        if (FPageCountFinal)
            UpdateNavigation();
        FWidgets.EdiNumberOfPages->SetText(PageCountText());
    }
}

void TFrmOrvane::FormClose()
{
    FEventsEnabled = false;
    StopLiveUpdate();
    std::lock_guard lock(FShared->FTiffLock);
    if (FShared->FThreadRunning) {
        FShared->FTiffCodec.reset();
        FShared->FTrnTiffEvent.Set();
    }
}

void TFrmOrvane::ButBrowseClick()
{
    TErrCode errCode = ErrOk;
    std::string errText;
    std::string path;
    if (FHost.ChooseTiffFile(path, errCode, errText) && errCode == ErrOk)
        OpenChosenFile(path, errCode, errText);
    ShowErrorOf(errCode, errText);
}

void TFrmOrvane::OpenDroppedFile(const std::string& path)
{
    TErrCode errCode = ErrOk;
    std::string errText;
    OpenChosenFile(path, errCode, errText);
    ShowErrorOf(errCode, errText);
}

void TFrmOrvane::OpenChosenFile(const std::string& path, TErrCode& errCode, std::string& errText)
{
    TEventsPause pause(FEventsEnabled);
    OpenFile(path, errCode, errText);
}

// The lock is left on every path, also when the reader raises; onFailure runs
// inside it so the window is tidied before anyone else sees the reader.
bool TFrmOrvane::WithReader(const std::function<void(IKvTiffPages&)>& fn,
                            const std::function<void()>& onFailure, TErrCode& errCode,
                            std::string& errText)
{
    std::lock_guard lock(FShared->FTiffLock);
    IKvTiffPages* codec = FShared->FTiffCodec.get();
    if (!codec)
        return false;
    GuardErrors([&] { fn(*codec); }, errCode, errText);
    if (errCode != ErrOk && onFailure)
        onFailure();
    return true;
}

void TFrmOrvane::ShowErrorOf(TErrCode errCode, const std::string& errText)
{
    if (errCode != ErrOk)
        FHost.ShowError(errText);
}
