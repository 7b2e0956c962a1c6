#pragma once
// A font whose characters all have one width, for text read in columns (the communication log's bytes).

#include <QFont>

namespace korva {

// The platform's fixed font when it really is fixed-pitch, unchanged. A platform whose theme names no fixed
// font (offscreen, minimal) hands back its proportional default instead; then the installed monospace face
// at the same size. Returns the platform's font when no fixed-pitch face is installed at all. Needs a
// running QGuiApplication.
QFont FixedPitchFont();

// The same choice, starting from the font the platform offers.
QFont FixedPitchFont(const QFont& offered);

} // namespace korva
