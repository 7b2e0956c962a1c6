#include "mainwindow/WindowParts.h"

#include "mainwindow/design/ControlRefresher.h"

namespace korva {

void WindowParts::RefreshBoundControls(uint32_t flags, uint32_t filter) {
    Refresher.RefreshBoundControls(flags, filter);
}

} // namespace korva
