#pragma once
// The preset buttons of the main window: save the parameter image to a *.PA file and import one.

#include "mainwindow/LinkDeviceCommands.h"
#include "mainwindow/presets/PresetActions.h"
#include "mainwindow/presets/PresetFileDialogs.h"

#include <QObject>

namespace korva {

struct WindowParts;

class PresetHandlers : public QObject {
    Q_OBJECT
public:
    explicit PresetHandlers(WindowParts& window);

    void Connect();

    void btnSave_Click();
    void btnImport_Click();

    // Tests answer the file dialogs themselves; the dialogs must outlive the window.
    void SetFileDialogs(PresetFileDialogs& dialogs) { dialogs_ = &dialogs; }

private:
    PresetActions Actions();

    WindowParts& window_;
    LinkDeviceCommands device_;
    QtPresetFileDialogs standardDialogs_;
    PresetFileDialogs* dialogs_ = &standardDialogs_;
};

} // namespace korva
