#include "mainwindow/QtMessageService.h"

#include <QApplication>

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

std::unique_ptr<QMessageBox> QtMessageService::MakeBox(QMessageBox::Icon icon, const QString& text,
                                                       const QString& title,
                                                       QMessageBox::StandardButtons buttons, QWidget* owner) {
    return std::make_unique<QMessageBox>(icon, title.isEmpty() ? DefaultTitle() : title, text, buttons,
                                         owner);
}

void QtMessageService::Show(MessageIcon icon, const QString& text, const QString& title) {
    MakeBox(BoxIcon(icon), text, title, QMessageBox::Ok, owner_.data())->exec();
}

bool QtMessageService::Ask(const QString& text, const QString& title) {
    return MakeBox(QMessageBox::Question, text, title, QMessageBox::Yes | QMessageBox::No, owner_.data())
               ->exec() == QMessageBox::Yes;
}

void QtMessageService::Beep() {
    QApplication::beep();
}

} // namespace korva
