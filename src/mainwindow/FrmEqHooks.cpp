#include "mainwindow/FrmEqHooks.h"

#include "mainwindow/MainControls.h"
#include "mainwindow/WindowParts.h"
#include "model/UndoHistory.h"
#include "widgets/SimpControl.h"

namespace korva {

QWidget* FrmEqHooks::DialogOwner() {
    return &window_.Window;
}

void FrmEqHooks::RecordUndoPoint() {
    undo_.RecordUndoPoint();
}

void FrmEqHooks::SetMainWindowEnabled(bool enabled) {
    window_.Window.setEnabled(enabled);
}

int FrmEqHooks::LockButtonValue() const {
    return window_.Controls.btnLock->Value();
}

void FrmEqHooks::SetLockButtonValue(int value) {
    window_.Controls.btnLock->SetValue(value);
}

} // namespace korva
