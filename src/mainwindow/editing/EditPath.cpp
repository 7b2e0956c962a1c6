#include "mainwindow/editing/EditPath.h"

#include "link/Communications.h"

#include <QApplication>

namespace korva {

EditLock::EditLock(QWidget* widget) : widget_(widget) {
    if (!widget_) {
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus && (focus == widget || widget->isAncestorOf(focus))) {
        focus_ = focus;
    }
    widget_->setEnabled(false);
    movedTo_ = QApplication::focusWidget();
}

EditLock::~EditLock() {
    if (!widget_) {
        return;
    }
    widget_->setEnabled(true);
    QWidget* now = QApplication::focusWidget();
    if (focus_ && now != focus_ && now == movedTo_ && focus_->isVisible() && focus_->isEnabled()) {
        focus_->setFocus(Qt::OtherFocusReason);
    }
}

bool EditPath::IsOnline() const {
    return comm_.IsOnline();
}

bool EditPath::Write(int group, int address, int value) {
    if (!comm_.IsOnline()) {
        return false;
    }
    return comm_.SendCommand(kWriteRecord, group, address, value, kAnswerTimeoutMs);
}

bool EditPath::WriteLocked(QWidget* lock, int group, int address, int value) {
    const EditLock held(lock);
    return Write(group, address, value);
}

} // namespace korva
