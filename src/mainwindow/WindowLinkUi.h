#pragma once
// The main window's side of the device link: the link indicator, the progress bar, the window lock and
// the refreshes the link asks for after reading the device. Created with the program's context, before
// the window exists; the window attaches itself once it is built, and until then the requests that need
// it do nothing.

#include "link/LinkUi.h"
#include "mainwindow/editing/EditPath.h"

#include <optional>

namespace korva {

class frmEQ;
class UndoHistory;

class WindowLinkUi : public LinkUi {
public:
    explicit WindowLinkUi(UndoHistory& undo) : undo_(undo) {}

    void Attach(frmEQ* window) { window_ = window; }

    void SetLinkIndicator(int value) override;
    void UpdateSelectionIndicators() override;
    void SetMainWindowEnabled(bool enabled) override;
    void SetProgressVisible(bool visible) override;
    bool IsProgressVisible() const override;
    void SetProgressMaximum(int maximum) override;
    void SetProgressValue(int value) override;
    void RefreshBoundControls(int flags, int address) override;
    void UndoRedoInit() override;
    void ResetToneSlider() override;

private:
    UndoHistory& undo_;
    frmEQ* window_ = nullptr;
    // The window's lock while a bulk transfer runs; it gives the keyboard focus back afterwards.
    std::optional<EditLock> bulkLock_;
};

} // namespace korva
