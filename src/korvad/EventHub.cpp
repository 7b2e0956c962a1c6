#include "korvad/EventHub.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>

namespace korva::korvad {

namespace {

QString PeerKey(const QHostAddress& address, quint16 port) {
    return address.toString() + QLatin1Char('|') + QString::number(port);
}

} // namespace

EventHub::EventHub(QObject* parent)
    : QObject(parent),
      server_(new QWebSocketServer(QStringLiteral("korvad"), QWebSocketServer::NonSecureMode, this)) {
    // A browser that offered its token as a subprotocol needs one of its offers back: this one.
    server_->setSupportedSubprotocols({QString::fromLatin1(kSubprotocol)});
    connect(server_, &QWebSocketServer::newConnection, this, &EventHub::OnNewConnection);
}

EventHub::~EventHub() {
    for (const Client& c : clients_) {
        c.Socket->disconnect(this);
        c.Socket->abort();
        delete c.Socket;
    }
}

void EventHub::Adopt(QTcpSocket* socket, const QString& tokenName) {
    if (int(clients_.size() + pendingNames_.size()) >= kMaxClients) {
        socket->write("HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    const QString peer = PeerKey(socket->peerAddress(), socket->peerPort());
    pendingNames_.insert(peer, tokenName);
    // An upgrade that fails closes and deletes the socket: its entry goes with it.
    connect(socket, &QObject::destroyed, this, [this, peer] { pendingNames_.remove(peer); });
    server_->handleConnection(socket);
}

void EventHub::OnNewConnection() {
    while (QWebSocket* socket = server_->nextPendingConnection()) {
        const QString name = pendingNames_.take(PeerKey(socket->peerAddress(), socket->peerPort()));
        // Ours from now on: the server does not free the sockets it hands out.
        socket->setParent(this);
        socket->setMaxAllowedIncomingMessageSize(kMaxIncomingBytes);
        socket->setMaxAllowedIncomingFrameSize(kMaxIncomingBytes);
        clients_.push_back({socket, name});
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { Drop(socket); });
        emit ClientJoined();
    }
}

void EventHub::Drop(QWebSocket* socket) {
    std::erase_if(clients_, [socket](const Client& c) { return c.Socket == socket; });
    socket->deleteLater();
}

void EventHub::Publish(const QJsonObject& event) {
    QMetaObject::invokeMethod(this, [this, event] { Broadcast(event); }, Qt::QueuedConnection);
}

void EventHub::Broadcast(const QJsonObject& event) {
    emit Sent(event);
    const QString text = QString::fromUtf8(QJsonDocument(event).toJson(QJsonDocument::Compact));
    const std::vector<Client> clients = clients_;
    for (const Client& c : clients) {
        if (c.Socket->bytesToWrite() > kMaxBacklogBytes) {
            c.Socket->abort();
            continue;
        }
        c.Socket->sendTextMessage(text);
    }
}

void EventHub::KeepOnly(const QStringList& tokenNames) {
    const std::vector<Client> clients = clients_;
    for (const Client& c : clients) {
        if (!tokenNames.contains(c.TokenName)) {
            c.Socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("token revoked"));
        }
    }
}

} // namespace korva::korvad
