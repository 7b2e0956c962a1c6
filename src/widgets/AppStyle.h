#pragma once
// One look for every window: the standard Qt controls (the log window, the dialogs, message boxes and file
// dialogs, the check box and entry box inside the main window) in the skin's dark colours with its amber
// accent. The skinned controls draw their own images and are not touched by it.

#include <QPalette>

namespace korva {

// The skin's colours as a palette for standard controls.
QPalette SkinPalette();

// Fusion style and SkinPalette() for the whole application, with the platform's native dialogs switched
// off so that file dialogs and message boxes take them too. Needs the QApplication; a second call changes
// nothing.
void ApplyAppStyle();

} // namespace korva
