#include "app/HidBackendChoice.h"

#include "sim/VirtualProcessor.h"

namespace korva {

// A processor that answers like the real one, USB report timing included.
std::unique_ptr<HidBackend> CreateHidBackend() {
    auto device = std::make_unique<sim::VirtualProcessor>();
    device->SetTimingModel(true);
    return device;
}

} // namespace korva
