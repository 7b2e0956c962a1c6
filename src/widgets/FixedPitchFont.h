#pragma once
// A font whose characters all have one width, for text read in columns (the communication log's bytes).

#include <QFont>

namespace korva {

// The platform's fixed font when it really is fixed-pitch, unchanged. Otherwise an installed monospace face
// at the same size: a theme may name no fixed font and hand back its proportional default, and in Chinese
// or Japanese fontconfig answers "monospace" with a CJK face whose letters are half as wide as its
// ideographs, which Qt does not count as fixed-pitch. Returns the platform's font when no fixed-pitch face
// is installed at all. Needs a running QGuiApplication.
QFont FixedPitchFont();

// The same choice, starting from the font the platform offers.
QFont FixedPitchFont(const QFont& offered);

} // namespace korva
