#pragma once
// The listening socket: plain TCP, or TLS when a certificate and key are given. Each accepted client gets
// an HttpConnection; past the connection limit a client is told 503 and closed.

#include "korvad/HttpConnection.h"

#include <QHostAddress>
#include <QObject>
#include <optional>

class QSslConfiguration;
class QTcpServer;

namespace korva::korvad {

struct ServerLimits {
    int MaxConnections = 512;
    ConnectionLimits Connection;
};

class HttpServer : public QObject {
    Q_OBJECT
public:
    HttpServer(Authenticator& auth, Api& api, EventHub& events, const ServerLimits& limits,
               QObject* parent = nullptr);
    ~HttpServer() override;

    // tls: with a configuration, only TLS connections are accepted. False and error when the address
    // cannot be listened on.
    bool Listen(const QHostAddress& address, quint16 port, const QSslConfiguration* tls, QString* error);
    quint16 Port() const;
    int ConnectionCount() const { return connections_; }

private:
    void Accept();

    Authenticator& auth_;
    Api& api_;
    EventHub& events_;
    ServerLimits limits_;
    QTcpServer* server_ = nullptr;
    int connections_ = 0;
};

} // namespace korva::korvad
