#include "ctl/RemoteClient.h"

#include "ctl/ErrorCodes.h"
#include "ctl/ProcessorResult.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <array>

namespace korva::ctl {

namespace {

// A restore is one request that lasts as long as the processor takes: only a longer silence means the
// room has gone.
constexpr int kSilenceLimitMs = 300000;

// What korvad's refusals mean here: the codes and exit codes a local run gives for the same failure.
struct ServiceFailure {
    const char* serviceCode;
    int exit;
    const char* code;
};
constexpr std::array kServiceFailures = {
    ServiceFailure{"unknown_processor", kExitDevice, codes::kNotFound},
    ServiceFailure{"ambiguous_processor", kExitUsage, codes::kSeveralProcessors},
    ServiceFailure{"offline", kExitDevice, codes::kNoAnswer},
    ServiceFailure{"device_failed", kExitDevice, codes::kLinkLost},
    ServiceFailure{"unknown_parameter", kExitUsage, codes::kUnknownName},
    ServiceFailure{"invalid_value", kExitUsage, codes::kOutOfRange},
    ServiceFailure{"not_sendable", kExitUsage, codes::kDownloadOnly},
    ServiceFailure{"invalid_preset", kExitUsage, codes::kBadFile},
};

} // namespace

QJsonObject RemoteReply::Json() const {
    return QJsonDocument::fromJson(Body).object();
}

RemoteClient::RemoteClient(const RemoteRoom& room)
    : room_(room), network_(std::make_unique<QNetworkAccessManager>()) {
    network_->setTransferTimeout(kSilenceLimitMs);
}

RemoteClient::~RemoteClient() = default;

QByteArray RemoteClient::ProcessorPath(const QString& id, const QByteArray& rest) {
    return "/api/v1/processors/" + QUrl::toPercentEncoding(id) + rest;
}

RemoteReply RemoteClient::Get(const QByteArray& path) {
    return Send("GET", path, QByteArray(), QByteArray());
}

RemoteReply RemoteClient::Post(const QByteArray& path, const QByteArray& body, const QByteArray& contentType) {
    return Send("POST", path, body, contentType);
}

RemoteReply RemoteClient::Put(const QByteArray& path, const QJsonObject& body) {
    return Send("PUT", path, QJsonDocument(body).toJson(QJsonDocument::Compact), "application/json");
}

RemoteReply RemoteClient::Send(const QByteArray& method, const QByteArray& path, const QByteArray& body,
                               const QByteArray& contentType) {
    QByteArray base = room_.Url.toUtf8();
    while (base.endsWith('/')) {
        base.chop(1);
    }
    QNetworkRequest request(QUrl::fromEncoded(base + path, QUrl::StrictMode));
    request.setRawHeader("Authorization", "Bearer " + room_.Token);
    request.setRawHeader("Accept", "application/json");
    if (!contentType.isEmpty()) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, contentType);
    }
    if (!room_.ExtraCas.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.addCaCertificates(room_.ExtraCas);
        request.setSslConfiguration(tls);
    }
    QNetworkReply* reply = network_->sendCustomRequest(request, method, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec();
    }
    RemoteReply answer;
    answer.Status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.Body = reply->readAll();
    if (answer.Status == 0) {
        answer.NetworkError = reply->errorString();
        answer.TlsFailed = reply->error() == QNetworkReply::SslHandshakeFailedError;
    }
    reply->deleteLater();
    return answer;
}

bool FailedReply(const RemoteReply& reply, const RemoteRoom& room, ProcessorResult& result) {
    if (reply.Status == 200) {
        return false;
    }
    if (reply.Status == 0) {
        result.Fail(kExitDevice, reply.TlsFailed ? codes::kRemoteTls : codes::kRemoteUnreachable,
                    QStringLiteral("无法连接 korvad：%1").arg(reply.NetworkError));
        return true;
    }
    if (reply.Status == 401) {
        result.Fail(kExitUsage, codes::kUnauthorized,
                    room.Token.isEmpty()
                        ? QStringLiteral("korvad 需要令牌：请设置环境变量 KORVA_TOKEN 或用 --token-file")
                        : QStringLiteral("korvad 拒绝了令牌（令牌错误或已被吊销）"));
        return true;
    }
    const QJsonObject json = reply.Json();
    const QString serviceCode = json.value(QStringLiteral("error")).toString();
    QString message = json.value(QStringLiteral("message")).toString();
    if (message.isEmpty()) {
        message = QStringLiteral("korvad 的回答是 HTTP %1").arg(reply.Status);
    }
    for (const ServiceFailure& failure : kServiceFailures) {
        if (serviceCode == QLatin1String(failure.serviceCode)) {
            result.Fail(failure.exit, QString::fromLatin1(failure.code), message);
            return true;
        }
    }
    if (reply.Status >= 400 && reply.Status < 500) {
        result.Fail(kExitUsage, codes::kRemoteRefused, message);
    } else {
        result.Fail(kExitDevice, codes::kRemoteFailed, message);
    }
    return true;
}

} // namespace korva::ctl
