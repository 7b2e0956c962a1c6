#pragma once
// HTTP/JSON requests to korvad for one thread: each request waits for its answer on the thread's own event
// loop, so that the processors of every room are worked on in parallel, each from its own thread. The
// bearer token goes with every request; https is verified against the system's certificates (and the
// --ca-file ones).

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QUrl>
#include <memory>

class QNetworkAccessManager;

namespace korva::ctl {

struct ProcessorResult;

// How to reach one korvad.
struct RemoteRoom {
    QString Url; // as given to --remote
    QByteArray Token;
    QList<QSslCertificate> ExtraCas;
};

struct RemoteReply {
    int Status = 0;       // 0: no HTTP answer (NetworkError says why)
    QByteArray Body;
    QString NetworkError; // in the system's words
    bool TlsFailed = false;

    QJsonObject Json() const;
};

class RemoteClient {
public:
    explicit RemoteClient(const RemoteRoom& room);
    ~RemoteClient();
    RemoteClient(const RemoteClient&) = delete;
    RemoteClient& operator=(const RemoteClient&) = delete;

    // path below the room's address, already percent-encoded ("/api/v1/processors/SIM-0001/backup").
    RemoteReply Get(const QByteArray& path);
    RemoteReply Post(const QByteArray& path, const QByteArray& body,
                     const QByteArray& contentType = "application/octet-stream");
    RemoteReply Put(const QByteArray& path, const QJsonObject& body);

    // "/api/v1/processors/<id>" with the id percent-encoded (a path without a serial number included).
    static QByteArray ProcessorPath(const QString& id, const QByteArray& rest);

private:
    RemoteReply Send(const QByteArray& method, const QByteArray& path, const QByteArray& body,
                     const QByteArray& contentType);

    const RemoteRoom room_;
    std::unique_ptr<QNetworkAccessManager> network_;
};

// A reply that is not the answer asked for, as a failure of the result with a stable code: the room could
// not be reached (remote_unreachable, remote_tls), the token was refused (unauthorized), or what the
// service said, with the codes a local run gives for the same failure. False when the reply is a 200.
bool FailedReply(const RemoteReply& reply, const RemoteRoom& room, ProcessorResult& result);

} // namespace korva::ctl
