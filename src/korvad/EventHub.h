#pragma once
// The live events: every client of GET /api/v1/events (a WebSocket, upgraded once its token was checked)
// gets one JSON text message per event: a parameter set through the service, a processor attached,
// detached, online or offline, the progress of a restore.

#include <QHash>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <vector>

class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

namespace korva::korvad {

class EventHub : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxClients = 64;
    // A client that lets this much pile up unread is dropped rather than buffered without end.
    static constexpr qint64 kMaxBacklogBytes = 1024 * 1024;
    static constexpr quint64 kMaxIncomingBytes = 4096;
    // The subprotocol the hub selects when a client offers it (browsers, which offer their token as the
    // subprotocol "korva.bearer.TOKEN" beside it, since they cannot send an Authorization header).
    static constexpr const char* kSubprotocol = "korva.events.v1";

    explicit EventHub(QObject* parent = nullptr);
    ~EventHub() override;

    // Takes over a socket whose unread bytes start with a checked upgrade request.
    void Adopt(QTcpSocket* socket, const QString& tokenName);
    // Any thread: sends the event to every client (from the hub's thread).
    void Publish(const QJsonObject& event);
    // Closes the clients whose token is no longer among names.
    void KeepOnly(const QStringList& tokenNames);
    int ClientCount() const { return int(clients_.size()); }

signals:
    // A client finished its upgrade and will receive events from now on.
    void ClientJoined();
    // Every event, as it goes out (the service logs some).
    void Sent(const QJsonObject& event);

private:
    struct Client {
        QWebSocket* Socket;
        QString TokenName;
    };
    void Broadcast(const QJsonObject& event);
    void OnNewConnection();
    void Drop(QWebSocket* socket);

    QWebSocketServer* server_;
    // The token names of upgrades in progress, by the peer's address and port.
    QHash<QString, QString> pendingNames_;
    std::vector<Client> clients_;
};

} // namespace korva::korvad
