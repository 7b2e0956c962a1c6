#pragma once
// Shows a dialog modally and returns once it has closed. The program runs exec(); tests pass a runner that
// shows the dialog, drives its controls and returns, so no test waits on a modal loop.

#include <QDialog>
#include <functional>

namespace korva {

using ModalRunner = std::function<void(QDialog& dialog)>;

inline void ExecModal(QDialog& dialog) {
    dialog.exec();
}

} // namespace korva
