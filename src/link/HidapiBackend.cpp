#include "link/HidapiBackend.h"

#include <hidapi/hidapi.h>

#include <cerrno>
#include <unistd.h>

namespace korva {

namespace {

QString WideText(const wchar_t* text) {
    return text ? QString::fromWCharArray(text) : QString();
}

QString ErrorText(hid_device* device) {
    return WideText(hid_error(device));
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
        found.push_back({info->vendor_id, info->product_id, info->path ? info->path : "",
                         WideText(info->serial_number), WideText(info->product_string)});
    }
    hid_free_enumeration(list);
    return found;
}

std::unique_ptr<HidDevice> HidapiBackend::Open(const std::string& path) {
    hid_device* device = hid_open_path(path.c_str());
    // hidapi does not keep errno, so the permission is asked of the device node itself.
    openDenied_ = !device && ::access(path.c_str(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM);
    if (!device) {
        lastError_ = openDenied_ ? PermissionAdvice(path) : ErrorText(nullptr);
        return nullptr;
    }
    return std::make_unique<HidapiDevice>(device);
}

QString HidapiBackend::PermissionAdvice(const std::string& path) {
    return QStringLiteral(
               "korva-tuner: 找到了前级设备（%1），但当前用户没有权限打开它。\n"
               "korva-tuner 软件包安装的 udev 规则 /usr/lib/udev/rules.d/70-korva-tuner.rules "
               "让登录的用户无需 root 即可使用该设备。没有这个规则时，用下面的命令创建它：\n"
               "  echo 'KERNEL==\"hidraw*\", ATTRS{idVendor}==\"0483\", ATTRS{idProduct}==\"6850\", "
               "TAG+=\"uaccess\"' | sudo tee /etc/udev/rules.d/70-korva-tuner.rules\n"
               "然后重新加载规则：\n"
               "  sudo udevadm control --reload-rules && sudo udevadm trigger\n"
               "再拔下并重新插入设备。")
        .arg(QString::fromStdString(path));
}

} // namespace korva
