#pragma once
// Whole-number rounding used by every skinned control: the nearest integer, ties to the even one
// (15.5 -> 16, 20.5 -> 20), so positions computed here match the processor's own values.

#include <cmath>

namespace korva {

inline int Nearest(double x) {
    return static_cast<int>(std::nearbyint(x));
}

} // namespace korva
