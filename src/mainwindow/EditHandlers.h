#pragma once
// Handlers of the panel controls that edit parameters: sliders, switch pairs, the feedback steps, the
// bypass switch, reset, the frame-rate test, undo and redo, and the system settings. Each handler is
// connected to its control here; the bodies follow the common edit path (store, refresh, send).

#include <QObject>

namespace korva {

class frmEQ;

class EditHandlers : public QObject {
    Q_OBJECT
public:
    explicit EditHandlers(frmEQ& window);

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

private:
    frmEQ& window_;
};

} // namespace korva
