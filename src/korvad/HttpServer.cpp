#include "korvad/HttpServer.h"

#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>

namespace korva::korvad {

namespace {

constexpr int kTlsHandshakeTimeoutMs = 10000;

} // namespace

HttpServer::HttpServer(Authenticator& auth, Api& api, EventHub& events, const ServerLimits& limits,
                       QObject* parent)
    : QObject(parent), auth_(auth), api_(api), events_(events), limits_(limits) {}

HttpServer::~HttpServer() = default;

bool HttpServer::Listen(const QHostAddress& address, quint16 port, const QSslConfiguration* tls,
                        QString* error) {
    if (tls) {
        auto* ssl = new QSslServer(this);
        ssl->setSslConfiguration(*tls);
        ssl->setHandshakeTimeout(kTlsHandshakeTimeoutMs);
        server_ = ssl;
    } else {
        server_ = new QTcpServer(this);
    }
    // Clients are taken as soon as they are ready; the limit below is the one that counts.
    server_->setMaxPendingConnections(limits_.MaxConnections);
    connect(server_, &QTcpServer::pendingConnectionAvailable, this, &HttpServer::Accept);
    if (!server_->listen(address, port)) {
        *error = server_->errorString();
        return false;
    }
    return true;
}

quint16 HttpServer::Port() const {
    return server_ ? server_->serverPort() : 0;
}

void HttpServer::Accept() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (connections_ >= limits_.MaxConnections) {
            socket->write(ErrorResponse(503, "too_many_connections", QStringLiteral("连接数已达上限，请稍后再试"))
                              .Serialize(false));
            socket->disconnectFromHost();
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            continue;
        }
        ++connections_;
        auto* connection = new HttpConnection(socket, auth_, api_, events_, limits_.Connection, this, this);
        connect(connection, &QObject::destroyed, this, [this] { --connections_; });
    }
}

} // namespace korva::korvad
