#include "install/KvWizard.h"

std::vector<TKvControlDef> WizardFrameControls()
{
    return {
        {ckBevel, "Bevel1", "", {10, 190, 421, 201}, -1},
        {ckButton, "ButPrevious", "<< Previous", {160, 210, 241, 231}, -1},
        {ckButton, "ButNext", "Next >>", {250, 210, 331, 231}, -1},
        {ckButton, "ButCancel", "Cancel", {340, 210, 421, 231}, -1},
    };
}

TKvWizard::TKvWizard(IKvWizardHost& host, std::vector<TKvWizardPage> pages, int workPage)
    : FHost(host), FPages(std::move(pages)), FWorkPage(workPage)
{
}

void TKvWizard::ShowPage(int page)
{
    if (FPage >= 0)
        FHost.ShowPanel(FPage, false);
    FPage = page;
    FHost.ShowPanel(page, true);
    const TKvWizardPage& p = FPages.at(static_cast<std::size_t>(page));
    FHost.SetButtonEnabled(wbPrevious, p.FPrevious);
    FHost.SetButtonEnabled(wbNext, p.FNext);
    FHost.SetButtonEnabled(wbCancel, p.FCancel);
    if (p.FFinish)
        FHost.SetNextCaption(FinishCaption);
}

void TKvWizard::ButNextClick()
{
    if (FPage == static_cast<int>(FPages.size()) - 1) {
        FHost.EndModal(mrOk);
        return;
    }
    if (!CanLeavePage(FPage))
        return;
    ShowPage(FPage + 1);
    if (FPage == FWorkPage)
        FHost.PostWork();
}

void TKvWizard::ButPreviousClick()
{
    if (FPage > 0)
        ShowPage(FPage - 1);
}

void TKvWizard::ButCancelClick()
{
    FHost.EndModal(mrCancel);
}
