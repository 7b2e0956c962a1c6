#pragma once
// The pictures that show a number on a digit display, worked out apart from drawing.

#include <vector>

namespace korva {

// Skin numbers of the glyphs that show `value`, left to right: an optional minus sign (picDig + 1), the
// decimal digits (picNumber + d). With div10 the value is shown in tenths with one decimal place (picDig
// is the point): -55 -> "-5.5", 3 -> "0.3", -5 -> "-0.5"; a whole number drops its ".0" (250 -> "25").
std::vector<int> DigitGlyphs(int value, bool div10, int picNumber, int picDig);

} // namespace korva
