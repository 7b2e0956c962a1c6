#pragma once

#include "ParamStore.h"

namespace korva {

// Fills the store with factory values. With resetCurrentOnly only the bands and cut filters of the current
// channel in the current group are restored (plus the menu table, which every call clears).
void InitParamDefaults(ParamModel& model, bool resetCurrentOnly);

} // namespace korva
