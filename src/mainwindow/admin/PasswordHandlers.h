#pragma once
// The processor lock button and the hidden administrator key "q" (password, then the menu editor).

#include "mainwindow/admin/AdminActions.h"
#include "mainwindow/FrmEqHooks.h"
#include "mainwindow/LinkDeviceCommands.h"

#include <QObject>

namespace korva {

struct WindowParts;

class PasswordHandlers : public QObject {
    Q_OBJECT
public:
    explicit PasswordHandlers(WindowParts& window);

    void Connect();

    void btnLock_Click();
    // The key "q" on the main window.
    void AdministratorKey();

    // Tests drive the password dialog and the menu editor instead of exec().
    void SetModalRunner(ModalRunner runner) { runner_ = std::move(runner); }

private:
    WindowParts& window_;
    FrmEqHooks hooks_;
    LinkDeviceCommands device_;
    ModalRunner runner_ = ExecModal;
    AdminActions actions_;
};

} // namespace korva
