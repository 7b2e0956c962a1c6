#include "mainwindow/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>

namespace korva {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Error:
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::Warning;
}

} // namespace

void QtMessageService::Show(MessageIcon icon, const QString& text, const QString& title) {
    QMessageBox box(BoxIcon(icon), title.isEmpty() ? DefaultTitle() : title, text, QMessageBox::Ok,
                    owner_.data());
    box.exec();
}

bool QtMessageService::Ask(const QString& text, const QString& title) {
    QMessageBox box(QMessageBox::Question, title.isEmpty() ? DefaultTitle() : title, text,
                    QMessageBox::Yes | QMessageBox::No, owner_.data());
    return box.exec() == QMessageBox::Yes;
}

void QtMessageService::Beep() {
    QApplication::beep();
}

} // namespace korva
