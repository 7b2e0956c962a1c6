#pragma once
// One processor driven without a window: the handshake, the whole-memory read (28 commands), the
// download of a whole image as 写入设备 does it (25 blocks, then the finish command) with a read-back
// that compares every downloaded byte, and single-parameter reads and writes. It is a thin use of the
// processor service the window drives (same link, same write rules) over any HID backend, with a
// message service that collects instead of showing: nothing blocks on a dialog.
//
// A session lives on the thread that created it and is used from that thread only; it creates its Qt
// objects there and runs the link's nested waits on that thread's event loop. One session per processor
// and thread lets several processors run in parallel (each over its own backend instance when the backend
// is not thread-safe). Operations return false on failure and leave a Chinese reason in LastError().

#include "link/BulkTransfer.h"
#include "model/ParamStore.h"
#include "ops/ParamImage.h"
#include "ops/ParamTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korva {

class HidBackend;
class Processor;
struct PointRecord;

// What a download got through before it stopped.
struct DownloadReport {
    std::vector<BulkBlock> Acknowledged;   // block writes the processor answered, in order
    std::optional<BulkBlock> Unanswered;   // the block (or closing command) that went out unanswered
    bool Finished = false;                 // the finish command was answered: the download is complete
    int BlocksTotal = 25;

    // "已写入 7/25 块：公共块，MODEL 1 块 0x00，…；MODEL 3 块 0x00 没有应答" (or all written).
    QString Describe() const;
};

// "公共块 0xC0", "MODEL 3 块 0x40", "菜单块 0x00", "结束命令".
QString DescribeBlock(const BulkBlock& block);

// What kind of failure LastError() describes, for front ends that report it by a code.
enum class SessionFault {
    None,
    Open,     // the device could not be opened (not found, no permission, gone)
    NoAnswer, // opened, but it did not answer the handshake
    Link,     // the link failed during an operation
    Mismatch, // DownloadAndVerify: the memory read back differs
    Refused,  // nothing was sent: the request itself is not allowed
    Locked,   // another program has the processor open (LastError names it)
};

class DeviceSession {
public:
    static constexpr int kHandshakeAttempts = 3;

    // done / total commands of the running read or download.
    using Progress = std::function<void(int done, int total)>;

    // backend must outlive the session. devicePath: the processor to talk to; empty takes the first one
    // found, as the window does.
    DeviceSession(HidBackend& backend, const std::string& devicePath = std::string());
    ~DeviceSession();
    DeviceSession(const DeviceSession&) = delete;
    DeviceSession& operator=(const DeviceSession&) = delete;

    void SetProgress(Progress progress);

    // Opens the device and handshakes (up to kHandshakeAttempts times). The operations below connect by
    // themselves when the link is down (also after a failure took it down).
    bool Connect();
    bool IsConnected() const;

    // The whole memory into image (all of it: groups, Common block, menu table). On failure image is
    // untouched.
    bool ReadAll(ParamImage& image);

    // Writes the 25 blocks of image, then the finish command. On failure LastDownload() says which blocks
    // went through; a later Download completes it.
    bool Download(const ParamImage& image);
    const DownloadReport& LastDownload() const { return lastDownload_; }

    // Reads the whole memory and compares every byte a download carries with expected. True when the read
    // succeeded (differences may still be found); differences in block order.
    bool ReadBack(const ParamImage& expected, std::vector<ImageDifference>& differences,
                  ParamImage* readImage = nullptr);

    // Download, then ReadBack: true only when both succeeded and every downloaded byte is equal.
    bool DownloadAndVerify(const ParamImage& image, std::vector<ImageDifference>& differences);

    // The current record of one parameter's address, read from the processor (one block read).
    bool ReadRecord(int group, uint8_t address, ParamRecord& record);
    // One parameter's byte, read from the processor.
    bool ReadParameter(const ParamRef& ref, uint8_t& raw);
    // The records of several addresses of one group, each block read once (a channel's EQ points lie in
    // one or two blocks); records[i] is that of addresses[i].
    bool ReadRecords(int group, const std::vector<uint8_t>& addresses, std::vector<ParamRecord>& records);
    // Sets several EQ points of one channel with the processor's ApplyPointRecords: their records are read
    // first, so that only those that differ are written, each once as its whole record. Refused, with
    // nothing sent, as ApplyPointRecords refuses. written: the records that went out and were answered.
    bool ApplyPointRecords(int group, const std::vector<PointRecord>& records, int* written = nullptr);

    // Sets one parameter to raw with the single-parameter write the window sends for it (the byte alone,
    // or the whole record after reading its current other bytes). Refused, with nothing sent, for
    // parameters that travel only with a download and for bytes outside the parameter's range.
    bool WriteParameter(const ParamRef& ref, uint8_t raw);

    // The longest the link waits for the answer to one block command before it gives up, with every
    // attempt it makes.
    static int WaitLimitMs(const BulkBlock& block);

    // The frame WriteParameter sends for raw, given the record the processor holds now.
    static QByteArray WriteFrame(const ParamRef& ref, uint8_t raw, const ParamRecord& current);

    QString LastError() const { return lastError_; }
    SessionFault LastFault() const { return lastFault_; }
    // What the link reported, oldest first: the newest 200 messages of the session.
    QStringList Messages() const;
    // How many messages the link has reported since the session started, and those after the first
    // `count` of them (as far as they are kept).
    qint64 MessageCount() const;
    QStringList MessagesSince(qint64 count) const;

    // The processor service under the session, for a front end that keeps the link up between operations
    // (supervision, the image it holds, single writes through Processor::SetParameter).
    Processor& Service() { return *processor_; }

private:
    class Collector;
    bool EnsureConnected();
    bool ReadBlock(const BulkBlock& block);
    bool Fail(SessionFault fault, const QString& why);
    void BeginProgress(int total);

    std::unique_ptr<Collector> collector_;
    std::unique_ptr<Processor> processor_;
    Progress progress_;
    int progressTotal_ = 0;
    bool recordingDownload_ = false;
    DownloadReport lastDownload_;
    QString lastError_;
    SessionFault lastFault_ = SessionFault::None;
};

} // namespace korva
