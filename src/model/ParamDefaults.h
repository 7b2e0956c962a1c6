#pragma once

#include "ParamStore.h"

namespace korva {

// Fills the store with factory values and clears the front-panel menu table. With resetCurrentOnly only the
// bands and cut filters of the current channel in the current group are restored; nothing else changes.
void InitParamDefaults(ParamModel& model, bool resetCurrentOnly);

} // namespace korva
