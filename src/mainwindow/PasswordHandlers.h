#pragma once
// The processor lock button and the hidden administrator key "q" (password, then the menu editor).

#include <QObject>

namespace korva {

class frmEQ;

class PasswordHandlers : public QObject {
    Q_OBJECT
public:
    explicit PasswordHandlers(frmEQ& window);

    void Connect();

    void btnLock_Click();
    // The key "q" on the main window.
    void AdministratorKey();

private:
    frmEQ& window_;
};

} // namespace korva
