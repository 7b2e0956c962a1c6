// Input reports of any content and length through USB_Comm, while a command waits, as a misbehaving device
// or driver could deliver them: wrong report ids, length bytes beyond the report, short and empty reads,
// read failures, writes that fail or throw, devices that vanish or cannot be opened, other devices listed.
// The reports then travel on into the frame scanner, like the device's real answers.
//
// The script is read by the fake backend as the transport asks: each enumeration takes a byte (bit 0 the
// processor is listed, bit 1 another device is listed first, bit 2 opening fails, bit 3 the failure is a
// permission refusal), each write takes a byte (0xFE fails, 0xFF throws), each read takes a length byte
// (0 nothing arrived, 1..65 a report of that many bytes from the script; 0xFF the device failed; anything
// else a well-formed report 02 n payload with n from the next byte). The driver's own steps take a byte:
// even values poll once, 0x01 lets the running time-out expire, 0x03 reads one report with ReadData,
// 0x05 sends a 100-byte frame, 0x07 queues another command.
#include "FuzzInput.h"
#include "FuzzSupport.h"
#include "LinkFuzzWorld.h"

#include "link/FrameProtocol.h"

#include <QMetaObject>
#include <QTimer>
#include <cstring>
#include <stdexcept>

using namespace korva;
using fuzz::FuzzInput;

namespace {

class FuzzDevice : public HidDevice {
public:
    explicit FuzzDevice(FuzzInput& in) : in_(in) {}

    bool WriteReport(const uint8_t* report, int length) override {
        fuzz::Check(length == kHidReportLength && report[0] == 0x01, "malformed output report");
        const uint8_t fate = in_.Byte();
        if (fate == 0xFF) {
            throw std::runtime_error("driver error");
        }
        return fate != 0xFE;
    }

    int ReadReport(uint8_t* buffer, int capacity, int) override {
        fuzz::Check(capacity > 0 && capacity <= kHidReportLength, "read capacity out of range");
        const uint8_t length = in_.Byte();
        if (length == 0) {
            return 0;
        }
        if (length == 0xFF) {
            return -1;
        }
        if (length <= capacity) {
            const QByteArray bytes = in_.Bytes(length);
            std::memcpy(buffer, bytes.constData(), size_t(bytes.size()));
            return int(bytes.size());
        }
        // A well-formed report whose payload comes from the script.
        std::memset(buffer, 0, size_t(capacity));
        buffer[0] = 0x02;
        buffer[1] = in_.Byte();
        const QByteArray payload = in_.Bytes(std::min<size_t>(buffer[1], size_t(capacity - 2)));
        std::memcpy(buffer + 2, payload.constData(), size_t(payload.size()));
        return capacity;
    }

private:
    FuzzInput& in_;
};

class FuzzBackend : public HidBackend {
public:
    explicit FuzzBackend(FuzzInput& in) : in_(in) {}

    std::vector<HidDeviceInfo> Enumerate() override {
        fate_ = in_.Byte();
        std::vector<HidDeviceInfo> list;
        if (fate_ & 2) {
            list.push_back({0x0483, 0x5750, "fuzz:other", {}, {}});
        }
        if (fate_ & 1) {
            list.push_back({0x0483, 0x6850, "fuzz:processor", {}, {}});
        }
        return list;
    }
    std::unique_ptr<HidDevice> Open(const std::string& path) override {
        fuzz::Check(path == "fuzz:processor", "opened a device that does not match");
        if (fate_ & 4) {
            return nullptr;
        }
        return std::make_unique<FuzzDevice>(in_);
    }
    QString LastError() const override { return QStringLiteral("fuzz: cannot open"); }
    bool LastOpenDenied() const override { return (fate_ & 4) && (fate_ & 8); }

private:
    FuzzInput& in_;
    uint8_t fate_ = 0;
};

bool Step(FuzzInput& in, fuzz::LinkFuzzWorld& world) {
    if (in.AtEnd()) {
        return false;
    }
    USB_Comm& usb = world.link.Usb();
    const uint8_t op = in.Byte();
    if (op % 2 == 0) {
        // One poll of the transport's timer, as its tick would run it.
        QMetaObject::invokeMethod(&usb.Timer1(), "timeout", Qt::DirectConnection);
    } else if (op == 0x01) {
        fuzz::ExpireRunningTimeOut(world.link.Comm());
    } else if (op == 0x03) {
        QByteArray report;
        if (usb.ReadData(report)) {
            fuzz::Check(report.size() >= 1 && report.size() < kHidReportLength, "ReadData length");
        }
    } else if (op == 0x05) {
        usb.SendData(QByteArray(100, '\x5A'));
    } else if (op == 0x07) {
        Communications& comm = world.link.Comm();
        // Read one after the other: the order of function arguments is up to the compiler.
        const int command = fuzz::PickCommand(in.Byte());
        const int address = in.Byte();
        const bool ok = comm.SendCommand(command, 0, address, 0xFF, 1000);
        fuzz::CheckAnswer(comm, ok);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    FuzzBackend backend(in);
    fuzz::LinkFuzzWorld world(backend);
    Communications& comm = world.link.Comm();
    const int command = fuzz::PickCommand(in.Byte());
    const int address = in.Byte();
    const bool ok = fuzz::RunWhileCommandWaits(
        comm, [&]() { return Step(in, world); },
        [&]() { return comm.SendCommand(command, 0, address, 0xFF, 1000); });
    fuzz::CheckAnswer(comm, ok);
    return 0;
}
