#include "sim/VirtualProcessor.h"

#include "link/FrameProtocol.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <thread>
#include <unistd.h>

namespace korva::sim {

namespace {
constexpr std::chrono::milliseconds kFrameTime{1}; // one report per direction per USB frame
constexpr uint8_t kOutputReportId = 0x01;
constexpr uint8_t kInputReportId = 0x02;
} // namespace

class VirtualProcessor::Handle : public HidDevice {
public:
    Handle(VirtualProcessor* owner, int id) : owner_(owner), id_(id) {}
    ~Handle() override {
        if (owner_) {
            owner_->CloseHandle(id_);
        }
    }
    bool WriteReport(const uint8_t* report, int length) override {
        return owner_->WriteReport(id_, report, length);
    }
    int ReadReport(uint8_t* buffer, int capacity, int timeoutMs) override {
        return owner_->ReadReport(id_, buffer, capacity, timeoutMs);
    }

private:
    VirtualProcessor* owner_;
    int id_;
};

namespace {
// Another HID device on the bus: takes reports and never answers.
class InertDevice : public HidDevice {
public:
    bool WriteReport(const uint8_t*, int) override { return true; }
    int ReadReport(uint8_t*, int, int) override { return 0; }
};
} // namespace

using Lock = std::lock_guard<std::recursive_mutex>;

VirtualProcessor::VirtualProcessor(std::string path, QString serialNumber)
    : path_(std::move(path)), serialNumber_(std::move(serialNumber)) {}
VirtualProcessor::~VirtualProcessor() = default;

std::vector<HidDeviceInfo> VirtualProcessor::Enumerate() {
    Lock lock(mutex_);
    ++enumerations_;
    std::vector<HidDeviceInfo> list = otherDevices_;
    if (plugged_) {
        list.push_back({kVendorId, kProductId, path_, serialNumber_, QString::fromLatin1(kProductString)});
    }
    return list;
}

QString VirtualLockName(const void* owner, const QString& scope, const std::string& path) {
    const QString own = QStringLiteral("sim-%1-%2").arg(::getpid()).arg(quintptr(owner), 0, 16);
    return (scope.isEmpty() ? own : scope) + QLatin1Char(':') + QString::fromStdString(path);
}

QString VirtualProcessor::LockName(const std::string& path) const {
    return VirtualLockName(this, lockScope_, path);
}

QString VirtualProcessor::LastError() const {
    Lock lock(mutex_);
    return lastError_;
}

std::unique_ptr<HidDevice> VirtualProcessor::Open(const std::string& path) {
    Lock lock(mutex_);
    if (path == path_ && plugged_) {
        const int id = nextHandle_++;
        handles_[id].generation = generation_;
        return std::make_unique<Handle>(this, id);
    }
    for (const HidDeviceInfo& other : otherDevices_) {
        if (other.Path == path) {
            return std::make_unique<InertDevice>();
        }
    }
    lastError_ = QStringLiteral("no such device: %1").arg(QString::fromStdString(path));
    return nullptr;
}

void VirtualProcessor::AddOtherDevice(uint16_t vendorId, uint16_t productId) {
    Lock lock(mutex_);
    otherDevices_.push_back(
        {vendorId, productId, "sim:other-" + std::to_string(otherDevices_.size()), QString(), QString()});
}

std::vector<QByteArray> VirtualProcessor::ReceivedFramesNow() const {
    Lock lock(mutex_);
    return firmware_.ReceivedFrames();
}

ParamModel VirtualProcessor::MemoryNow() const {
    Lock lock(mutex_);
    return firmware_.Memory();
}

void VirtualProcessor::EditOnFrontPanel(const std::function<void(ParamModel&)>& edit) {
    Lock lock(mutex_);
    edit(firmware_.Memory());
}

VirtualProcessor::FrameTally VirtualProcessor::TallyNow() const {
    Lock lock(mutex_);
    FrameTally tally;
    for (const QByteArray& frame : firmware_.ReceivedFrames()) {
        ++tally.Frames;
        switch (frame.size() > 1 ? uint8_t(frame[1]) >> 4 : kCmdHandshake) {
        case kCmdWriteRecord:
        case kCmdWriteBlock:
        case kCmdFinishDownload:
        case kCmdSelectGroup:
        case kCmdWriteMenuBlock:
        case kCmdWritePassword:
            ++tally.Writes;
            break;
        default:
            break;
        }
    }
    return tally;
}

void VirtualProcessor::ClearRecordings() {
    Lock lock(mutex_);
    reports_.clear();
    firmware_.ClearRecordings();
}

void VirtualProcessor::Unplug() {
    Lock lock(mutex_);
    UnplugLocked();
}

void VirtualProcessor::UnplugLocked() {
    plugged_ = false;
    for (auto& [id, state] : handles_) {
        state.queue.clear();
    }
    firmware_.ResetReceiver();
}

void VirtualProcessor::Replug() {
    Lock lock(mutex_);
    plugged_ = true;
    ++generation_;
}

bool VirtualProcessor::IsPlugged() const {
    Lock lock(mutex_);
    return plugged_;
}

void VirtualProcessor::UnplugAfterFrames(int count, int command) {
    Lock lock(mutex_);
    unplugAfterFrames_ = count;
    unplugAfterCommand_ = command;
}

int VirtualProcessor::OpenHandles() const {
    Lock lock(mutex_);
    return int(handles_.size());
}

int VirtualProcessor::Enumerations() const {
    Lock lock(mutex_);
    return enumerations_;
}

int VirtualProcessor::SyncWordsReceived() const {
    Lock lock(mutex_);
    return firmware_.SyncWordsReceived();
}

void VirtualProcessor::SetReplyDelayMs(double ms) {
    Lock lock(mutex_);
    replyDelay_ = std::chrono::microseconds(qint64(ms * 1000));
}

void VirtualProcessor::InsertNoiseBeforeNextReply(const QByteArray& noise) {
    Lock lock(mutex_);
    noise_ += noise;
}

void VirtualProcessor::DelayNextReplyMs(int ms) {
    Lock lock(mutex_);
    extraDelay_ = std::chrono::milliseconds(ms);
}

bool VirtualProcessor::HandleAlive(int handle) const {
    const auto it = handles_.find(handle);
    return plugged_ && it != handles_.end() && it->second.generation == generation_;
}

void VirtualProcessor::CloseHandle(int handle) {
    Lock lock(mutex_);
    handles_.erase(handle);
}

bool VirtualProcessor::WriteReport(int handle, const uint8_t* report, int length) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    if (!HandleAlive(handle)) {
        lastError_ = QStringLiteral("device unplugged");
        return false;
    }
    if (throwWrites_ > 0) {
        --throwWrites_;
        throw std::runtime_error("simulated driver failure");
    }
    if (failWrites_ > 0) {
        --failWrites_;
        lastError_ = QStringLiteral("simulated write failure");
        return false;
    }
    reports_.emplace_back(reinterpret_cast<const char*>(report), length);
    Clock::time_point receivedAt = Clock::now();
    if (timing_) {
        receivedAt = std::max(receivedAt, nextOutFree_);
        nextOutFree_ = receivedAt + kFrameTime;
        lock.unlock();
        std::this_thread::sleep_until(receivedAt);
        lock.lock();
        if (!HandleAlive(handle)) {
            return false; // unplugged while the report was on its way
        }
    }
    if (length < 2 || report[0] != kOutputReportId || report[1] > length - 2) {
        return true; // the device ignores reports it does not understand
    }
    const auto replies =
        firmware_.Receive(QByteArrayView(reinterpret_cast<const char*>(report) + 2, report[1]));
    for (const DeviceFirmware::Reply& reply : replies) {
        if (!reply.SyncEcho && reply.Command == kCmdWriteBlock && misstoreBlock_ > 0 && --misstoreBlock_ == 0) {
            uint8_t& first = firmware_.Memory().Cell(uint8_t(reply.Frame[1]) & 0x07, uint8_t(reply.Frame[2])).DATA1;
            first = first == 0 ? 1 : first - 1;
        }
        if (!reply.SyncEcho && unplugAfterFrames_ > 0 &&
            (unplugAfterCommand_ < 0 || reply.Command == unplugAfterCommand_) && --unplugAfterFrames_ == 0) {
            UnplugLocked();
            return true;
        }
        Reply(receivedAt, reply);
    }
    return true;
}

void VirtualProcessor::Reply(Clock::time_point receivedAt, const DeviceFirmware::Reply& reply) {
    if (silent_ || (!reply.SyncEcho && replyFilter_ && !replyFilter_(reply.Frame))) {
        return;
    }
    std::vector<QByteArray> pieces;
    if (reply.SyncEcho) {
        if (!echoSync_) {
            return;
        }
        pieces.push_back(QByteArray(1, char(kSyncWord)));
    } else {
        QByteArray ack = noise_;
        noise_.clear();
        if (dropAcks_ > 0) {
            --dropAcks_;
        } else {
            ack += AcknowledgementFrame();
        }
        QByteArray answer = reply.Answer;
        if (corruptAnswers_ > 0) {
            --corruptAnswers_;
            answer.back() = char(uint8_t(answer.back()) ^ 0x01);
        }
        if (transform_) {
            answer = transform_(answer);
            transform_ = nullptr;
        }
        if (dropAnswers_ > 0) {
            --dropAnswers_;
            answer.clear();
        }
        if (coalesce_) {
            pieces.push_back(ack + answer);
        } else {
            pieces.push_back(ack);
            pieces.push_back(answer);
        }
    }
    Clock::time_point earliest = receivedAt + extraDelay_;
    extraDelay_ = std::chrono::milliseconds(0);
    if (timing_) {
        earliest += replyDelay_;
    }
    Schedule(earliest, pieces);
}

QByteArray VirtualProcessor::MakeInputReport(QByteArrayView payload) {
    QByteArray report(kHidReportLength, '\0');
    report[0] = char(kInputReportId);
    report[1] = char(payload.size());
    std::memcpy(report.data() + 2, payload.data(), size_t(payload.size()));
    return report;
}

void VirtualProcessor::Schedule(Clock::time_point earliest, const std::vector<QByteArray>& pieces) {
    std::vector<QByteArray> reports;
    for (const QByteArray& piece : pieces) {
        for (qsizetype offset = 0; offset < piece.size(); offset += kPayloadPerReport) {
            reports.push_back(MakeInputReport(QByteArrayView(piece).sliced(
                offset, std::min<qsizetype>(kPayloadPerReport, piece.size() - offset))));
        }
    }
    for (QByteArray& report : reports) {
        Clock::time_point ready = earliest;
        if (timing_) {
            ready = std::max(ready, nextInFree_);
            nextInFree_ = ready + kFrameTime;
        }
        // Like hidraw: every open handle sees every report; with none open the report is lost.
        for (auto& [id, state] : handles_) {
            if (state.generation == generation_) {
                state.queue.push_back({ready, report});
            }
        }
    }
}

int VirtualProcessor::ReadReport(int handle, uint8_t* buffer, int capacity, int timeoutMs) {
    std::unique_lock<std::recursive_mutex> lock(mutex_);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (!HandleAlive(handle)) {
            lastError_ = QStringLiteral("device unplugged");
            return -1;
        }
        std::deque<PendingReport>& queue = handles_[handle].queue;
        const Clock::time_point now = Clock::now();
        if (!queue.empty() && queue.front().ready <= now) {
            const QByteArray report = queue.front().report;
            queue.pop_front();
            const int length = std::min<int>(capacity, int(report.size()));
            std::memcpy(buffer, report.constData(), size_t(length));
            return length;
        }
        if (!timing_ || now >= deadline) {
            return 0;
        }
        // Asleep without the lock: an enumeration or a fault from another thread may need it meanwhile.
        const Clock::time_point wake =
            !queue.empty() && queue.front().ready < deadline ? queue.front().ready : deadline;
        lock.unlock();
        std::this_thread::sleep_until(wake);
        lock.lock();
    }
}

void VirtualProcessor::SendBytes(const QByteArray& bytes) {
    Lock lock(mutex_);
    Schedule(Clock::now(), {bytes});
}

void VirtualProcessor::SendToneReset() {
    SendBytes(QByteArray(1, char(kToneResetByte)));
}

void VirtualProcessor::SendRawReport(const QByteArray& report) {
    Lock lock(mutex_);
    for (auto& [id, state] : handles_) {
        if (state.generation == generation_) {
            state.queue.push_back({Clock::now(), report});
        }
    }
}

} // namespace korva::sim
