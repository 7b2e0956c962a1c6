#include "mainwindow/PasswordHandlers.h"

#include "mainwindow/MainControls.h"
#include "mainwindow/frmEQ.h"
#include "widgets/SimpControl.h"

namespace korva {

PasswordHandlers::PasswordHandlers(frmEQ& window) : QObject(&window), window_(window) {}

void PasswordHandlers::Connect() {
    connect(window_.Controls().btnLock, &SimpControl::Click, this, &PasswordHandlers::btnLock_Click);
}

// Not built yet: the lock switch, the password dialog and the menu editor.
void PasswordHandlers::btnLock_Click() {}
void PasswordHandlers::AdministratorKey() {}

} // namespace korva
