#include "mainwindow/presets/PresetHandlers.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/MainControls.h"
#include "mainwindow/WindowParts.h"
#include "widgets/SimpControl.h"

namespace korva {

PresetHandlers::PresetHandlers(WindowParts& window)
    : QObject(&window.Window), window_(window),
      device_(window.Context.Device), standardDialogs_(&window.Window) {}

void PresetHandlers::Connect() {
    const MainControls& c = window_.Controls;
    connect(c.btnSave, &SimpControl::Click, this, &PresetHandlers::btnSave_Click);
    connect(c.btnImport, &SimpControl::Click, this, &PresetHandlers::btnImport_Click);
}

PresetActions PresetHandlers::Actions() {
    AppContext& context = window_.Context;
    return PresetActions(context.Model, device_, *dialogs_, context.Messages);
}

void PresetHandlers::btnSave_Click() {
    Actions().ExportPreset();
}

void PresetHandlers::btnImport_Click() {
    if (window_.Context.Undo.IsRestoring()) {
        return; // a restore is still sending (see UndoHistory::IsRestoring)
    }
    Actions().ImportPreset();
}

} // namespace korva
