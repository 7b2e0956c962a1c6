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
    bool LastOpenDenied() const override { return openDenied_; }

    // What to tell the user when the device at path exists but this user may not open it.
    static QString PermissionAdvice(const std::string& path);

private:
    QString lastError_;
    bool openDenied_ = false;
};

} // namespace korva
