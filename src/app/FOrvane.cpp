#include "app/FOrvane.h"

#include <mutex>

#include "app/FOrvaneAbout.h"
#include "app/FOrvaneLiveUpdate.h"
#include "app/OrvaneLiveUpdateHost.h"
#include "app/StartUp.h"

void GuardErrors(TErrCode& ErrCode, std::string& ErrText, const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const EKvInternal& e) {
        ErrCode = ErrFailed;
        ErrText = UnexpectedText(e.what());
    } catch (const std::bad_alloc&) {
        ErrCode = ErrFailed;
        ErrText = OutOfMemoryText;
    } catch (const std::exception& e) {
        ErrCode = ErrFailed;
        ErrText = e.what();
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
    : FHost(host), W(widgets), FFactory(std::move(factory)),
      FShared(std::make_shared<TTrnTiffShared>())
{
}

TFrmOrvane::~TFrmOrvane() = default;

// Runs once: the message that carries it shares its value with DM_GETDEFID,
// which the dialog-key handling of the message loop sends on Enter.
void TFrmOrvane::StartUp(const std::string& argument)
{
    if (FStartedUp)
        return;
    FStartedUp = true;
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
    for (IKvButtonWidget* b : {W.ButFirst, W.ButPrevious, W.ButNext, W.ButLast})
        b->SetEnabled(false);
    BuildAboutPage();
    FHost.RepaintNow();
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    if (!argument.empty())
        OpenFile(argument, ErrCode, ErrText);
    FHost.InstallHelpKey();
    EventsEnabled = true;
    ShowErrorOf(ErrCode, ErrText);
    PromptForUpdate();
}

void TFrmOrvane::BuildAboutPage()
{
    FHost.SetAboutHtml(BuildAboutPageText(FHost.WindowColour()));
}

void TFrmOrvane::AboutLinkClick(const std::string& href)
{
    if (href == UpdateHref)
        RunAutoUpdate();
    else if (IsShellSafeHref(href))
        FHost.OpenInShell(href);
}

void TFrmOrvane::OpenFile(const std::string& path, TErrCode& ErrCode, std::string& ErrText)
{
    FHost.SetApplicationTitle(std::string(ProgramTitle) + " - " + FileNamePart(path));
    std::string display = FHost.DisplayPath(path);
    if (display.empty())
        display = path;
    FHost.SetCaption(ViewerCaption() + "  -  " + display);
    W.EdiFilename->SetText(display);

    std::lock_guard lock(FShared->TiffLock);
    GuardErrors(ErrCode, ErrText, [&] {
        OpenInReader(path, display, ErrCode, ErrText);
        if (ErrCode == ErrOk)
            ShowOpenedPage();
    });
    FFileOpen = ErrCode == ErrOk;
    if (!FFileOpen) {
        ShowEmpty();
        FShared->TrnTiffEvent.Reset();
    }
}

void TFrmOrvane::OpenInReader(const std::string& path, const std::string& display,
                              TErrCode& ErrCode, std::string& ErrText)
{
    std::unique_ptr<IKvTiffPages>& codec = FShared->TiffCodec;
    if (!codec) {
        codec = FFactory();
        if (!codec) {
            ErrCode = ErrFailed;
            ErrText = OutOfMemoryText;
            return;
        }
        codec->EnablePageList(true, ErrCode, ErrText);
        if (ErrCode != ErrOk) {
            codec.reset();
            return;
        }
    }
    codec->Open(path, display, 0, 0, ErrCode, ErrText);
    if (ErrCode == ErrOk)
        codec->SelectPage(0, ErrCode, ErrText);
    if (ErrCode == ErrOk)
        codec->ReadPage(ErrCode, ErrText);
}

void TFrmOrvane::ShowOpenedPage()
{
    IKvTiffPages& codec = *FShared->TiffCodec;
    FCountStopped = false;
    FShared->CountFailed = false;
    FillTagList();
    PageIndex = 0;
    TakePageCount();
    UpdateNavigation();
    W.ButCopyTagsAsText->SetEnabled(true);
    W.EdiTiffFileSize->SetText(codec.SizeText(codec.FileSize()));
    W.EdiByteOrder->SetText(codec.ByteOrderText());
    W.EdiNumberOfPages->SetText(PageCountText());
    UpdatePageStatistics();
    if (PageCountFinal)
        FShared->TrnTiffEvent.Reset();
    else if (!StartCounting()) {
        FCountStopped = true;
        W.EdiNumberOfPages->SetText(PageCountText());
    }
}

// Failing to start the worker, for whatever reason, is silent: the file stays
// open and the count stays as the open found it, no longer marked as running.
bool TFrmOrvane::StartCounting()
{
    TTrnTiffShared& s = *FShared;
    if (!s.ThreadRunning) {
        try {
            auto thread =
                std::make_unique<TFrmOrvaneTrnTiffThread>(FShared, FHost.PageCountPoster());
            TErrCode ErrCode = ErrOk;
            std::string ErrText;
            thread->Start(ErrCode, ErrText);
            if (ErrCode == ErrOk) {
                thread.release();
                s.ThreadRunning = true;
            }
        } catch (...) {
        }
    }
    if (s.ThreadRunning)
        s.TrnTiffEvent.Set();
    return s.ThreadRunning;
}

void TFrmOrvane::ShowEmpty()
{
    W.LivTags->Clear();
    W.ButFirst->SetEnabled(false);
    W.ButPrevious->SetEnabled(false);
    W.LabPage->SetText("");
    W.ButNext->SetEnabled(false);
    W.ButLast->SetEnabled(false);
    W.ButViewTagValue->SetEnabled(false);
    W.ButCopyTagsAsText->SetEnabled(false);
    for (IKvTextWidget* e : {W.EdiTiffFileSize, W.EdiByteOrder, W.EdiNumberOfPages, W.EdiPageOffset,
                             W.EdiPageRasterDataSize})
        e->SetText("");
}

void TFrmOrvane::GoToPage(std::int32_t index)
{
    if (PageCountFinal && index >= PageCount)
        index = PageCount - 1;
    if (index < 0)
        index = 0;
    if (index == PageIndex)
        return;
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    WithReader(
        ErrCode, ErrText,
        [&](IKvTiffPages& codec) {
            codec.SelectPage(static_cast<std::uint32_t>(index), ErrCode, ErrText);
            if (ErrCode != ErrOk)
                return;
            PageIndex = index;
            codec.ReadPage(ErrCode, ErrText);
            if (ErrCode != ErrOk)
                return;
            FillTagList();
            TakePageCount();
            UpdateNavigation();
            W.EdiNumberOfPages->SetText(PageCountText());
            UpdatePageStatistics();
            if (PageCountFinal)
                FShared->TrnTiffEvent.Reset();
        },
        [this] { ShowBrokenPage(); });
    ShowErrorOf(ErrCode, ErrText);
}

// Navigation stays usable so the user can go back to a good page; counting
// stops for this file.
void TFrmOrvane::ShowBrokenPage()
{
    W.LivTags->Clear();
    TakePageCount();
    UpdateNavigation();
    W.ButViewTagValue->SetEnabled(false);
    W.ButCopyTagsAsText->SetEnabled(false);
    FCountStopped = true;
    W.EdiNumberOfPages->SetText(PageCountText());
    W.EdiPageOffset->SetText("");
    W.EdiPageRasterDataSize->SetText("");
    FShared->TrnTiffEvent.Reset();
}

void TFrmOrvane::TakePageCount()
{
    bool final = false;
    std::uint32_t count = 0;
    FShared->TiffCodec->GetPageCount(final, count);
    PageCount = static_cast<std::int32_t>(count);
    PageCountFinal = final;
}

std::string TFrmOrvane::PageCountText() const
{
    std::string text = std::to_string(PageCount);
    if (!PageCountFinal && !FCountStopped)
        text += "...";
    return text;
}

void TFrmOrvane::UpdateNavigation()
{
    W.ButFirst->SetEnabled(PageIndex > 0);
    W.ButPrevious->SetEnabled(PageIndex > 0);
    std::string label = "Page " + std::to_string(PageIndex + 1);
    if (PageCountFinal)
        label += " of " + std::to_string(PageCount);
    W.LabPage->SetText(label);
    bool more = PageIndex + 1 < PageCount;
    W.ButNext->SetEnabled(more);
    W.ButLast->SetEnabled(more && PageCountFinal);
}

void TFrmOrvane::UpdatePageStatistics()
{
    IKvTiffPages& codec = *FShared->TiffCodec;
    W.EdiPageOffset->SetText(std::to_string(codec.IfdOffset()));
    W.EdiPageRasterDataSize->SetText(codec.RasterSizeText());
}

void TFrmOrvane::FillTagList()
{
    IKvTiffPages& codec = *FShared->TiffCodec;
    W.LivTags->Clear();
    std::uint32_t count = codec.EntryCount();
    for (std::uint32_t i = 0; i < count; ++i)
        W.LivTags->AddRow({codec.TagName(i), codec.DataTypeName(i),
                           std::to_string(codec.ValueCount(i)),
                           codec.ValueText(i, ListValueLimit)});
    W.LivTags->SelectNone();
    W.ButViewTagValue->SetEnabled(false);
}

void TFrmOrvane::LivTagsSelectItem()
{
    if (!EventsEnabled)
        return;
    TEventsPause pause(EventsEnabled);
    W.ButViewTagValue->SetEnabled(W.LivTags->SelectedIndex() >= 0);
}

void TFrmOrvane::ButViewTagValueClick()
{
    std::int32_t row = W.LivTags->SelectedIndex();
    if (row < 0)
        return;
    std::uint32_t i = static_cast<std::uint32_t>(row);
    std::string caption;
    std::vector<std::uint8_t> bytes;
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    bool read = WithReader(ErrCode, ErrText, [&](IKvTiffPages& codec) {
        caption = codec.TagName(i);
        const auto* p = static_cast<const std::uint8_t*>(codec.ValuePointer(i));
        std::uint32_t size = codec.ValueSize(i);
        if (p && size)
            bytes.assign(p, p + size);
    });
    if (ErrCode != ErrOk)
        FHost.ShowError(ErrText);
    else if (read)
        FHost.ShowTagValue(caption, bytes);
}

void TFrmOrvane::ButCopyTagsAsTextClick()
{
    std::string text;
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    bool read = WithReader(ErrCode, ErrText, [&](IKvTiffPages& codec) { text = codec.TagDump(); });
    if (ErrCode != ErrOk)
        FHost.ShowError(ErrText);
    else if (read)
        FHost.SetClipboardText(text);
}

// Progress posted for a file that is no longer open (the next open failed)
// is dropped: the window shows no file.
void TFrmOrvane::PageCountProgress()
{
    if (!EventsEnabled)
        return;
    TEventsPause pause(EventsEnabled);
    std::lock_guard lock(FShared->TiffLock);
    if (FShared->CountFailed) {
        FShared->CountFailed = false;
        FCountStopped = true;
    }
    if (FFileOpen && !PageCountFinal && FShared->TiffCodec) {
        TakePageCount();
        if (PageCountFinal)
            UpdateNavigation();
        W.EdiNumberOfPages->SetText(PageCountText());
    }
}

void TFrmOrvane::FormClose()
{
    EventsEnabled = false;
    StopLiveUpdate();
    std::lock_guard lock(FShared->TiffLock);
    if (FShared->ThreadRunning) {
        FShared->TiffCodec.reset();
        FShared->TrnTiffEvent.Set();
    }
}

void TFrmOrvane::ButBrowseClick()
{
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    std::string path;
    if (FHost.ChooseTiffFile(path, ErrCode, ErrText) && ErrCode == ErrOk)
        OpenChosenFile(path, ErrCode, ErrText);
    ShowErrorOf(ErrCode, ErrText);
}

void TFrmOrvane::OpenDroppedFile(const std::string& path)
{
    TErrCode ErrCode = ErrOk;
    std::string ErrText;
    OpenChosenFile(path, ErrCode, ErrText);
    ShowErrorOf(ErrCode, ErrText);
}

void TFrmOrvane::OpenChosenFile(const std::string& path, TErrCode& ErrCode, std::string& ErrText)
{
    TEventsPause pause(EventsEnabled);
    OpenFile(path, ErrCode, ErrText);
}

// The lock is left on every path, also when the reader raises; OnFailure runs
// inside it so the window is tidied before anyone else sees the reader.
bool TFrmOrvane::WithReader(TErrCode& ErrCode, std::string& ErrText,
                            const std::function<void(IKvTiffPages&)>& fn,
                            const std::function<void()>& onFailure)
{
    std::lock_guard lock(FShared->TiffLock);
    IKvTiffPages* codec = FShared->TiffCodec.get();
    if (!codec)
        return false;
    GuardErrors(ErrCode, ErrText, [&] { fn(*codec); });
    if (ErrCode != ErrOk && onFailure)
        onFailure();
    return true;
}

void TFrmOrvane::ShowErrorOf(TErrCode ErrCode, const std::string& ErrText)
{
    if (ErrCode != ErrOk)
        FHost.ShowError(ErrText);
}
