#pragma once
// MainWindowHooks over the parts of the real main window and the program's undo history.

#include "mainwindow/MainWindowHooks.h"

namespace korva {

struct WindowParts;
class UndoHistory;

class FrmEqHooks : public MainWindowHooks {
public:
    FrmEqHooks(WindowParts& window, UndoHistory& undo) : window_(window), undo_(undo) {}

    QWidget* DialogOwner() override;
    void RecordUndoPoint() override;
    void SetMainWindowEnabled(bool enabled) override;
    int LockButtonValue() const override;
    void SetLockButtonValue(int value) override;

private:
    WindowParts& window_;
    UndoHistory& undo_;
};

} // namespace korva
