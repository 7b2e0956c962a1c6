#include "link/Communications.h"

#include "link/CommLog.h"
#include "link/FrameProtocol.h"
#include "link/USB_Comm.h"
#include "model/MessageService.h"
#include "model/ParamStore.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstring>

namespace korva {

struct Communications::Exchange {
    enum class State { Queued, AwaitAck, AwaitAnswer, Done };

    QByteArray frame;
    int answerLength = 0;
    int answerTimeoutMs = 0;
    int attemptsLeft = 0;
    bool handshake = false;
    State state = State::Queued;
    bool ackReceived = false;
    bool answerReceived = false;
    bool succeeded = false;
    bool interrupted = false;
    bool lostLink = false; // its failure took the link down: its call reports it
    QByteArray answer;
    QEventLoop* loop = nullptr;
};

Communications::Communications(USB_Comm& usb, ParamModel& model, CommLog& log, MessageService& messages,
                               QObject* parent)
    : QObject(parent), usb_(usb), model_(model), log_(log), messages_(messages),
      timeOuter1_(new QTimer(this)), timeOuter_(new QTimer(this)) {
    timeOuter1_->setObjectName(QStringLiteral("TimeOuter1"));
    timeOuter1_->setSingleShot(true);
    timeOuter1_->setInterval(kAckTimeoutMs);
    timeOuter_->setObjectName(QStringLiteral("TimeOuter"));
    timeOuter_->setSingleShot(true);
    timeOuter_->setInterval(1000);
    connect(timeOuter1_, &QTimer::timeout, this, [this]() {
        const std::shared_ptr<Exchange> head = Head();
        if (head && head->state == Exchange::State::AwaitAck) {
            AttemptFailed(head);
        }
    });
    connect(timeOuter_, &QTimer::timeout, this, [this]() {
        const std::shared_ptr<Exchange> head = Head();
        if (head && head->state == Exchange::State::AwaitAnswer) {
            AttemptFailed(head);
        }
    });
    connect(&usb_, &USB_Comm::DataArrival, this, &Communications::ProcessReceivedBytes);
}

Communications::~Communications() {
    for (const std::shared_ptr<Exchange>& exchange : queue_) {
        if (exchange->loop) {
            exchange->loop->quit();
        }
    }
}

bool Communications::SendCommand(int command, int group, int address, int value, int answerTimeoutMs) {
    emit CommandStarted();
    auto exchange = std::make_shared<Exchange>();
    exchange->frame = BuildFrame(model_, command, group, address, value);
    exchange->answerLength = AnswerLengthFor(command, address);
    exchange->answerTimeoutMs = answerTimeoutMs;
    exchange->handshake = handshakeMode_;
    exchange->attemptsLeft = handshakeMode_ ? 1 : kAttempts;
    ++progressCount_;

    ++waitingCalls_;
    queue_.push_back(exchange);
    usb_.SetExchangeInFlight(true);
    if (appClosing_ || linkLossPending_) {
        Finish(exchange, false, true);
    } else if (queue_.size() == 1 && !startPending_) {
        StartAttempt(exchange);
    }
    if (exchange->state != Exchange::State::Done) {
        QEventLoop loop;
        exchange->loop = &loop;
        loop.exec();
        exchange->loop = nullptr;
        // The loop can also end because the whole application quits.
        Finish(exchange, false, true);
    }
    --waitingCalls_;

    if (exchange->succeeded) {
        // Copied now, not when the answer arrived: a command queued behind this one may have been
        // answered in the meantime, and the caller wants its own answer.
        answerBuffer_.fill(0);
        std::memcpy(answerBuffer_.data(), exchange->answer.constData(),
                    size_t(std::min<qsizetype>(exchange->answer.size(), kAnswerBufferSize)));
        answerLength_ = exchange->answerLength;
    } else if (exchange->lostLink) {
        // The message first, offline once it has been dismissed.
        ShowLinkLossMessage();
        SetOffline();
        linkLossPending_ = false;
    }
    return exchange->succeeded;
}

QByteArray Communications::Answer() const {
    return QByteArray(reinterpret_cast<const char*>(answerBuffer_.data()), answerLength_);
}

void Communications::StartAttempt(const std::shared_ptr<Exchange>& exchange) {
    if (appClosing_ || linkLossPending_) {
        Finish(exchange, false, true);
        return;
    }
    // Every send looks for its acknowledgement afresh: bytes still buffered belong to an earlier command
    // or attempt, and a resent read must not scan its acknowledgement as part of the long answer.
    scanner_.BeginCommand(exchange->answerLength);
    // The state is set before sending: an answer that arrives while the write is still busy counts.
    exchange->state = Exchange::State::AwaitAck;
    exchange->ackReceived = false;
    exchange->answerReceived = false;
    log_.Append(QStringLiteral("发送: ") + FormatLogBytes(exchange->frame));
    usb_.SendData(exchange->frame);
    if (exchange->state == Exchange::State::AwaitAck) {
        timeOuter1_->start();
    }
}

void Communications::AttemptFailed(const std::shared_ptr<Exchange>& exchange) {
    if (--exchange->attemptsLeft > 0) {
        StartAttempt(exchange);
    } else {
        Finish(exchange, false);
    }
}

void Communications::Finish(const std::shared_ptr<Exchange>& exchange, bool succeeded, bool interrupted) {
    if (exchange->state == Exchange::State::Done) {
        return;
    }
    const bool wasHead = Head() == exchange;
    exchange->state = Exchange::State::Done;
    exchange->succeeded = succeeded;
    exchange->interrupted = interrupted;
    if (!succeeded && !interrupted && !exchange->handshake) {
        // Marked at once, not when the failed call has unwound: a command queued behind this one must
        // not start in between.
        exchange->lostLink = BeginLinkLoss();
    }
    queue_.erase(std::find(queue_.begin(), queue_.end(), exchange));
    if (wasHead) {
        timeOuter1_->stop();
        timeOuter_->stop();
    }
    if (queue_.empty()) {
        usb_.SetExchangeInFlight(false);
    } else if (wasHead) {
        ScheduleNextStart();
    }
    if (exchange->loop) {
        exchange->loop->quit();
    }
}

void Communications::ScheduleNextStart() {
    if (startPending_) {
        return;
    }
    // Not started from inside the packet scan that finished the previous exchange: the next command
    // resets the receive buffer.
    startPending_ = true;
    QTimer::singleShot(0, this, [this]() {
        startPending_ = false;
        const std::shared_ptr<Exchange> head = Head();
        if (head && head->state == Exchange::State::Queued) {
            StartAttempt(head);
        }
    });
}

std::shared_ptr<Communications::Exchange> Communications::Head() const {
    return queue_.empty() ? nullptr : queue_.front();
}

void Communications::BeginClosing() {
    appClosing_ = true;
    timeOuter1_->stop();
    timeOuter_->stop();
    const auto pending = queue_;
    for (const std::shared_ptr<Exchange>& exchange : pending) {
        Finish(exchange, false, true);
    }
}

void Communications::MarkOnline() {
    isOnline_ = true;
    emit OnlineChanged(true);
}

void Communications::GoOffline() {
    if (!BeginLinkLoss()) {
        return;
    }
    SetOffline();
    ShowLinkLossMessage();
    linkLossPending_ = false;
}

// Once per loss: a link that is offline already, or whose loss is being reported, is not lost again.
bool Communications::BeginLinkLoss() {
    if (!isOnline_ || linkLossPending_) {
        return false;
    }
    linkLossPending_ = true;
    emit LinkLost();
    return true;
}

void Communications::SetOffline() {
    isOnline_ = false;
    emit OnlineChanged(false);
}

// The message box runs its own event loop; LinkLossPending() keeps the link quiet meanwhile.
void Communications::ShowLinkLossMessage() {
    messages_.Show(MessageIcon::Warning, LinkLostText());
}

void Communications::ProcessReceivedBytes(const QByteArray& bytes) {
    if (bytes.isEmpty()) {
        return;
    }
    scanner_.Feed(bytes);
    if (log_.CommLogEnabled()) {
        const QString text = FormatLogBytes(bytes);
        if (text != QLatin1String("FF") || log_.LogSyncWords()) {
            log_.Append(QStringLiteral("接收: ") + text);
        }
    }
}

void Communications::OnSyncEcho() {
    emit SyncEchoReceived();
}

void Communications::OnToneReset() {
    emit ToneResetReceived();
}

void Communications::OnAcknowledgement() {
    const std::shared_ptr<Exchange> head = Head();
    if (!head || head->state != Exchange::State::AwaitAck) {
        return;
    }
    timeOuter1_->stop();
    head->ackReceived = true;
    if (head->answerReceived) {
        Finish(head, true);
        return;
    }
    head->state = Exchange::State::AwaitAnswer;
    timeOuter_->start(head->answerTimeoutMs);
}

void Communications::OnAnswer(QByteArrayView frame) {
    const std::shared_ptr<Exchange> head = Head();
    if (!head || (head->state != Exchange::State::AwaitAck && head->state != Exchange::State::AwaitAnswer)) {
        return;
    }
    head->answer = frame.toByteArray();
    head->answerReceived = true;
    if (head->state == Exchange::State::AwaitAnswer) {
        Finish(head, true);
    }
}

void Communications::OnChecksumFailure() {
    log_.AppendAlways(QStringLiteral("校验失败！从下一个数据开始继续校验。"));
}

} // namespace korva
