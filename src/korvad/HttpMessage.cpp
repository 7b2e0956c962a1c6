#include "korvad/HttpMessage.h"

#include <QJsonDocument>

namespace korva::korvad {

namespace {

// Header values are compared as comma-separated, case-insensitive tokens ("keep-alive, Upgrade").
bool HasToken(const QByteArray& value, const char* token) {
    for (const QByteArray& part : value.split(',')) {
        if (part.trimmed().compare(token, Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace

QByteArray HttpRequest::Header(const QByteArray& name) const {
    for (const auto& [key, value] : Headers) {
        if (key == name) {
            return value;
        }
    }
    return {};
}

bool HttpRequest::HasHeader(const QByteArray& name) const {
    for (const auto& header : Headers) {
        if (header.first == name) {
            return true;
        }
    }
    return false;
}

QByteArray HttpRequest::Path() const {
    const qsizetype q = Target.indexOf('?');
    return q < 0 ? Target : Target.left(q);
}

QByteArray HttpRequest::Query() const {
    const qsizetype q = Target.indexOf('?');
    return q < 0 ? QByteArray() : Target.mid(q + 1);
}

bool HttpRequest::KeepAlive() const {
    const QByteArray connection = Header("connection");
    if (Version == "HTTP/1.0") {
        return HasToken(connection, "keep-alive");
    }
    return !HasToken(connection, "close");
}

bool HttpRequest::WantsWebSocket() const {
    return HasToken(Header("connection"), "upgrade") && HasToken(Header("upgrade"), "websocket");
}

QByteArray StatusText(int status) {
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 204: return "No Content";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 409: return "Conflict";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 414: return "URI Too Long";
    case 415: return "Unsupported Media Type";
    case 422: return "Unprocessable Content";
    case 426: return "Upgrade Required";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Unknown";
    }
}

QByteArray HttpResponse::Serialize(bool keepAlive) const {
    QByteArray out;
    out.reserve(Body.size() + 160);
    out += "HTTP/1.1 " + QByteArray::number(Status) + ' ' + StatusText(Status) + "\r\n";
    if (!ContentType.isEmpty()) {
        out += "Content-Type: " + ContentType + "\r\n";
    }
    out += "Content-Length: " + QByteArray::number(Body.size()) + "\r\n";
    for (const auto& [name, value] : Headers) {
        out += name + ": " + value + "\r\n";
    }
    out += keepAlive && !Close ? "Connection: keep-alive\r\n" : "Connection: close\r\n";
    out += "\r\n";
    out += Body;
    return out;
}

HttpResponse JsonResponse(int status, const QJsonObject& body) {
    HttpResponse response;
    response.Status = status;
    response.ContentType = "application/json; charset=utf-8";
    response.Body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    response.Body += '\n';
    return response;
}

HttpResponse ErrorResponse(int status, const char* code, const QString& message, const QJsonObject& extra) {
    QJsonObject body = extra;
    body.insert(QStringLiteral("error"), QString::fromLatin1(code));
    body.insert(QStringLiteral("message"), message);
    return JsonResponse(status, body);
}

} // namespace korva::korvad
