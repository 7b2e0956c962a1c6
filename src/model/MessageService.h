#pragma once
// The one way the program shows a message box. The window-side implementation shows modal boxes; tests
// install a recorder, so no test ever blocks on a dialog.

#include <QString>

namespace korva {

enum class MessageIcon { Warning, Error, Critical };

class MessageService {
public:
    virtual ~MessageService() = default;
    // Shows the message with the program's default title (or the given one) and an OK button.
    virtual void Show(MessageIcon icon, const QString& text, const QString& title = QString()) = 0;
    // Asks a yes/no question; true for yes.
    virtual bool Ask(const QString& text, const QString& title = QString()) = 0;
    virtual void Beep() = 0;
};

} // namespace korva
