#pragma once
// What the device link needs from the main window. The link knows no widgets; the main window implements
// this interface, tests use a recording fake.

namespace korva {

class LinkUi {
public:
    static constexpr int kLinkIndicatorOffline = 0;
    static constexpr int kLinkIndicatorOnline = 6;

    virtual ~LinkUi() = default;

    // The link indicator image MShowProgress: kLinkIndicatorOnline or kLinkIndicatorOffline.
    virtual void SetLinkIndicator(int value) = 0;
    // The point and line images whose look depends on the online state.
    virtual void UpdateSelectionIndicators() = 0;
    // No user input while a bulk transfer runs.
    virtual void SetMainWindowEnabled(bool enabled) = 0;

    // The progress bar C_ProgressBar1 (it shows at most its maximum).
    virtual void SetProgressVisible(bool visible) = 0;
    virtual bool IsProgressVisible() const = 0;
    virtual void SetProgressMaximum(int maximum) = 0;
    virtual void SetProgressValue(int value) = 0;

    // Copies the parameter image into the bound controls (flags 0xFF, address 255: all of them).
    virtual void RefreshBoundControls(int flags, int address) = 0;
    // The undo history starts afresh from the current image.
    virtual void UndoRedoInit() = 0;
    // The tone slider ScrollTone goes to its middle position 5 without sending anything.
    virtual void ResetToneSlider() = 0;
};

} // namespace korva
