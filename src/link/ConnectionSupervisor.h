#pragma once
// Keeps the link up without asking the user: retries the handshake while offline, reads the whole memory
// once the device answers, then sends a sync word every second and declares the link lost when the
// device stops echoing it.

#include <QObject>

class QTimer;

namespace korva {

class BulkTransfer;
class CommLog;
class Communications;
class USB_Comm;

class ConnectionSupervisor : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirstAttemptMs = 100;
    static constexpr int kRetryIntervalMs = 2000;
    static constexpr int kKeepAliveMs = 1000;
    static constexpr int kSyncTimeoutMs = 5000;
    static constexpr int kHandshakeTimeoutMs = 500;

    ConnectionSupervisor(Communications& comm, BulkTransfer& bulk, USB_Comm& usb, CommLog& log,
                         QObject* parent = nullptr);

    // The main window is first shown or activated: the first handshake follows 100 ms later.
    void Start();
    // Handshake; on the device's answer 33 00 the link goes online and the whole memory is read.
    bool GoOnline();
    // The handshake alone (one attempt, no message): true and online on the answer 33 00.
    bool Handshake();
    // The one-byte keep-alive; the device echoes it.
    void SendSyncWord();
    // The program closes: no more attempts, keep-alives or time-outs.
    void StopForClose();

    QTimer& CommConnect() { return *commConnect_; }
    QTimer& tmrKeepConnect() { return *keepConnect_; }
    QTimer& tmrConnectTimeOut() { return *connectTimeOut_; }

private:
    void CommConnectTick();
    void KeepConnectTick();
    void ConnectTimeOutTick();

    Communications& comm_;
    BulkTransfer& bulk_;
    USB_Comm& usb_;
    CommLog& log_;
    QTimer* commConnect_;
    QTimer* keepConnect_;
    QTimer* connectTimeOut_;
};

} // namespace korva
