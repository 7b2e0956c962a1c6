#pragma once
// Handlers of the panel controls that edit parameters: sliders, switch pairs, the feedback steps, the
// bypass switch, reset, the frame-rate test, undo and redo, and the system settings. Each handler is
// connected to its control here; each locks what must not re-enter and hands the edit to the processor,
// which stores it, announces it (the bound controls follow) and writes it when online.

#include <QObject>

namespace korva {

class FrameRateTest;
class Processor;
struct WindowParts;

class EditHandlers : public QObject {
    Q_OBJECT
public:
    // Sliders 19..24: the power-on level limits, stored only (they reach the processor with a full
    // download, as their parameters in the table say).
    static constexpr int kFirstStoredOnlySlider = 19;
    static constexpr int kLastStoredOnlySlider = 24;
    static constexpr int kFbxHighest = 3;
    static constexpr int kInputHighest = 6;
    static constexpr int kStartGroupHighest = 7;

    explicit EditHandlers(WindowParts& window);

    void Connect();

    void MyScrollBar_Change(int index);
    void MyButton_Click(int index);
    void btnUp2_Click();
    void btnDown2_Click();
    void btnEQByPass_Click();
    void btnReset_Click();
    void Check2_Click();
    void Timer1_Timer();
    void SimpControl4_Click(); // undo
    void SimpControl7_Click(); // redo
    void btnStartModeI_Click(int index);
    void btnStartModeD_Click(int index);
    void btnSaveMode_Click(int index);
    void btnModeChange_Click(int index);
    void btnUpload_Click();

    FrameRateTest& FrameRate() { return *frameRate_; }

private:
    void StoreAndSendFbx(int value);

    WindowParts& window_;
    Processor& device_;
    FrameRateTest* frameRate_;
};

} // namespace korva
