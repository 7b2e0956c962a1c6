#pragma once
// The lock every edit of the main window takes while its write to the processor waits: the control (or
// the whole window) that must not start a second write meanwhile. Waiting pumps events, so the lock is
// what keeps the same control from re-entering.

#include <QPointer>
#include <QWidget>

namespace korva {

// Disables a widget for its lifetime and enables it again afterwards (if it still exists). When the
// keyboard focus sat inside it, the focus goes back there unless the user has put it elsewhere meanwhile:
// disabling a window drops its focus (the graph would stop taking cursor keys after every button that
// locks the window), and disabling a focused slider hands the focus to the next control (a check box
// that the space bar would then toggle).
class EditLock {
public:
    explicit EditLock(QWidget* widget);
    ~EditLock();
    EditLock(const EditLock&) = delete;
    EditLock& operator=(const EditLock&) = delete;

private:
    QPointer<QWidget> widget_;
    QPointer<QWidget> focus_;   // the focus before the lock, when it was inside the locked widget
    QPointer<QWidget> movedTo_; // where disabling put it
};

} // namespace korva
