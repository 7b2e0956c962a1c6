#pragma once
// The font family of the skin's labels and captions: the Song face the skin was drawn for where the system
// has it, else the closest Chinese system font.

#include <QString>

namespace korva {

// Needs a running QGuiApplication; the choice is made once per process.
QString SkinFontFamily();

} // namespace korva
