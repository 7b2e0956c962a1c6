#pragma once
// The virtual processor: an HID backend that behaves like the pre-amplifier on USB. It enumerates as
// 0x0483/0x6850, takes output reports (01 n payload), answers through input reports (02 n payload) and
// keeps its own parameter memory. Faults can be injected and every frame it receives is recorded.
//
// Replies are queued when a report is written and handed out by reads. With the timing model on, each
// direction carries one report per millisecond like a full-speed interrupt endpoint, a reply comes after
// the reply delay, and a read waits (sleeping) up to its time-out for the next report; with it off
// everything is immediate. Reports, enumeration and faults may come from any thread (a link per processor
// on its own thread); Memory(), Firmware() and the recordings are for when no link is talking to it.

#include "link/HidBackend.h"
#include "sim/DeviceFirmware.h"

#include <QByteArray>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace korva::sim {

// The lock name of a virtual device at path: in scope, or else in the owner's own (process and object).
QString VirtualLockName(const void* owner, const QString& scope, const std::string& path);

class VirtualProcessor : public HidBackend {
public:
    static constexpr uint16_t kVendorId = 0x0483;
    static constexpr uint16_t kProductId = 0x6850;
    static constexpr const char* kDevicePath = "sim:korva-processor";
    static constexpr const char* kSerialNumber = "SIM-0001";
    static constexpr const char* kProductString = "KORVA Virtual Processor";
    static constexpr int kPayloadPerReport = kHidReportLength - 2;

    // Enumerates under this path and serial number.
    explicit VirtualProcessor(std::string path = kDevicePath, QString serialNumber = kSerialNumber);
    ~VirtualProcessor() override;
    VirtualProcessor(const VirtualProcessor&) = delete;
    VirtualProcessor& operator=(const VirtualProcessor&) = delete;

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    QString LastError() const override;
    // "sim-<pid>-<this>:<path>" unless a scope is set: virtual processors of different programs (and
    // tests) never share a lock. Programs that share the scope (a demo state folder) share the locks.
    QString LockName(const std::string& path) const override;
    void SetLockScope(const QString& scope) { lockScope_ = scope; }

    const std::string& Path() const { return path_; }
    const QString& SerialNumber() const { return serialNumber_; }

    DeviceFirmware& Firmware() { return firmware_; }
    ParamModel& Memory() { return firmware_.Memory(); }

    // Timing model (off by default).
    void SetTimingModel(bool on) { SetLocked(timing_, on); }
    void SetReplyDelayMs(double ms);

    // What the device received: valid frames, every output report, sync words.
    const std::vector<QByteArray>& ReceivedFrames() const { return firmware_.ReceivedFrames(); }
    // A copy of the valid frames received so far, safe while a link talks to the processor from another
    // thread.
    std::vector<QByteArray> ReceivedFramesNow() const;
    // The memory as it is now, safe in the same way.
    ParamModel MemoryNow() const;
    // Changes the memory as its own front panel does: no frame, nothing reported to the link.
    void EditOnFrontPanel(const std::function<void(ParamModel&)>& edit);
    // How many valid frames it took, and how many of those change what it holds (a record, a block, the
    // menu or the password written, a download finished, a group selected); safe in the same way.
    struct FrameTally {
        int Frames = 0;
        int Writes = 0;
    };
    FrameTally TallyNow() const;
    const std::vector<QByteArray>& ReceivedReports() const { return reports_; }
    int SyncWordsReceived() const;
    void ClearRecordings();

    // Faults, each for the next N replies unless said otherwise.
    void DropNextAcks(int count) { SetLocked(dropAcks_, count); }
    void DropNextAnswers(int count) { SetLocked(dropAnswers_, count); }
    void CorruptNextAnswerChecksums(int count) { SetLocked(corruptAnswers_, count); }
    void InsertNoiseBeforeNextReply(const QByteArray& noise);
    // Rewrites the next answer (checksum included) before it is sent.
    void TransformNextAnswer(std::function<QByteArray(const QByteArray&)> transform) {
        SetLocked(transform_, std::move(transform));
    }
    // The next reply comes this much later, with or without the timing model.
    void DelayNextReplyMs(int ms);
    // Acknowledgement and answer in as few reports as possible (normally the acknowledgement travels alone).
    void SetCoalesceReplies(bool on) { SetLocked(coalesce_, on); }
    void SetEchoSyncWords(bool on) { SetLocked(echoSync_, on); }
    // A device that takes frames but never replies.
    void SetSilent(bool silent) { SetLocked(silent_, silent); }
    // Frames for which the filter returns false get no reply at all.
    void SetReplyFilter(std::function<bool(const QByteArray& frame)> filter) {
        SetLocked(replyFilter_, std::move(filter));
    }
    void FailNextWrites(int count) { SetLocked(failWrites_, count); }
    // The next writes throw, like a driver error the program does not expect.
    void ThrowOnNextWrites(int count) { SetLocked(throwWrites_, count); }
    // Unplugged: not enumerated, and every handle opened before stays dead, also after a replug.
    void Unplug();
    void Replug();
    bool IsPlugged() const;
    // Unplugs itself right after taking the count-th valid frame from now on (only frames of that
    // command when command >= 0): the device executes that frame but its reply is lost.
    void UnplugAfterFrames(int count, int command = -1);
    // Stores the count-th block write from now on wrong (the first byte it carries one less, or 1 for a
    // 0), and acknowledges it as usual: a memory that reads back different.
    void MisstoreBlockWrite(int count) { SetLocked(misstoreBlock_, count); }
    // Another HID device, listed before the processor.
    void AddOtherDevice(uint16_t vendorId, uint16_t productId);

    // Unsolicited bytes from the device, split into reports.
    void SendBytes(const QByteArray& bytes);
    void SendToneReset();
    // A raw input report exactly as given (for malformed reports).
    void SendRawReport(const QByteArray& report);

    int OpenHandles() const;
    int Enumerations() const;

private:
    using Clock = std::chrono::steady_clock;
    struct PendingReport {
        Clock::time_point ready;
        QByteArray report;
    };
    struct HandleState {
        int generation = 0;
        std::deque<PendingReport> queue;
    };
    class Handle;

    template <typename T, typename V> void SetLocked(T& member, V&& value) {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        member = std::forward<V>(value);
    }
    void UnplugLocked();
    bool WriteReport(int handle, const uint8_t* report, int length);
    int ReadReport(int handle, uint8_t* buffer, int capacity, int timeoutMs);
    void CloseHandle(int handle);
    bool HandleAlive(int handle) const;
    void Reply(Clock::time_point receivedAt, const DeviceFirmware::Reply& reply);
    void Schedule(Clock::time_point earliest, const std::vector<QByteArray>& pieces);
    static QByteArray MakeInputReport(QByteArrayView payload);

    // Recursive: reply filters and transforms may call back into the processor.
    mutable std::recursive_mutex mutex_;
    const std::string path_;
    const QString serialNumber_;
    DeviceFirmware firmware_;
    std::map<int, HandleState> handles_;
    int nextHandle_ = 1;
    int enumerations_ = 0;
    int generation_ = 0;
    bool plugged_ = true;
    std::vector<HidDeviceInfo> otherDevices_;
    std::vector<QByteArray> reports_;
    QString lastError_;
    QString lockScope_;

    bool timing_ = false;
    std::chrono::microseconds replyDelay_{500};
    Clock::time_point nextOutFree_{};
    Clock::time_point nextInFree_{};

    int dropAcks_ = 0;
    int dropAnswers_ = 0;
    int corruptAnswers_ = 0;
    int failWrites_ = 0;
    int throwWrites_ = 0;
    QByteArray noise_;
    std::function<QByteArray(const QByteArray&)> transform_;
    std::function<bool(const QByteArray&)> replyFilter_;
    std::chrono::milliseconds extraDelay_{0};
    bool coalesce_ = false;
    bool echoSync_ = true;
    bool silent_ = false;
    int unplugAfterFrames_ = 0;
    int unplugAfterCommand_ = -1;
    int misstoreBlock_ = 0;
};

} // namespace korva::sim
