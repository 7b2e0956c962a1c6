#pragma once
// Real HID devices through hidapi (hidraw on Linux).

#include "link/HidBackend.h"

namespace korva {

class HidapiBackend : public HidBackend {
public:
    HidapiBackend();
    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    QString LastError() const override { return lastError_; }

private:
    QString lastError_;
};

} // namespace korva
