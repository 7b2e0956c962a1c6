#pragma once
// One editable point of the EQ graph and the fixed list of slots that holds the current channel's points.

#include "EqScales.h"

#include <array>
#include <cstdint>

namespace korva {

struct EqPoint {
    float FrequencyHz = 0.0f; // centre or corner frequency
    float GainDb = 0.0f;      // always 0 for a cut filter
    float Q = 0.0f;           // 1.4 for a cut filter, whose response does not use it
    EqPointKind Kind = EqPointKind::Peak;
    bool InUse = false;  // the slot holds a point of the current channel
    uint8_t Address = 0; // the ParamStore address the point edits
};

// Points of the current channel fill slots 0 .. PointCount - 1: the bands in address order, then the
// high-cut, then the low-cut. The first slot not in use ends the list.
constexpr int kEqPointSlots = 20;
using EqPointList = std::array<EqPoint, kEqPointSlots>;

} // namespace korva
