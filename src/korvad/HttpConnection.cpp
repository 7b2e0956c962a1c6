#include "korvad/HttpConnection.h"

#include "korvad/Api.h"
#include "korvad/ApiRoutes.h"
#include "korvad/Authenticator.h"
#include "korvad/EventHub.h"

#include <QPointer>
#include <QTcpSocket>

namespace korva::korvad {

namespace {

// The socket stops reading from the network when this much waits unread: a client that sends faster than
// it is answered is held back rather than buffered.
constexpr qint64 kReadBufferBytes = HttpLimits::kMaxHeadBytes + HttpLimits::kMaxBodyBytes + 4096;

} // namespace

HttpConnection::HttpConnection(QTcpSocket* socket, Authenticator& auth, Api& api, EventHub& events,
                               const ConnectionLimits& limits, QObject* responseContext, QObject* parent)
    : QObject(parent), socket_(socket), auth_(auth), api_(api), events_(events), limits_(limits),
      responseContext_(responseContext) {
    socket_->setParent(this);
    socket_->setReadBufferSize(kReadBufferBytes);
    requestTimer_.setSingleShot(true);
    requestTimer_.setInterval(limits_.RequestTimeoutMs);
    idleTimer_.setSingleShot(true);
    idleTimer_.setInterval(limits_.IdleTimeoutMs);
    connect(&requestTimer_, &QTimer::timeout, this, &HttpConnection::TimedOut);
    connect(&idleTimer_, &QTimer::timeout, this, &HttpConnection::Idle);
    connect(socket_, &QTcpSocket::readyRead, this, &HttpConnection::Process);
    connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
    idleTimer_.start();
    Process();
}

HttpConnection::~HttpConnection() = default;

void HttpConnection::Process() {
    while (state_ == State::Head || state_ == State::Body) {
        if (state_ == State::Head && !ReadHead()) {
            return;
        }
        if (state_ != State::Body) {
            return;
        }
        if (socket_->bytesAvailable() < bodyLength_) {
            return;
        }
        request_.Body = socket_->read(bodyLength_);
        Dispatch();
    }
}

// True when the head was read and the body follows (state Body); false when more bytes are needed or the
// request has been answered already.
bool HttpConnection::ReadHead() {
    const QByteArray data = socket_->peek(HttpLimits::kMaxHeadBytes + 8);
    if (data.isEmpty()) {
        return false;
    }
    idleTimer_.stop();
    if (!requestTimer_.isActive()) {
        requestTimer_.start();
    }
    HttpHead head = ParseHttpHead(data);
    if (head.Result == HttpHead::State::NeedMore) {
        return false;
    }
    if (head.Result == HttpHead::State::Refused) {
        Fail(ErrorResponse(head.Status, head.Code, head.Message));
        return false;
    }
    request_ = std::move(head.Request);
    request_.Peer = socket_->peerAddress();
    keepAlive_ = request_.KeepAlive();

    const Authenticator::Verdict verdict = auth_.Check(request_);
    if (!verdict.Accepted) {
        // Answered after the delay, and the connection closes: nothing of the request is looked at.
        state_ = State::Closing;
        requestTimer_.stop();
        socket_->read(head.Length);
        QTimer::singleShot(verdict.DelayMs, this, [this] { Send(Authenticator::Refusal()); });
        return false;
    }
    request_.TokenName = verdict.TokenName;

    const RouteMatch match = MatchRoute(request_.Method, request_.Path());
    if (match.Route && match.Route->Endpoint == ApiEndpoint::Events && request_.WantsWebSocket()) {
        // The hub reads the upgrade request itself: it is still unread in the socket.
        requestTimer_.stop();
        socket_->disconnect(this);
        socket_->setParent(nullptr);
        socket_->setReadBufferSize(0);
        events_.Adopt(socket_, request_.TokenName);
        socket_ = nullptr;
        state_ = State::Closing;
        deleteLater();
        return false;
    }
    socket_->read(head.Length);
    if (head.ContentLength > HttpLimits::kMaxBodyBytes) {
        Fail(ErrorResponse(413, "body_too_large",
                           QStringLiteral("请求正文超过 %1 字节").arg(HttpLimits::kMaxBodyBytes)));
        return false;
    }
    bodyLength_ = head.ContentLength;
    if (bodyLength_ > 0 && request_.Header("expect").compare("100-continue", Qt::CaseInsensitive) == 0 &&
        socket_->bytesAvailable() < bodyLength_) {
        socket_->write("HTTP/1.1 100 Continue\r\n\r\n");
    }
    state_ = State::Body;
    return true;
}

void HttpConnection::Dispatch() {
    requestTimer_.stop();
    state_ = State::Waiting;
    // Answers may come from a processor's thread, and after this connection has gone.
    QPointer<HttpConnection> self(this);
    QObject* context = responseContext_;
    api_.Handle(request_, [self, context](HttpResponse response) {
        QMetaObject::invokeMethod(
            context,
            [self, response = std::move(response)] {
                if (self) {
                    self->Send(response);
                }
            },
            Qt::QueuedConnection);
    });
}

void HttpConnection::Send(const HttpResponse& response) {
    if (!socket_) {
        return;
    }
    const bool keep = keepAlive_ && !response.Close && state_ != State::Closing;
    socket_->write(response.Serialize(keep));
    request_ = HttpRequest();
    if (!keep) {
        state_ = State::Closing;
        socket_->disconnectFromHost();
        return;
    }
    state_ = State::Head;
    idleTimer_.start();
    Process();
}

// A request that cannot be read on: answered, and the connection closes (what follows cannot be trusted
// to start a request).
void HttpConnection::Fail(const HttpResponse& response) {
    requestTimer_.stop();
    state_ = State::Closing;
    HttpResponse closing = response;
    closing.Close = true;
    if (socket_) {
        socket_->write(closing.Serialize(false));
        socket_->disconnectFromHost();
    }
}

void HttpConnection::TimedOut() {
    if (state_ == State::Head || state_ == State::Body) {
        Fail(ErrorResponse(408, "request_timeout", QStringLiteral("请求没有在时限内发完")));
    }
}

void HttpConnection::Idle() {
    if (state_ == State::Head && socket_ && socket_->bytesAvailable() == 0) {
        state_ = State::Closing;
        socket_->disconnectFromHost();
    }
}

} // namespace korva::korvad
