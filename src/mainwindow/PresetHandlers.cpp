#include "mainwindow/PresetHandlers.h"

#include "mainwindow/MainControls.h"
#include "mainwindow/frmEQ.h"
#include "widgets/SimpControl.h"

namespace korva {

PresetHandlers::PresetHandlers(frmEQ& window) : QObject(&window), window_(window) {}

void PresetHandlers::Connect() {
    const MainControls& c = window_.Controls();
    connect(c.btnSave, &SimpControl::Click, this, &PresetHandlers::btnSave_Click);
    connect(c.btnImport, &SimpControl::Click, this, &PresetHandlers::btnImport_Click);
}

// Not built yet: preset export and import.
void PresetHandlers::btnSave_Click() {}
void PresetHandlers::btnImport_Click() {}

} // namespace korva
