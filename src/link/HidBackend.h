#pragma once
// The one seam between the program and HID hardware: list devices, open one, move whole reports. The
// hidapi backend talks to real devices; the virtual processor implements the same interface for tests, the
// demo and the benchmarks.

#include <QString>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace korva {

// Report length in bytes, report id included, in both directions. hidapi cannot ask the device for its
// report lengths, and the processor uses 64-byte reports.
constexpr int kHidReportLength = 65;

struct HidDeviceInfo {
    uint16_t VendorId = 0;
    uint16_t ProductId = 0;
    std::string Path;
    // As the device reports them; empty when it reports none (or the system hides them).
    QString SerialNumber;
    QString ProductString;
};

// One opened device. Destroying it closes it.
class HidDevice {
public:
    virtual ~HidDevice() = default;
    // Writes one whole report (byte 0 is the report id); true when the device took it.
    virtual bool WriteReport(const uint8_t* report, int length) = 0;
    // Reads one report into buffer, waiting at most timeoutMs for it. Returns the number of bytes read,
    // 0 when none arrived in time, -1 when the device failed (for example it was unplugged).
    virtual int ReadReport(uint8_t* buffer, int capacity, int timeoutMs) = 0;
};

class HidBackend {
public:
    virtual ~HidBackend() = default;
    virtual std::vector<HidDeviceInfo> Enumerate() = 0;
    // nullptr when the path cannot be opened; LastError() then says why.
    virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;
    virtual QString LastError() const = 0;
    // The last Open failed because the system refused this user access to the device, which the user can
    // grant; LastError() then says how.
    virtual bool LastOpenDenied() const { return false; }
    // The name of the device's lock (one program per processor, DeviceLock): the same in every program
    // that can open the device. Devices that live inside one process are named apart from other processes'.
    virtual QString LockName(const std::string& path) const { return QString::fromStdString(path); }
};

} // namespace korva
