#pragma once
// What the preset, password and lock actions need from the main window; frmEQ implements it, tests use
// a recording fake.

class QWidget;

namespace korva {

class MainWindowHooks {
public:
    virtual ~MainWindowHooks() = default;

    // Owner of the dialogs (may be null in tests).
    virtual QWidget* DialogOwner() = 0;
    // Copies the parameter image into the bound controls (flags 0xFF, address 255: all of them).
    virtual void RefreshBoundControls(int flags, int address) = 0;
    // Undo history: snapshot before an edit, and a fresh start after a whole new image.
    virtual void RecordUndoPoint() = 0;
    virtual void UndoRedoInit() = 0;
    // No user input while a device write of the lock runs.
    virtual void SetMainWindowEnabled(bool enabled) = 0;
    // The Value of the lock button btnLock (0 unlocked, 1 locked).
    virtual int LockButtonValue() const = 0;
    virtual void SetLockButtonValue(int value) = 0;
};

} // namespace korva
