#include "ctl/DeviceSelection.h"

#include "ctl/ProcessorResult.h"
#include "link/USB_Comm.h"
#include "model/ListText.h"

#include <set>

namespace korva::ctl {

namespace {

QString ListOf(const std::vector<HidDeviceInfo>& devices) {
    QStringList lines;
    for (const HidDeviceInfo& device : devices) {
        lines << QStringLiteral("  ") + DescribeDevice(device);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString DescribeDevice(const HidDeviceInfo& device) {
    const QString path = QString::fromStdString(device.Path);
    return device.SerialNumber.isEmpty() ? path
                                         : QStringLiteral("%1（序列号 %2）").arg(path, device.SerialNumber);
}

std::vector<HidDeviceInfo> AttachedProcessors(HidBackend& backend) {
    const uint16_t vendor = uint16_t(ParseListNumber(USB_Comm::kKorvaVendorID).value_or(0));
    const uint16_t product = uint16_t(ParseListNumber(USB_Comm::kKorvaProductID).value_or(0));
    std::vector<HidDeviceInfo> found;
    std::set<std::string> paths;
    for (HidDeviceInfo& info : backend.Enumerate()) {
        if (info.VendorId == vendor && info.ProductId == product && paths.insert(info.Path).second) {
            found.push_back(std::move(info));
        }
    }
    return found;
}

Selection SelectProcessors(const CtlOptions& options, const std::vector<HidDeviceInfo>& attached) {
    Selection s;
    if (attached.empty()) {
        s.Exit = kExitDevice;
        s.Error = QStringLiteral("没有找到前级处理器（USB 0483:6850）。");
        return s;
    }
    if (!options.devicePath.isEmpty() || !options.serial.isEmpty()) {
        for (const HidDeviceInfo& device : attached) {
            if ((!options.devicePath.isEmpty() &&
                 QString::fromStdString(device.Path) == options.devicePath) ||
                (!options.serial.isEmpty() && device.SerialNumber == options.serial)) {
                s.Devices.push_back(device);
            }
        }
        if (s.Devices.empty()) {
            s.Exit = kExitDevice;
            s.Error = QStringLiteral("没有找到%1。连接的处理器：\n%2")
                          .arg(options.devicePath.isEmpty()
                                   ? QStringLiteral("序列号为 %1 的处理器").arg(options.serial)
                                   : QStringLiteral("设备 %1").arg(options.devicePath),
                               ListOf(attached));
        } else if (s.Devices.size() > 1) {
            s.Exit = kExitUsage;
            s.Error = QStringLiteral("有多台处理器的序列号是 %1，请用 --device 指定：\n%2")
                          .arg(options.serial, ListOf(s.Devices));
            s.Devices.clear();
        }
        return s;
    }
    if (options.all || options.command == Command::List || attached.size() == 1) {
        s.Devices = attached;
        return s;
    }
    if (ChangesDevice(options.command)) {
        s.Exit = kExitUsage;
        s.Error =
            QStringLiteral("连接了 %1 台处理器，%2 会改动处理器，请用 --device、--serial 或 --all 指定：\n%3")
                .arg(attached.size())
                .arg(options.commandName, ListOf(attached));
        return s;
    }
    s.Devices = {attached.front()};
    s.Note = QStringLiteral("连接了 %1 台处理器，使用第一台 %2（其他的用 --device、--serial 或 --all 指定）")
                 .arg(attached.size())
                 .arg(DescribeDevice(attached.front()));
    return s;
}

} // namespace korva::ctl
