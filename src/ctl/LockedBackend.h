#pragma once
// A backend shared by the links of several processors, each on its own thread: enumeration and opening go
// to the shared backend one thread at a time (hidapi keeps its enumeration and error state in globals),
// while the reports of each opened device travel in parallel with the others.

#include "link/HidBackend.h"

#include <mutex>

namespace korva::ctl {

class LockedBackend : public HidBackend {
public:
    // shared and lock must outlive this object; lock guards every call into shared.
    LockedBackend(HidBackend& shared, std::mutex& lock) : shared_(shared), lock_(lock) {}

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    QString LastError() const override { return lastError_; }
    bool LastOpenDenied() const override { return openDenied_; }
    QString LockName(const std::string& path) const override { return shared_.LockName(path); }

private:
    HidBackend& shared_;
    std::mutex& lock_;
    QString lastError_;
    bool openDenied_ = false;
};

} // namespace korva::ctl
