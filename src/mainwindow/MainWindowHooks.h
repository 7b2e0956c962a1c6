#pragma once
// What the password and lock actions need from the main window; frmEQ implements it, tests use
// a recording fake.

class QWidget;

namespace korva {

class MainWindowHooks {
public:
    virtual ~MainWindowHooks() = default;

    // Owner of the dialogs (may be null in tests).
    virtual QWidget* DialogOwner() = 0;
    // Undo history: snapshot before an edit.
    virtual void RecordUndoPoint() = 0;
    // No user input while a device write of the lock runs.
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    // The Value of the lock button btnLock (0 unlocked, 1 locked).
    virtual int LockButtonValue() const = 0;
    virtual void SetLockButtonValue(int value) = 0;
};

} // namespace korva
