#include "mainwindow/editing/EditLock.h"

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

} // namespace korva
