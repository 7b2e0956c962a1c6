#include "link/LockedBackend.h"

namespace korva {

std::vector<HidDeviceInfo> LockedBackend::Enumerate() {
    std::lock_guard<std::mutex> guard(lock_);
    return shared_.Enumerate();
}

std::unique_ptr<HidDevice> LockedBackend::Open(const std::string& path) {
    std::lock_guard<std::mutex> guard(lock_);
    std::unique_ptr<HidDevice> device = shared_.Open(path);
    // Kept per thread: the shared backend's last error may be another thread's by the time it is asked.
    lastError_ = device ? QString() : shared_.LastError();
    openDenied_ = !device && shared_.LastOpenDenied();
    return device;
}

} // namespace korva
