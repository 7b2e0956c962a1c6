#pragma once
// The HID backend the program talks through: hidapi for korva-tuner, the virtual processor for
// korva-tuner-demo. Each executable links one implementation.

#include "link/HidBackend.h"

#include <memory>

namespace korva {

std::unique_ptr<HidBackend> CreateHidBackend();

} // namespace korva
