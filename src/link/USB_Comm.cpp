#include "link/USB_Comm.h"

#include "link/DeviceLock.h"
#include "model/ListText.h"
#include "model/MessageService.h"

#include <QDebug>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstring>

namespace korva {

const QString USB_Comm::kDefaultVendorID = QStringLiteral("&H473");
const QString USB_Comm::kDefaultProductID = QStringLiteral("&H3023");
const QString USB_Comm::kKorvaVendorID = QStringLiteral("&H483");
const QString USB_Comm::kKorvaProductID = QStringLiteral("&H6850");

namespace {
// Reports are built in a buffer of this size, so a backend's report length can never overrun it.
constexpr int kReportBufferSize = 67;
static_assert(kHidReportLength <= kReportBufferSize);
} // namespace

USB_Comm::USB_Comm(HidBackend& backend, MessageService& messages, QObject* parent)
    : QObject(parent), backend_(backend), messages_(messages), timer1_(new QTimer(this)),
      vendorID_(kDefaultVendorID), productID_(kDefaultProductID) {
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kPollIntervalMs);
    connect(timer1_, &QTimer::timeout, this, &USB_Comm::Timer1Tick);
    if (autoReadData_) {
        timer1_->start();
    }
}

USB_Comm::~USB_Comm() {
    Terminate();
}

void USB_Comm::SetAutoReadData(bool on) {
    autoReadData_ = on;
    if (on) {
        timer1_->start();
    } else {
        timer1_->stop();
    }
}

bool USB_Comm::MatchIds(uint16_t& vendor, uint16_t& product) const {
    const bool useDefaults = productID_.isEmpty();
    const std::optional<int> v = ParseListNumber(useDefaults ? kDefaultVendorID : vendorID_);
    const std::optional<int> p = ParseListNumber(useDefaults ? kDefaultProductID : productID_);
    if (!v || !p) {
        return false;
    }
    vendor = uint16_t(*v);
    product = uint16_t(*p);
    return true;
}

bool USB_Comm::HoldLock(const std::string& path) {
    if (lock_ && lockedPath_ == path) {
        return true;
    }
    ReleaseLock();
    DeviceLock::Attempt attempt = DeviceLock::TryAcquire(backend_.LockName(path));
    if (attempt.HeldBy) {
        lockRefusal_ = DeviceLock::RefusalText(QString::fromStdString(path), *attempt.HeldBy);
        return false;
    }
    lock_ = std::move(attempt.Lock);
    lockedPath_ = path;
    return true;
}

void USB_Comm::ReleaseLock() {
    lock_.reset();
    lockedPath_.clear();
}

bool USB_Comm::Connect() {
    bool found = false;
    uint16_t vendor = 0;
    uint16_t product = 0;
    bool denied = false;
    lockRefusal_.clear();
    if (MatchIds(vendor, product)) {
        for (const HidDeviceInfo& info : backend_.Enumerate()) {
            if (info.VendorId != vendor || info.ProductId != product ||
                (!devicePath_.empty() && info.Path != devicePath_)) {
                continue;
            }
            // A processor another program has open is left to it; the next one may be free.
            if (!HoldLock(info.Path)) {
                continue;
            }
            std::unique_ptr<HidDevice> device = backend_.Open(info.Path);
            if (device) {
                device_ = std::move(device);
                found = true;
                break;
            }
            denied = denied || backend_.LastOpenDenied();
        }
    }
    if (found) {
        lockRefusal_.clear();
        shownLockRefusal_.clear();
    } else {
        ReleaseLock();
    }
    if (!found && !lockRefusal_.isEmpty() && lockRefusal_ != shownLockRefusal_) {
        // Retrying goes on quietly; the user hears once who has the processor.
        shownLockRefusal_ = lockRefusal_;
        messages_.Show(MessageIcon::Warning, lockRefusal_);
    }
    if (found) {
        inputReportLength_ = kHidReportLength;
        outputReportLength_ = kHidReportLength;
        openDeniedReported_ = false;
    } else if (denied && !openDeniedReported_) {
        // Retrying cannot help until the user grants access: say how, once, instead of failing silently.
        openDeniedReported_ = true;
        qWarning().noquote() << backend_.LastError();
    }
    emit Plug(found);
    return found;
}

void USB_Comm::Terminate() {
    device_.reset();
    ReleaseLock();
}

bool USB_Comm::WriteReport(const char* payload, int count) {
    bool ok = false;
    try {
        std::array<uint8_t, kReportBufferSize> report{};
        report[0] = kOutputReportId;
        report[1] = uint8_t(count);
        std::memcpy(report.data() + 2, payload, size_t(count));
        ok = device_ && device_->WriteReport(report.data(), outputReportLength_);
        if (ok) {
            writeErrorShown_ = false;
        }
    } catch (...) {
        // A misbehaving driver must not end the program: the write failed, and the user hears of it once
        // until a write succeeds again.
        ok = false;
        if (!writeErrorShown_) {
            writeErrorShown_ = true;
            messages_.Show(MessageIcon::Warning, QStringLiteral("操作USB设备失败！"));
        }
    }
    return ok;
}

bool USB_Comm::SendData(const QByteArray& bytes) {
    if (outputReportLength_ == 0 && !Connect()) {
        return false;
    }
    if (bytes.isEmpty()) {
        return false;
    }
    const int chunk = outputReportLength_ - 2;
    for (qsizetype offset = 0; offset < bytes.size();) {
        const int count = int(std::min<qsizetype>(chunk, bytes.size() - offset));
        const char* payload = bytes.constData() + offset;
        if (!WriteReport(payload, count)) {
            Connect();
            if (!WriteReport(payload, count)) {
                return false;
            }
        }
        offset += count;
    }
    return true;
}

bool USB_Comm::ReadData(QByteArray& out) {
    if (autoReadData_) {
        return false;
    }
    if (inputReportLength_ == 0 && !Connect()) {
        return false;
    }
    auto readOnce = [&]() {
        std::array<uint8_t, kReportBufferSize> report{};
        const int length =
            device_ ? device_->ReadReport(report.data(), inputReportLength_, readTimeOut_) : -1;
        if (length < 2) {
            return false;
        }
        out = QByteArray(reinterpret_cast<const char*>(report.data()) + 1, length - 1);
        return true;
    };
    if (readOnce()) {
        return true;
    }
    Connect();
    return readOnce();
}

void USB_Comm::SetExchangeInFlight(bool inFlight) {
    exchangeInFlight_ = inFlight;
    // Inside a tick the timer is stopped and restarts with the right interval at its end.
    if (timer1_->isActive()) {
        timer1_->setInterval(inFlight ? kEagerPollIntervalMs : kPollIntervalMs);
    }
}

void USB_Comm::Timer1Tick() {
    // The reconnect clock pauses while a command waits.
    if (!exchangeInFlight_) {
        ++usbplugticks_;
    }
    timer1_->stop();
    if (inputReportLength_ != 0) {
        if (device_) {
            ReadAvailableReports();
        }
    } else if (!firstConnectTried_) {
        // Enumerating every 5 ms while no device is attached would keep a core busy; after the first
        // attempt the periodic reconnect below and SendData keep looking.
        firstConnectTried_ = true;
        Connect();
    }
    // Reports already waiting were delivered above, so the reopen loses nothing that had arrived.
    if (usbplugticks_ > kForcedReconnectTicks && !exchangeInFlight_) {
        device_.reset(); // the lock stays: the same processor is reopened
        Connect();
        usbplugticks_ = 0;
    }
    if (autoReadData_) {
        timer1_->start(exchangeInFlight_ ? kEagerPollIntervalMs : kPollIntervalMs);
    }
}

void USB_Comm::ReadAvailableReports() {
    std::array<uint8_t, kReportBufferSize> report{};
    for (int i = 0; i < kMaxReportsPerPoll && device_; ++i) {
        const int length = device_->ReadReport(report.data(), inputReportLength_, kReadWaitMs);
        if (length <= 0) {
            return;
        }
        DeliverReport(report.data(), length);
    }
}

void USB_Comm::DeliverReport(const uint8_t* report, int length) {
    if (length < 2 || report[0] != kInputReportId) {
        return;
    }
    const int count = report[1];
    // A length byte beyond the report's room is not trusted.
    if (count == 0 || count > inputReportLength_ - 2 || count > length - 2) {
        return;
    }
    emit DataArrival(QByteArray(reinterpret_cast<const char*>(report) + 2, count));
}

} // namespace korva
