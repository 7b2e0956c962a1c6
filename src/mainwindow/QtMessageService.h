#pragma once
// Message boxes of the running program: modal QMessageBox dialogs over the main window.

#include "model/MessageService.h"

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace korva {

class QtMessageService : public MessageService {
public:
    // The program's default title, used when a message names none.
    static QString DefaultTitle() { return QStringLiteral("KORVA音响调节器"); }

    // Boxes are centred over `owner` once it is set (before that, over the screen).
    void SetOwner(QWidget* owner) { owner_ = owner; }

    // The box Show() runs, not yet shown; tests look at it without waiting on it.
    static std::unique_ptr<QMessageBox> MakeBox(QMessageBox::Icon icon, const QString& text,
                                                const QString& title, QMessageBox::StandardButtons buttons,
                                                QWidget* owner);

    void Show(MessageIcon icon, const QString& text, const QString& title = QString()) override;
    bool Ask(const QString& text, const QString& title = QString()) override;
    void Beep() override;

private:
    QPointer<QWidget> owner_;
};

} // namespace korva
