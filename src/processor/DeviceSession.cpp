#include "processor/DeviceSession.h"

#include "link/Communications.h"
#include "link/FrameProtocol.h"
#include "model/MessageService.h"
#include "processor/Processor.h"

#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace korva {

namespace {

// The read block that holds an address of a group (Common addresses: group 0's Common block).
std::optional<BulkBlock> ReadBlockOf(int group, int address) {
    const int g = CellGroup(group, address);
    for (const BulkBlock& b : BulkTransfer::ReadBlocks()) {
        if (b.Command == kCmdReadBlock && b.Group == g && address >= b.FirstAddress &&
            address < b.FirstAddress + BlockRecordCount(b.FirstAddress)) {
            return b;
        }
    }
    return std::nullopt;
}

} // namespace

// Stands in for the message boxes: the newest messages are kept (a service runs for months), and every
// message is counted, so a caller can ask what came after a point it noted.
class DeviceSession::Collector : public MessageService {
public:
    static constexpr qsizetype kKept = 200;

    void Show(MessageIcon, const QString& text, const QString& = QString()) override {
        messages << text;
        ++count;
        if (messages.size() > kKept) {
            messages.removeFirst();
        }
    }
    bool Ask(const QString&, const QString& = QString()) override { return false; }
    void Beep() override {}

    // The messages after the first `from` ever shown (as many of them as are still kept).
    QStringList Since(qint64 from) const {
        const qint64 newer = count - from;
        return newer <= 0 ? QStringList() : messages.mid(std::max<qint64>(0, messages.size() - newer));
    }
    // The newest message after the first `from`; none means the link was lost.
    QString NewestSince(qint64 from) const {
        return count > from ? messages.back() : Communications::LinkLostText();
    }

    QStringList messages;
    qint64 count = 0;
};

QString DescribeBlock(const BulkBlock& block) {
    switch (block.Command) {
    case kCmdFinishDownload:
        return QStringLiteral("结束命令");
    case kCmdSelectGroup:
        return QStringLiteral("切换到 MODEL %1").arg(block.Group + 1);
    case kCmdReadMenuBlock:
    case kCmdWriteMenuBlock:
        return QStringLiteral("菜单块 ") + HexAddress(block.FirstAddress);
    default:
        if (block.FirstAddress >= kFirstCommonAddress) {
            return QStringLiteral("公共块 ") + HexAddress(block.FirstAddress);
        }
        return QStringLiteral("MODEL %1 块 ").arg(block.Group + 1) + HexAddress(block.FirstAddress);
    }
}

QString DownloadReport::Describe() const {
    QStringList sent;
    for (const BulkBlock& b : Acknowledged) {
        sent << DescribeBlock(b);
    }
    QString text = QStringLiteral("已写入 %1/%2 块").arg(Acknowledged.size()).arg(BlocksTotal);
    if (!sent.isEmpty()) {
        text += QStringLiteral("：") + sent.join(QStringLiteral("，"));
    }
    if (Unanswered) {
        text += QStringLiteral("；%1 没有应答").arg(DescribeBlock(*Unanswered));
    } else if (Finished) {
        text += QStringLiteral("；结束命令已应答");
    }
    return text;
}

DeviceSession::DeviceSession(HidBackend& backend, const std::string& devicePath)
    : collector_(std::make_unique<Collector>()) {
    // The link's timers need an event dispatcher on this thread, which a plain std::thread does not have
    // until an event loop is made.
    if (!QThread::currentThread()->eventDispatcher()) {
        QEventLoop makesDispatcher;
    }
    processor_ = std::make_unique<Processor>(backend, *collector_);
    DeviceLink& link = processor_->Link();
    link.Usb().SetDevicePath(devicePath);
    // Every operation is a short sequence of commands; no keep-alive runs between them.
    link.Supervisor().tmrKeepConnect().stop();
    QObject::connect(&link.Bulk(), &BulkTransfer::BlockDone, processor_.get(),
                     [this](int index, const BulkBlock& block, bool answered) {
                         if (recordingDownload_) {
                             if (!answered) {
                                 lastDownload_.Unanswered = block;
                             } else if (block.Command == kCmdFinishDownload) {
                                 lastDownload_.Finished = true;
                             } else {
                                 lastDownload_.Acknowledged.push_back(block);
                             }
                         }
                         if (progress_ && answered) {
                             progress_(index + 1, progressTotal_);
                         }
                     });
}

DeviceSession::~DeviceSession() {
    processor_->Link().PrepareClose();
}

void DeviceSession::SetProgress(Progress progress) {
    progress_ = std::move(progress);
}

QStringList DeviceSession::Messages() const {
    return collector_->messages;
}

qint64 DeviceSession::MessageCount() const {
    return collector_->count;
}

QStringList DeviceSession::MessagesSince(qint64 count) const {
    return collector_->Since(count);
}

bool DeviceSession::Fail(SessionFault fault, const QString& why) {
    lastFault_ = fault;
    lastError_ = why;
    return false;
}

int DeviceSession::WaitLimitMs(const BulkBlock& block) {
    const int answerMs =
        block.Command == kCmdFinishDownload ? BulkTransfer::kFinishTimeoutMs : BulkTransfer::kBlockTimeoutMs;
    return Communications::kAttempts * (Communications::kAckTimeoutMs + answerMs);
}

void DeviceSession::BeginProgress(int total) {
    progressTotal_ = total;
    if (progress_) {
        progress_(0, total);
    }
}

bool DeviceSession::IsConnected() const {
    return processor_->IsOnline();
}

bool DeviceSession::Connect() {
    USB_Comm& usb = processor_->Link().Usb();
    if (!usb.IsOpen() && !usb.Connect()) {
        if (!usb.LockRefusal().isEmpty()) {
            return Fail(SessionFault::Locked, usb.LockRefusal());
        }
        const std::string& path = usb.DevicePath();
        return Fail(SessionFault::Open,
                    path.empty() ? QStringLiteral("没有找到处理器（USB 0483:6850）")
                                 : QStringLiteral("无法打开处理器 %1").arg(QString::fromStdString(path)));
    }
    for (int attempt = 0; attempt < kHandshakeAttempts; ++attempt) {
        if (processor_->Link().Supervisor().Handshake()) {
            return true;
        }
    }
    return Fail(SessionFault::NoAnswer, QStringLiteral("处理器没有应答握手"));
}

bool DeviceSession::EnsureConnected() {
    return IsConnected() || Connect();
}

bool DeviceSession::ReadAll(ParamImage& image) {
    if (!EnsureConnected()) {
        return false;
    }
    const qint64 before = collector_->count;
    BeginProgress(int(BulkTransfer::ReadBlocks().size()));
    if (!processor_->ReadAll()) {
        return Fail(SessionFault::Link,
                    QStringLiteral("读取处理器内存失败：") + collector_->NewestSince(before));
    }
    image = ParamImage::Of(processor_->Model());
    return true;
}

bool DeviceSession::Download(const ParamImage& image) {
    lastDownload_ = {};
    lastDownload_.BlocksTotal = int(BulkTransfer::DownloadBlocks().size());
    if (!EnsureConnected()) {
        return false;
    }
    image.ApplyTo(processor_->Model());
    const qint64 before = collector_->count;
    BeginProgress(lastDownload_.BlocksTotal + 1);
    recordingDownload_ = true;
    const bool complete = processor_->Download(false);
    recordingDownload_ = false;
    if (!complete) {
        return Fail(SessionFault::Link, QStringLiteral("写入处理器中断（%1）：%2")
                                            .arg(collector_->NewestSince(before), lastDownload_.Describe()));
    }
    return true;
}

bool DeviceSession::ReadBack(const ParamImage& expected, std::vector<ImageDifference>& differences,
                             ParamImage* readImage) {
    ParamImage actual = expected;
    if (!ReadAll(actual)) {
        return false;
    }
    differences = CompareImages(expected, actual, DownloadedCells());
    if (readImage) {
        *readImage = actual;
    }
    return true;
}

bool DeviceSession::DownloadAndVerify(const ParamImage& image, std::vector<ImageDifference>& differences) {
    differences.clear();
    if (!Download(image) || !ReadBack(image, differences)) {
        return false;
    }
    if (!differences.empty()) {
        return Fail(SessionFault::Mismatch, QStringLiteral("回读校验发现 %1 处不同").arg(differences.size()));
    }
    return true;
}

// One block read into the processor's image.
bool DeviceSession::ReadBlock(const BulkBlock& block) {
    if (!EnsureConnected()) {
        return false;
    }
    const qint64 before = collector_->count;
    Communications& comm = processor_->Link().Comm();
    if (!comm.SendCommand(block.Command, block.Group, block.FirstAddress, 0, BulkTransfer::kBlockTimeoutMs)) {
        return Fail(SessionFault::Link, QStringLiteral("读取%1失败：").arg(DescribeBlock(block)) +
                                            collector_->NewestSince(before));
    }
    BulkTransfer::StoreBlockAnswer(processor_->Model(), block, comm.Answer());
    return true;
}

bool DeviceSession::ReadRecord(int group, uint8_t address, ParamRecord& record) {
    std::vector<ParamRecord> records;
    if (!ReadRecords(group, {address}, records)) {
        return false;
    }
    record = records.front();
    return true;
}

bool DeviceSession::ReadRecords(int group, const std::vector<uint8_t>& addresses,
                                std::vector<ParamRecord>& records) {
    std::vector<BulkBlock> blocks;
    for (uint8_t address : addresses) {
        const std::optional<BulkBlock> block = ReadBlockOf(group, address);
        if (!block) {
            return Fail(SessionFault::Refused,
                        QStringLiteral("地址 %1 不在处理器的参数块中").arg(HexAddress(address)));
        }
        const auto same = [&block](const BulkBlock& b) {
            return b.Command == block->Command && b.Group == block->Group && b.FirstAddress == block->FirstAddress;
        };
        if (std::none_of(blocks.begin(), blocks.end(), same)) {
            blocks.push_back(*block);
        }
    }
    for (const BulkBlock& block : blocks) {
        if (!ReadBlock(block)) {
            return false;
        }
    }
    records.clear();
    for (uint8_t address : addresses) {
        records.push_back(processor_->Model().Store.at(CellGroup(group, address), address));
    }
    return true;
}

bool DeviceSession::ReadParameter(const ParamRef& ref, uint8_t& raw) {
    ParamRecord record;
    if (!ReadRecord(ref.StoredGroup(), ref.Def->Address, record)) {
        return false;
    }
    raw = record.Field(ref.Def->Field);
    return true;
}

QByteArray DeviceSession::WriteFrame(const ParamRef& ref, uint8_t raw, const ParamRecord& current) {
    ParamModel model;
    ParamRecord& cell = model.Cell(ref.Group, ref.Def->Address);
    cell = current;
    cell.Field(ref.Def->Field) = raw;
    return Processor::WriteFrame(model, ref.StoredGroup(), ref.Def->Address, Processor::SendValueOf(*ref.Def, raw));
}

// The processor's own write: the same function the window's controls write through. The session has no
// image of the processor's memory, so a parameter that sends its whole record reads that record first.
bool DeviceSession::WriteParameter(const ParamRef& ref, uint8_t raw) {
    if (const QString refusal = Processor::WriteRefusal(ref, raw, true); !refusal.isEmpty()) {
        return Fail(SessionFault::Refused, refusal);
    }
    if (ref.Def->Send == ParamSend::WholeRecord) {
        ParamRecord current;
        if (!ReadRecord(ref.StoredGroup(), ref.Def->Address, current)) {
            return false;
        }
    } else if (!EnsureConnected()) {
        return false;
    }
    const qint64 before = collector_->count;
    if (processor_->SetParameter(ref, raw) != WriteResult::Sent) {
        return Fail(SessionFault::Link, QStringLiteral("写入 %1 失败：").arg(QualifiedName(ref)) +
                                            collector_->NewestSince(before));
    }
    return true;
}

bool DeviceSession::ApplyPointRecords(int group, const std::vector<PointRecord>& records, int* written) {
    std::vector<uint8_t> addresses;
    for (const PointRecord& r : records) {
        addresses.push_back(r.Address);
    }
    std::vector<ParamRecord> current;
    if (!ReadRecords(group, addresses, current)) {
        return false;
    }
    const qint64 before = collector_->count;
    const PointsApplied applied = processor_->ApplyPointRecords(group, records);
    if (written) {
        *written = applied.Written;
    }
    switch (applied.Result) {
    case PointsApplied::Outcome::Refused:
        return Fail(SessionFault::Refused, applied.Reason);
    case PointsApplied::Outcome::Sent:
    case PointsApplied::Outcome::Unchanged:
        return true;
    default:
        return Fail(SessionFault::Link, QStringLiteral("写入 EQ 点失败（已写入 %1/%2）：")
                                            .arg(applied.Written)
                                            .arg(applied.Changed) +
                                            collector_->NewestSince(before));
    }
}

} // namespace korva
