#pragma once
// The command exchange with the processor. SendCommand sends a frame and waits, in a nested event loop,
// for the device's acknowledgement and then its answer, resending up to 8 times. Exchanges run strictly
// one after another in the order they were requested: a SendCommand started from an event during another
// one's wait queues behind it, and each call gets its own answer.

#include "link/FrameScanner.h"

#include <QByteArray>
#include <QObject>
#include <array>
#include <deque>
#include <memory>

class QTimer;

namespace korva {

class CommLog;
class MessageService;
class USB_Comm;
struct ParamModel;

class Communications : public QObject, private FrameScanner::Listener {
    Q_OBJECT
public:
    static constexpr int kAckTimeoutMs = 300;
    static constexpr int kAttempts = 8;
    static constexpr int kAnswerBufferSize = 5001;
    // What the user is told when the link is lost.
    static QString LinkLostText() { return QStringLiteral("与目标通信连接超时，已断开连接。"); }

    Communications(USB_Comm& usb, ParamModel& model, CommLog& log, MessageService& messages,
                   QObject* parent = nullptr);
    ~Communications() override;

    // Sends one command and waits for its answer; true when it arrived within the attempts. On success
    // Answer() holds the answer, checksum included. A failure takes the link offline with one message
    // (not during the handshake, not while the program closes): the message first, then the link goes
    // offline once it has been dismissed.
    bool SendCommand(int command, int group, int address, int value, int answerTimeoutMs);
    // Every packet the transport delivers.
    void ProcessReceivedBytes(const QByteArray& bytes);

    // The answer of the SendCommand that returned last (positions 0 .. AnswerLength()-1).
    const std::array<uint8_t, kAnswerBufferSize>& AnswerBuffer() const { return answerBuffer_; }
    int AnswerLength() const { return answerLength_; }
    QByteArray Answer() const;

    bool IsOnline() const { return isOnline_; }
    // The handshake succeeded: indicator online.
    void MarkOnline();
    // The sync word went unanswered: indicator offline, then the time-out message, once per loss.
    void GoOffline();
    // From the loss of the link (a command that failed for good, the sync time-out) until its message
    // has been dismissed. Meanwhile nothing goes out: commands fail at once without a message, and no
    // handshake, bulk transfer or keep-alive starts, so no new connection runs under the message.
    bool LinkLossPending() const { return linkLossPending_; }

    // True while any SendCommand is waiting.
    bool LinkBusy() const { return waitingCalls_ > 0; }
    // One attempt and no failure message (the handshake).
    bool HandshakeMode() const { return handshakeMode_; }
    void SetHandshakeMode(bool on) { handshakeMode_ = on; }
    // The user closes the program: every waiting command ends at once as failed, later ones fail at once.
    bool AppClosing() const { return appClosing_; }
    void BeginClosing();

    int ProgressCount() const { return progressCount_; }
    void SetProgressCount(int count) { progressCount_ = count; }
    int ProgressTotal() const { return progressTotal_; }
    void SetProgressTotal(int total) { progressTotal_ = total; }

    const FrameScanner& Scanner() const { return scanner_; }
    QTimer& TimeOuter() { return *timeOuter_; }
    QTimer& TimeOuter1() { return *timeOuter1_; }

signals:
    // Every command disarms the connection time-out.
    void CommandStarted();
    // The device echoed a sync word.
    void SyncEchoReceived();
    // The link was lost; its message is about to be shown.
    void LinkLost();
    // The handshake succeeded (true), or the link went offline (false).
    void OnlineChanged(bool online);
    // The device reset its key shift: the tone slider goes back to its middle without sending anything.
    void ToneResetReceived();

private:
    struct Exchange;

    void StartAttempt(const std::shared_ptr<Exchange>& exchange);
    void AttemptFailed(const std::shared_ptr<Exchange>& exchange);
    void Finish(const std::shared_ptr<Exchange>& exchange, bool succeeded, bool interrupted = false);
    void ScheduleNextStart();
    std::shared_ptr<Exchange> Head() const;
    bool BeginLinkLoss();
    void SetOffline();
    void ShowLinkLossMessage();

    void OnSyncEcho() override;
    void OnToneReset() override;
    void OnAcknowledgement() override;
    void OnAnswer(QByteArrayView frame) override;
    void OnChecksumFailure() override;

    USB_Comm& usb_;
    ParamModel& model_;
    CommLog& log_;
    MessageService& messages_;
    FrameScanner scanner_{*this};
    QTimer* timeOuter1_;
    QTimer* timeOuter_;

    std::deque<std::shared_ptr<Exchange>> queue_;
    bool startPending_ = false;
    int waitingCalls_ = 0;

    std::array<uint8_t, kAnswerBufferSize> answerBuffer_{};
    int answerLength_ = 0;
    bool isOnline_ = false;
    bool linkLossPending_ = false;
    bool handshakeMode_ = false;
    bool appClosing_ = false;
    int progressCount_ = 0;
    int progressTotal_ = 0;
};

} // namespace korva
