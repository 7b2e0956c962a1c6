#include "link/ConnectionSupervisor.h"

#include "link/BulkTransfer.h"
#include "link/CommLog.h"
#include "link/Communications.h"
#include "link/FrameProtocol.h"
#include "link/USB_Comm.h"

#include <QTimer>

namespace korva {

namespace {

QTimer* MakeTimer(QObject* parent, const char* name, int intervalMs) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(QLatin1String(name));
    timer->setInterval(intervalMs);
    return timer;
}

// Starting a running timer must not push its time-out further away.
void StartIfStopped(QTimer& timer) {
    if (!timer.isActive()) {
        timer.start();
    }
}

} // namespace

ConnectionSupervisor::ConnectionSupervisor(Communications& comm, BulkTransfer& bulk, USB_Comm& usb,
                                           CommLog& log, QObject* parent)
    : QObject(parent), comm_(comm), bulk_(bulk), usb_(usb), log_(log),
      commConnect_(MakeTimer(this, "CommConnect", kFirstAttemptMs)),
      keepConnect_(MakeTimer(this, "tmrKeepConnect", kKeepAliveMs)),
      connectTimeOut_(MakeTimer(this, "tmrConnectTimeOut", kSyncTimeoutMs)) {
    connect(commConnect_, &QTimer::timeout, this, &ConnectionSupervisor::CommConnectTick);
    connect(keepConnect_, &QTimer::timeout, this, &ConnectionSupervisor::KeepConnectTick);
    connect(connectTimeOut_, &QTimer::timeout, this, &ConnectionSupervisor::ConnectTimeOutTick);
    connect(&comm_, &Communications::CommandStarted, connectTimeOut_, &QTimer::stop);
    connect(&comm_, &Communications::SyncEchoReceived, connectTimeOut_, &QTimer::stop);
    connect(&comm_, &Communications::LinkLost, connectTimeOut_, &QTimer::stop);
    keepConnect_->start();
}

void ConnectionSupervisor::Start() {
    StartIfStopped(*commConnect_);
}

void ConnectionSupervisor::CommConnectTick() {
    commConnect_->stop();
    commConnect_->setInterval(kRetryIntervalMs);
    // A command still waiting (a download whose link dropped) finishes first: a handshake and a whole
    // read nested inside it would overwrite the store it is sending.
    if (!comm_.IsOnline() && !comm_.LinkBusy()) {
        GoOnline();
    }
    if (!comm_.AppClosing()) {
        commConnect_->start();
    }
}

bool ConnectionSupervisor::Handshake() {
    // Not under the message about a lost link: reconnecting waits until it has been dismissed.
    if (comm_.LinkLossPending()) {
        return false;
    }
    comm_.SetHandshakeMode(true);
    bool online = false;
    if (comm_.SendCommand(kCmdHandshake, 0, 0, 0x33, kHandshakeTimeoutMs) &&
        comm_.AnswerBuffer()[0] == 0x33 && comm_.AnswerBuffer()[1] == 0x00) {
        log_.Append(QStringLiteral("已进入联机！"));
        comm_.MarkOnline();
        online = true;
    }
    comm_.SetHandshakeMode(false);
    return online;
}

bool ConnectionSupervisor::GoOnline() {
    if (!Handshake()) {
        return false;
    }
    bulk_.ReadAllFromDevice();
    StartIfStopped(*keepConnect_);
    return true;
}

void ConnectionSupervisor::SendSyncWord() {
    usb_.SendData(QByteArray(1, char(kSyncWord)));
    if (log_.CommLogEnabled() && log_.LogSyncWords()) {
        log_.Append(QStringLiteral("发送: FF 同步字"));
    }
}

void ConnectionSupervisor::StopForClose() {
    connectTimeOut_->stop();
    keepConnect_->stop();
    commConnect_->stop();
}

void ConnectionSupervisor::KeepConnectTick() {
    if (comm_.IsOnline() && !comm_.LinkLossPending()) {
        SendSyncWord();
        StartIfStopped(*connectTimeOut_);
    }
}

void ConnectionSupervisor::ConnectTimeOutTick() {
    connectTimeOut_->stop();
    comm_.GoOffline();
}

} // namespace korva
