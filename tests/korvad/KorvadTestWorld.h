#pragma once
// korvad started inside the test over three virtual processors (timing model off), on a free loopback
// port, with one token; and a client that speaks raw HTTP/1.1 to it on the test's own event loop.

#include "korvad/Service.h"
#include "sim/VirtualRack.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

namespace korva::test {

struct HttpReply {
    int Status = 0;
    QByteArray Head;
    QByteArray Body;
    QJsonObject Json() const { return QJsonDocument::fromJson(Body).object(); }
    QString Error() const { return Json().value(QStringLiteral("error")).toString(); }
};

// One connection; requests go out at once, replies are collected as they come.
class HttpClient {
public:
    explicit HttpClient(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { buffer_ += socket_.readAll(); });
    }

    void SendRaw(const QByteArray& bytes) { socket_.write(bytes); }

    void Send(const QByteArray& method, const QByteArray& target, const QByteArray& token,
              const QByteArray& body = QByteArray()) {
        QByteArray request = method + ' ' + target + " HTTP/1.1\r\nHost: localhost\r\n";
        if (!token.isEmpty()) {
            request += "Authorization: Bearer " + token + "\r\n";
        }
        request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        SendRaw(request);
    }

    // The next whole reply (Status 0 when none came in time or the connection closed first).
    HttpReply Next(int timeoutMs = 20000) {
        HttpReply reply;
        static_cast<void>(QTest::qWaitFor(
            [&] { return Take(reply) || socket_.state() == QAbstractSocket::UnconnectedState; }, timeoutMs));
        if (reply.Status == 0) {
            Take(reply);
        }
        return reply;
    }

    bool Closed() {
        return QTest::qWaitFor([&] { return socket_.state() == QAbstractSocket::UnconnectedState; }, 5000);
    }

private:
    bool Take(HttpReply& reply) {
        const qsizetype end = buffer_.indexOf("\r\n\r\n");
        if (end < 0) {
            return false;
        }
        const QByteArray head = buffer_.left(end);
        qsizetype length = 0;
        for (const QByteArray& line : head.split('\n')) {
            if (line.toLower().startsWith("content-length:")) {
                length = line.mid(15).trimmed().toLongLong();
            }
        }
        if (buffer_.size() < end + 4 + length) {
            return false;
        }
        reply.Head = head;
        reply.Status = head.mid(9, 3).toInt();
        reply.Body = buffer_.mid(end + 4, length);
        buffer_.remove(0, end + 4 + length);
        return true;
    }

    QTcpSocket socket_;
    QByteArray buffer_;
};

struct KorvadWorld {
    // options: anything but the port and the state folder, which the world chooses.
    explicit KorvadWorld(korvad::ServiceOptions options = korvad::ServiceOptions()) {
        options.port = 0;
        options.stateDir = stateDir.path();
        service = std::make_unique<korvad::Service>(rack, options);
        token = service->Tokens().Add(QStringLiteral("tester"), &error).value_or(QString()).toLatin1();
        started = service->Start(&error);
    }

    // Every processor online with its memory read.
    bool AllOnline() {
        return QTest::qWaitFor(
            [this] {
                const auto list = service->Processors().Processors();
                return int(list.size()) == rack.Count() &&
                       std::all_of(list.begin(), list.end(), [](const auto* p) { return p->IsOnline() && !p->IsBusy(); });
            },
            10000);
    }

    quint16 Port() const { return service->Port(); }
    static QByteArray Target(int number, const QByteArray& rest) {
        return "/api/v1/processors/" + sim::VirtualRack::SerialOf(number).toLatin1() + rest;
    }

    // The frames every processor has received, in total.
    int FrameCount() {
        int count = 0;
        for (int i = 0; i < rack.Count(); ++i) {
            count += int(rack.Processor(i).ReceivedFramesNow().size());
        }
        return count;
    }

    // One request on a fresh connection.
    HttpReply Request(const QByteArray& method, const QByteArray& target, const QByteArray& body = QByteArray()) {
        HttpClient client(Port());
        client.Send(method, target, token, body);
        return client.Next();
    }

    sim::VirtualRack rack{3};
    QTemporaryDir stateDir;
    std::unique_ptr<korvad::Service> service;
    bool started = false;
    QString error; // why it did not start
    QByteArray token;
};

} // namespace korva::test
