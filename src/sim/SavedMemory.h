#pragma once
// A virtual processor's memory kept in a file between runs of a program, so that a demo run can pick up
// where the last one left the device (and tests can set up and inspect a device's memory).

#include "model/ParamStore.h"

#include <QString>

namespace korva::sim {

// Every cell of the store, the menu table, the password and the active group. True when written.
bool SaveMemory(const ParamModel& memory, const QString& path);
// False (memory untouched) when the file is missing or is not such a file.
bool LoadMemory(ParamModel& memory, const QString& path);

} // namespace korva::sim
