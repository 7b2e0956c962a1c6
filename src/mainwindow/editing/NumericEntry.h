#pragma once
// The rules of the entry box Text1 that opens over a point-value display: the text it starts with, what
// counts as a number, and the index byte a typed value is stored as. Pure functions.

#include "eq/EqScales.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace korva {

// Where Text1 opens relative to the display it edits, in twips at design scale.
constexpr int kEntryOffsetRightTwips = 100;
constexpr int kEntryOffsetDownTwips = 90;

// Gain and Q displays show tenths; so does their entry text ("-3.2", "1.4"). Frequency displays and the
// two cut-filter columns (45, 46) show whole hertz.
bool ShowsTenths(int display);
QString EntryTextFor(int display, int shownValue);

// Plain decimal notation, an optional sign and fraction, blanks around it allowed: "25000", "-3.4",
// "+.5", "2.". Anything else (letters, exponents, "nan", several points) is not a number.
std::optional<double> ParseEntryNumber(const QString& text);

// The byte a typed value is stored as, after the limits of its field: data index 0 a frequency (18 ..
// 20000 Hz, on the grid, a cut filter also within its channel's range), 1 a gain (-15 .. +15 dB, to the
// nearest 0.2 dB step), 2 a Q (0.1 .. 15, to the nearest Q of the scale). Ties go to the even index.
uint8_t EntryIndexFor(int dataIndex, double value, EqPointKind kind, int channel);

} // namespace korva
