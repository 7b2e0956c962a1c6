#include "mainwindow/WindowLinkUi.h"

#include "mainwindow/frmEQ.h"
#include "model/UndoHistory.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

namespace korva {

namespace {
constexpr int kToneMiddle = 5;
}

void WindowLinkUi::SetLinkIndicator(int value) {
    if (window_) {
        window_->Controls().MShowProgress->SetValue(value);
    }
}

void WindowLinkUi::UpdateSelectionIndicators() {
    if (window_) {
        window_->Refresher().UpdateSelectionIndicators();
    }
}

void WindowLinkUi::SetMainWindowEnabled(bool enabled) {
    bulkLock_.reset();
    if (!window_) {
        return;
    }
    if (enabled) {
        window_->setEnabled(true);
    } else {
        bulkLock_.emplace(window_);
    }
}

void WindowLinkUi::SetProgressVisible(bool visible) {
    if (window_) {
        window_->Controls().C_ProgressBar1->setVisible(visible);
    }
}

bool WindowLinkUi::IsProgressVisible() const {
    return window_ && !window_->Controls().C_ProgressBar1->isHidden();
}

void WindowLinkUi::SetProgressMaximum(int maximum) {
    if (window_) {
        window_->Controls().C_ProgressBar1->SetMaxValue(maximum);
    }
}

void WindowLinkUi::SetProgressValue(int value) {
    if (window_) {
        window_->Controls().C_ProgressBar1->SetValue(value);
    }
}

void WindowLinkUi::RefreshBoundControls(int flags, int address) {
    if (window_) {
        window_->RefreshBoundControls(uint32_t(flags), uint32_t(address));
    }
}

void WindowLinkUi::UndoRedoInit() {
    undo_.UndoRedoInit();
}

void WindowLinkUi::ResetToneSlider() {
    if (window_) {
        window_->Controls().ScrollTone->SetValue(kToneMiddle);
    }
}

} // namespace korva
