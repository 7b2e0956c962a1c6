#pragma once
// One client connection: requests are read one at a time (a pipelined next one waits in the socket until
// the answer to this one has been written), each within the head, body and time limits, and every one is
// authenticated before its body is read. An authenticated WebSocket upgrade is handed to the event hub.

#include "korvad/HttpHead.h"

#include <QObject>
#include <QTimer>

class QTcpSocket;

namespace korva::korvad {

class Api;
class Authenticator;
class EventHub;

struct ConnectionLimits {
    int IdleTimeoutMs = 60000;   // between requests on a kept-alive connection
    int RequestTimeoutMs = 10000; // from a request's first byte to its last
};

class HttpConnection : public QObject {
    Q_OBJECT
public:
    // Takes over socket. responseContext: a long-lived object on this thread through which answers from
    // other threads come back.
    HttpConnection(QTcpSocket* socket, Authenticator& auth, Api& api, EventHub& events,
                   const ConnectionLimits& limits, QObject* responseContext, QObject* parent = nullptr);
    ~HttpConnection() override;

private:
    enum class State { Head, Body, Waiting, Closing };

    void Process();
    bool ReadHead();
    void Dispatch();
    void Send(const HttpResponse& response);
    void Fail(const HttpResponse& response);
    void TimedOut();
    void Idle();

    QTcpSocket* socket_;
    Authenticator& auth_;
    Api& api_;
    EventHub& events_;
    ConnectionLimits limits_;
    QObject* responseContext_;
    State state_ = State::Head;
    HttpRequest request_;
    qsizetype bodyLength_ = 0;
    bool keepAlive_ = true;
    QTimer requestTimer_;
    QTimer idleTimer_;
};

} // namespace korva::korvad
