#pragma once
// One HTTP/1.1 request as the service reads it and one response as it writes it. Header names are kept in
// lower case; the service never needs their original spelling.

#include <QByteArray>
#include <QHostAddress>
#include <QJsonObject>
#include <QString>
#include <utility>
#include <vector>

namespace korva::korvad {

struct HttpRequest {
    QByteArray Method;  // "GET"
    QByteArray Target;  // "/api/v1/processors?x=1", as sent
    QByteArray Version; // "HTTP/1.1"
    std::vector<std::pair<QByteArray, QByteArray>> Headers;
    QByteArray Body;
    QHostAddress Peer;
    QString TokenName; // the name of the token the request was authenticated with

    // The first value of a header (name in lower case); empty when absent.
    QByteArray Header(const QByteArray& name) const;
    bool HasHeader(const QByteArray& name) const;
    // The path without the query, percent-decoded per segment by the router.
    QByteArray Path() const;
    QByteArray Query() const;
    // The client asked to keep the connection open after the response (HTTP/1.1 unless "close",
    // HTTP/1.0 only with "keep-alive").
    bool KeepAlive() const;
    // A WebSocket upgrade request.
    bool WantsWebSocket() const;
};

struct HttpResponse {
    int Status = 200;
    QByteArray ContentType = "application/json";
    std::vector<std::pair<QByteArray, QByteArray>> Headers;
    QByteArray Body;
    // The connection closes after this response whatever the client asked.
    bool Close = false;

    // The bytes on the wire; keepAlive decides the Connection header.
    QByteArray Serialize(bool keepAlive) const;
};

// "Not Found" for 404.
QByteArray StatusText(int status);

HttpResponse JsonResponse(int status, const QJsonObject& body);
// The service's error body: {"error": code, "message": text}, plus any extra fields.
HttpResponse ErrorResponse(int status, const char* code, const QString& message,
                           const QJsonObject& extra = QJsonObject());

} // namespace korva::korvad
