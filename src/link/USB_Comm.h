#pragma once
// The transport to the processor: finds it among the HID devices by vendor and product id, sends byte
// strings as output reports and, from its own poll timer, raises DataArrival with the payload of every
// input report. It reopens the device by itself, so unplugging and replugging needs no user action.

#include "link/HidBackend.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

class QTimer;

namespace korva {

class DeviceLock;
class MessageService;

class USB_Comm : public QObject {
    Q_OBJECT
public:
    static constexpr int kPollIntervalMs = 5;
    // While a command waits for its answer the device is polled every millisecond.
    static constexpr int kEagerPollIntervalMs = 1;
    static constexpr int kReadWaitMs = 1;
    // Every 101st poll the device is closed and reopened to pick up a replugged device.
    static constexpr int kForcedReconnectTicks = 100;
    // A device that never stops sending must not freeze the program inside one poll.
    static constexpr int kMaxReportsPerPoll = 256;
    static constexpr uint8_t kOutputReportId = 0x01;
    static constexpr uint8_t kInputReportId = 0x02;

    static const QString kDefaultVendorID;  // "&H473"
    static const QString kDefaultProductID; // "&H3023"
    static const QString kKorvaVendorID;    // "&H483", the processor
    static const QString kKorvaProductID;   // "&H6850"

    // The backend must outlive this object.
    USB_Comm(HidBackend& backend, MessageService& messages, QObject* parent = nullptr);
    ~USB_Comm() override;

    // Poll input reports with Timer1 (true) or only through ReadData (false).
    bool AutoReadData() const { return autoReadData_; }
    void SetAutoReadData(bool on);
    // Wait of ReadData for one report, in ms.
    int ReadTimeOut() const { return readTimeOut_; }
    void SetReadTimeOut(int ms) { readTimeOut_ = ms; }
    // Ids in "&H" hexadecimal or decimal text, compared as 16-bit values. An empty ProductID makes both
    // fall back to the defaults.
    QString VendorID() const { return vendorID_; }
    void SetVendorID(const QString& text) { vendorID_ = text; }
    QString ProductID() const { return productID_; }
    void SetProductID(const QString& text) { productID_ = text; }

    // Only the device at this path is opened (empty: the first with matching ids, the default).
    const std::string& DevicePath() const { return devicePath_; }
    void SetDevicePath(const std::string& path) { devicePath_ = path; }

    // Finds and opens the device; raises Plug with the result.
    bool Connect();
    // Sends bytes as output reports of at most 63 payload bytes; a failed report is retried once after a
    // reconnect.
    bool SendData(const QByteArray& bytes);
    // Reads one input report (length byte and payload); only while AutoReadData is false.
    bool ReadData(QByteArray& out);
    // Closes the device and lets other programs have it.
    void Terminate();
    // Why the last Connect found the processor but left it alone: another program has it open ("处理器
    // /dev/hidraw3 正被 korvad（进程 812）使用"); empty otherwise. The message service shows it once.
    const QString& LockRefusal() const { return lockRefusal_; }

    // While true, polls every millisecond and holds off the periodic reconnect, which would drop the
    // reports already on their way to the waiting command.
    void SetExchangeInFlight(bool inFlight);
    bool ExchangeInFlight() const { return exchangeInFlight_; }

    bool IsOpen() const { return device_ != nullptr; }
    int InputReportLength() const { return inputReportLength_; }
    int OutputReportLength() const { return outputReportLength_; }
    int PlugTicks() const { return usbplugticks_; }
    QTimer& Timer1() { return *timer1_; }

signals:
    void DataArrival(const QByteArray& packet);
    void Plug(bool found);

private:
    void Timer1Tick();
    void ReadAvailableReports();
    void DeliverReport(const uint8_t* report, int length);
    bool WriteReport(const char* payload, int count);
    bool MatchIds(uint16_t& vendor, uint16_t& product) const;
    // Holds the lock of the device at path (kept from an earlier open of the same path).
    bool HoldLock(const std::string& path);
    void ReleaseLock();

    HidBackend& backend_;
    MessageService& messages_;
    std::unique_ptr<HidDevice> device_;
    // Held while the device is ours, across the periodic reopen, so that no other program slips in.
    std::unique_ptr<DeviceLock> lock_;
    std::string lockedPath_;
    QString lockRefusal_;
    QString shownLockRefusal_; // told through the message service already
    QTimer* timer1_;
    bool autoReadData_ = true;
    int readTimeOut_ = 500;
    QString vendorID_;
    QString productID_;
    std::string devicePath_;
    int inputReportLength_ = 0;
    int outputReportLength_ = 0;
    uint16_t usbplugticks_ = 0;
    bool exchangeInFlight_ = false;
    bool writeErrorShown_ = false;
    bool firstConnectTried_ = false;
    bool openDeniedReported_ = false; // the permission problem was told on standard error
};

} // namespace korva
