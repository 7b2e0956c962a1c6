#pragma once
// The last steps every edit of the main window shares: lock the control (or the whole window) that must
// not start a second write while this one waits, write one parameter record when the processor is
// online, unlock. Waiting pumps events, so the lock is what keeps the same control from re-entering.

#include <QPointer>
#include <QWidget>

namespace korva {

class Communications;

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

class EditPath {
public:
    static constexpr int kWriteRecord = 0;
    static constexpr int kAnswerTimeoutMs = 1000;
    static constexpr int kWholeRecord = 0xFF; // send the stored three bytes rather than one value

    explicit EditPath(Communications& comm) : comm_(comm) {}

    // Single-parameter write when online (value: the first data byte, or kWholeRecord). True when it was
    // answered; false when it failed (already reported by the link) or when offline nothing was sent.
    bool Write(int group, int address, int value);
    // Write() with `lock` disabled for its duration; the lock is taken online and offline alike.
    bool WriteLocked(QWidget* lock, int group, int address, int value);

    bool IsOnline() const;

private:
    Communications& comm_;
};

} // namespace korva
