// What the installer's and the uninstaller's wizards share: a frame of
// 430 x 240 with a bevel and three buttons under page panels of 430 x 180,
// a page table saying which buttons work on which page, and the host that
// the Windows side (or a test) supplies.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/SysErr.h"
#include "window/KvGeometry.h"

enum TKvControlKind : int { ckPanel, ckLabel, ckBevel, ckButton, ckEdit, ckCheckBox };

enum TKvWizardButton : int { wbPrevious, wbNext, wbCancel };

enum TKvModalResult : int { mrNone, mrOk, mrCancel };

// One control of a wizard, in creation (and tab) order. Page -1: on the frame.
struct TKvControlDef {
    TKvControlKind FKind;
    const char* FName;
    const char* FCaption;
    TKvRect FBounds;  // left, top, right, bottom at 96 DPI
    int FPage;
    bool FWordWrap = false;
    bool FChecked = false;
};

struct TKvWizardPage {
    bool FPrevious;
    bool FNext;
    bool FCancel;
    bool FFinish;  // "Next >>" reads "Finish"
};

inline constexpr int WizardClientWidth = 430;
inline constexpr int WizardClientHeight = 240;
inline constexpr TKvRect WizardPanelBounds{0, 0, 430, 180};
inline constexpr const char* FinishCaption = "Finish";

// The frame's bevel and buttons, the same in both wizards.
std::vector<TKvControlDef> WizardFrameControls();

class IKvWizardHost {
public:
    virtual ~IKvWizardHost() = default;
    virtual void ShowPanel(int page, bool visible) = 0;
    virtual void SetButtonEnabled(TKvWizardButton button, bool enabled) = 0;
    virtual void SetNextCaption(const std::string& caption) = 0;
    virtual void SetReport(const std::string& text) = 0;
    virtual void PostWork() = 0;
    virtual void RepaintNow() = 0;
    virtual void EndModal(TKvModalResult result) = 0;
};

class TKvWizard {
public:
    TKvWizard(IKvWizardHost& host, std::vector<TKvWizardPage> pages, int workPage);
    virtual ~TKvWizard() = default;

    virtual std::vector<TKvControlDef> Controls() const = 0;
    virtual const char* Caption() const = 0;
    virtual void Shown() = 0;
    virtual void RunWork() = 0;

    void ShowPage(int page);
    void ButNextClick();
    void ButPreviousClick();
    void ButCancelClick();
    int Page() const { return FPage; }

protected:
    // Asked before Next leaves the page; false keeps the wizard on it.
    virtual bool CanLeavePage(int /*page*/) { return true; }

    IKvWizardHost& FHost;

private:
    std::vector<TKvWizardPage> FPages;
    int FWorkPage;
    int FPage = -1;
};
