#include "sim/VirtualRack.h"

namespace korva::sim {

VirtualRack::VirtualRack(int count) {
    for (int number = 1; number <= count; ++number) {
        processors_.push_back(std::make_unique<VirtualProcessor>(PathOf(number), SerialOf(number)));
    }
}

std::string VirtualRack::PathOf(int number) {
    return "sim:korva-processor-" + std::to_string(number);
}

QString VirtualRack::SerialOf(int number) {
    return QStringLiteral("SIM-%1").arg(number, 4, 10, QLatin1Char('0'));
}

std::vector<HidDeviceInfo> VirtualRack::Enumerate() {
    std::vector<HidDeviceInfo> list;
    for (const auto& processor : processors_) {
        for (HidDeviceInfo& info : processor->Enumerate()) {
            list.push_back(std::move(info));
        }
    }
    return list;
}

std::unique_ptr<HidDevice> VirtualRack::Open(const std::string& path) {
    for (const auto& processor : processors_) {
        if (processor->Path() == path) {
            std::unique_ptr<HidDevice> device = processor->Open(path);
            std::lock_guard<std::mutex> lock(errorMutex_);
            lastError_ = device ? QString() : processor->LastError();
            return device;
        }
    }
    std::lock_guard<std::mutex> lock(errorMutex_);
    lastError_ = QStringLiteral("no such device: %1").arg(QString::fromStdString(path));
    return nullptr;
}

QString VirtualRack::LockName(const std::string& path) const {
    return VirtualLockName(this, lockScope_, path);
}

QString VirtualRack::LastError() const {
    std::lock_guard<std::mutex> lock(errorMutex_);
    return lastError_;
}

} // namespace korva::sim
