#include "mainwindow/admin/PasswordHandlers.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/WindowParts.h"
#include "widgets/SimpControl.h"

namespace korva {

PasswordHandlers::PasswordHandlers(WindowParts& window)
    : QObject(&window.Window), window_(window), hooks_(window, window.Context.Undo),
      device_(window.Context.Device),
      actions_(window.Context.Model, device_, hooks_, window.Context.Messages,
               [this](QDialog& dialog) { runner_(dialog); }) {}

void PasswordHandlers::Connect() {
    connect(window_.Controls.btnLock, &SimpControl::Click, this, &PasswordHandlers::btnLock_Click);
}

void PasswordHandlers::btnLock_Click() {
    actions_.LockButtonClick();
}

void PasswordHandlers::AdministratorKey() {
    if (window_.Context.Undo.IsRestoring()) {
        return; // a restore is still sending (see UndoHistory::IsRestoring)
    }
    actions_.OpenMenuAdministration();
}

} // namespace korva
