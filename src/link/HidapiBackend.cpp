#include "link/HidapiBackend.h"

#include <hidapi/hidapi.h>

namespace korva {

namespace {

QString ErrorText(hid_device* device) {
    const wchar_t* text = hid_error(device);
    return text ? QString::fromWCharArray(text) : QString();
}

class HidapiDevice : public HidDevice {
public:
    explicit HidapiDevice(hid_device* device) : device_(device) {}
    ~HidapiDevice() override { hid_close(device_); }
    HidapiDevice(const HidapiDevice&) = delete;
    HidapiDevice& operator=(const HidapiDevice&) = delete;

    bool WriteReport(const uint8_t* report, int length) override {
        return hid_write(device_, report, size_t(length)) >= 0;
    }
    int ReadReport(uint8_t* buffer, int capacity, int timeoutMs) override {
        return hid_read_timeout(device_, buffer, size_t(capacity), timeoutMs);
    }

private:
    hid_device* device_;
};

} // namespace

HidapiBackend::HidapiBackend() {
    if (hid_init() != 0) {
        lastError_ = ErrorText(nullptr);
    }
}

std::vector<HidDeviceInfo> HidapiBackend::Enumerate() {
    std::vector<HidDeviceInfo> found;
    hid_device_info* list = hid_enumerate(0, 0);
    for (hid_device_info* info = list; info; info = info->next) {
        found.push_back({info->vendor_id, info->product_id, info->path ? info->path : ""});
    }
    hid_free_enumeration(list);
    return found;
}

std::unique_ptr<HidDevice> HidapiBackend::Open(const std::string& path) {
    hid_device* device = hid_open_path(path.c_str());
    if (!device) {
        lastError_ = ErrorText(nullptr);
        return nullptr;
    }
    return std::make_unique<HidapiDevice>(device);
}

} // namespace korva
