#include "ctl/DeviceSelection.h"

#include "ctl/ErrorCodes.h"
#include "link/USB_Comm.h"
#include "model/FileAccess.h"
#include "model/ListText.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <sys/stat.h>

namespace korva::ctl {

namespace {

uint16_t KorvaId(const QString& text) {
    return uint16_t(ParseListNumber(text).value_or(0));
}

bool IsProcessor(const HidDeviceInfo& info) {
    return info.VendorId == KorvaId(USB_Comm::kKorvaVendorID) &&
           info.ProductId == KorvaId(USB_Comm::kKorvaProductID);
}

QString UsbId(uint16_t vendor, uint16_t product) {
    return QStringLiteral("%1:%2").arg(vendor, 4, 16, QLatin1Char('0')).arg(product, 4, 16, QLatin1Char('0'));
}

// Why the device path given is none of the attached processors: what is there instead.
QString WhyNotAProcessor(const QString& path, const std::vector<HidDeviceInfo>& hidDevices) {
    for (const HidDeviceInfo& info : hidDevices) {
        if (QString::fromStdString(info.Path) == path) {
            const QString name =
                info.ProductString.isEmpty() ? QString() : QStringLiteral("（%1）").arg(info.ProductString);
            return QStringLiteral("它是 USB HID 设备 %1%2").arg(UsbId(info.VendorId, info.ProductId), name);
        }
    }
    struct stat status {};
    if (::stat(PathBytes(path).constData(), &status) != 0) {
        return errno == ENOENT || errno == ENOTDIR
                   ? QStringLiteral("它不存在")
                   : QStringLiteral("无法访问它（%1）").arg(QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (S_ISDIR(status.st_mode)) {
        return QStringLiteral("它是文件夹");
    }
    if (S_ISREG(status.st_mode)) {
        return QStringLiteral("它是普通文件");
    }
    return QStringLiteral("它不是 USB HID 设备（hidraw）");
}

QStringList ListOf(const std::vector<HidDeviceInfo>& devices) {
    QStringList lines{QStringLiteral("连接的处理器：")};
    for (const HidDeviceInfo& device : devices) {
        lines << QStringLiteral("  ") + DescribeDevice(device);
    }
    return lines;
}

Selection Refuse(int exit, const char* code, const QString& why, const std::vector<HidDeviceInfo>& choices) {
    Selection s;
    s.Refusal.Fail(exit, QString::fromLatin1(code), why);
    s.Refusal.Processors = choices;
    if (!choices.empty()) {
        s.Refusal.Details = ListOf(choices);
    }
    return s;
}

} // namespace

QString DescribeDevice(const HidDeviceInfo& device) {
    const QString path = QString::fromStdString(device.Path);
    return device.SerialNumber.isEmpty() ? path
                                         : QStringLiteral("%1（序列号 %2）").arg(path, device.SerialNumber);
}

QString DescribeResultDevice(const ProcessorResult& result) {
    const QString device = result.Device ? DescribeDevice(*result.Device) : QString();
    return result.Url.isEmpty() ? device : QStringLiteral("%1 %2").arg(result.Url, device).trimmed();
}

std::vector<HidDeviceInfo> AttachedProcessors(const std::vector<HidDeviceInfo>& hidDevices) {
    std::vector<HidDeviceInfo> found;
    std::set<std::string> paths;
    for (const HidDeviceInfo& info : hidDevices) {
        if (IsProcessor(info) && paths.insert(info.Path).second) {
            found.push_back(info);
        }
    }
    return found;
}

Selection SelectProcessors(const CtlOptions& options, const std::vector<HidDeviceInfo>& hidDevices) {
    const std::vector<HidDeviceInfo> attached = AttachedProcessors(hidDevices);
    const QString none = QStringLiteral("没有找到前级处理器（USB 0483:6850）");
    if (!options.devicePath.isEmpty() || !options.serial.isEmpty()) {
        Selection s;
        for (const HidDeviceInfo& device : attached) {
            if ((!options.devicePath.isEmpty() &&
                 QString::fromStdString(device.Path) == options.devicePath) ||
                (!options.serial.isEmpty() && device.SerialNumber == options.serial)) {
                s.Devices.push_back(device);
            }
        }
        if (s.Devices.size() > 1) {
            return Refuse(kExitUsage, codes::kSeveralProcessors,
                          QStringLiteral("有 %1 台处理器的序列号是 %2，请用 --device 指定其中一台")
                              .arg(s.Devices.size())
                              .arg(options.serial),
                          s.Devices);
        }
        if (!s.Devices.empty()) {
            return s;
        }
        const QString why =
            options.devicePath.isEmpty()
                ? QStringLiteral("没有找到序列号为 %1 的处理器").arg(options.serial)
                : QStringLiteral("%1 不是前级处理器（USB 0483:6850）：%2")
                      .arg(DisplayPath(options.devicePath), WhyNotAProcessor(options.devicePath, hidDevices));
        return Refuse(kExitDevice, codes::kNotFound,
                      attached.empty() ? why + QStringLiteral("；没有连接任何前级处理器") : why, attached);
    }
    if (attached.empty()) {
        return Refuse(kExitDevice, codes::kNotFound, none, {});
    }
    Selection s;
    if (options.all || options.command == Command::List || attached.size() == 1) {
        s.Devices = attached;
        return s;
    }
    if (ChangesDevice(options.command)) {
        return Refuse(
            kExitUsage, codes::kSeveralProcessors,
            QStringLiteral("连接了 %1 台处理器，%2 会改动处理器，请用 --device、--serial 或 --all 指定")
                .arg(attached.size())
                .arg(options.commandName),
            attached);
    }
    s.Devices = {attached.front()};
    s.Note = QStringLiteral("连接了 %1 台处理器，使用第一台 %2（其他的用 --device、--serial 或 --all 指定）")
                 .arg(attached.size())
                 .arg(DescribeDevice(attached.front()));
    return s;
}

} // namespace korva::ctl
