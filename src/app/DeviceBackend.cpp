#include "app/HidBackendChoice.h"

#include "link/HidapiBackend.h"

namespace korva {

std::unique_ptr<HidBackend> CreateHidBackend() {
    return std::make_unique<HidapiBackend>();
}

} // namespace korva
