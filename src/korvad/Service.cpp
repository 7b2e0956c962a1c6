#include "korvad/Service.h"

#include "korvad/ServiceLog.h"
#include "korvad/mqtt/Bridge.h"
#include "model/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QHostInfo>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>

namespace korva::korvad {

namespace {

// Event hub clients whose token was revoked are closed within this time.
constexpr int kRevokeCheckMs = 2000;

std::optional<QSslConfiguration> LoadTls(const ServiceOptions& o, QString* error) {
    if (!QSslSocket::supportsSsl()) {
        *error = QStringLiteral("本机的 Qt 没有可用的 TLS 支持");
        return std::nullopt;
    }
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(o.tlsCert, QSsl::Pem);
    QFile keyFile(o.tlsKey);
    if (chain.isEmpty()) {
        *error = QStringLiteral("无法读取 TLS 证书 %1").arg(o.tlsCert);
        return std::nullopt;
    }
    if (!keyFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取 TLS 私钥 %1").arg(o.tlsKey);
        return std::nullopt;
    }
    const QByteArray pem = keyFile.readAll();
    QSslKey key;
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        key = QSslKey(pem, algorithm, QSsl::Pem);
        if (!key.isNull()) {
            break;
        }
    }
    if (key.isNull()) {
        *error = QStringLiteral("TLS 私钥 %1 无法读取（须为未加密的 PEM）").arg(o.tlsKey);
        return std::nullopt;
    }
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    tls.setLocalCertificateChain(chain);
    tls.setPrivateKey(key);
    tls.setPeerVerifyMode(QSslSocket::VerifyNone);
    return tls;
}

ServerLimits LimitsOf(const ServiceOptions& o) {
    ServerLimits limits;
    limits.MaxConnections = o.maxConnections;
    limits.Connection.IdleTimeoutMs = o.idleTimeoutSeconds * 1000;
    limits.Connection.RequestTimeoutMs = o.requestTimeoutSeconds * 1000;
    return limits;
}

} // namespace

Service::Service(HidBackend& backend, const ServiceOptions& options)
    : options_(options),
      tokens_(options.stateDir.isEmpty() ? TokenStore::DefaultStateDir() : options.stateDir),
      fleet_(backend, events_, options.rereadSeconds), server_(auth_, api_, events_, LimitsOf(options), &responses_) {
    revokeCheck_.setInterval(kRevokeCheckMs);
    QObject::connect(&revokeCheck_, &QTimer::timeout, &events_, [this] {
        if (events_.ClientCount() == 0) {
            return;
        }
        QString error;
        if (const auto entries = tokens_.List(&error)) {
            QStringList names;
            for (const TokenStore::Entry& e : *entries) {
                names << e.Name;
            }
            events_.KeepOnly(names);
        }
    });
}

Service::~Service() = default;

bool Service::Start(QString* error) {
    std::optional<QSslConfiguration> tls;
    if (options_.UsesTls()) {
        tls = LoadTls(options_, error);
        if (!tls) {
            return false;
        }
    }
    if (!server_.Listen(options_.address, options_.port, tls ? &*tls : nullptr, error)) {
        *error = QStringLiteral("无法在 %1:%2 上监听：%3").arg(options_.address.toString()).arg(options_.port).arg(*error);
        return false;
    }
    if (!options_.address.isLoopback() && !tls) {
        Log(LogLevel::Warning, QStringLiteral("警告：在 %1 上以明文 HTTP 监听（--insecure-http），访问令牌会以明文传输")
                                   .arg(options_.address.toString()));
    }
    QString why;
    if (const auto entries = tokens_.List(&why); !entries || entries->empty()) {
        Log(LogLevel::Warning, entries ? QStringLiteral("还没有访问令牌，所有请求都会被拒绝：用 korvad token add NAME --state-dir %1 生成")
                                             .arg(tokens_.StateDir())
                                       : why);
    }
    if (!options_.mqttUrl.isEmpty()) {
        QString why;
        mqtt::BridgeOptions bridge;
        bridge.Url = *mqtt::ParseMqttUrl(options_.mqttUrl, &why);
        if (!options_.mqttPasswordFile.isEmpty()) {
            // A small file (systemd's LoadCredential= suits): its first line, without the line end.
            QByteArray bytes;
            FileError failure;
            if (!ReadRegularFile(options_.mqttPasswordFile, bytes, &failure, 4096)) {
                *error = QStringLiteral("MQTT 密码文件 %1").arg(failure.Message);
                return false;
            }
            const qsizetype end = bytes.indexOf('\n');
            bridge.Url.Password = QString::fromUtf8(end < 0 ? bytes : bytes.first(end)).remove(QLatin1Char('\r'));
        }
        bridge.Name = options_.mqttName.isEmpty() ? QHostInfo::localHostName() : options_.mqttName;
        bridge.CaFile = options_.mqttCa;
        bridge.BackupDir = options_.mqttBackupDir;
        // The button's folder is made now: a press must not be the first to find it cannot be.
        if (!bridge.BackupDir.isEmpty() && !QDir().mkpath(bridge.BackupDir)) {
            *error = QStringLiteral("无法创建备份目录 %1").arg(DisplayPath(bridge.BackupDir));
            return false;
        }
        bridge.ForgetAfterSeconds = options_.forgetAfterSeconds;
        mqtt_ = std::make_unique<mqtt::Bridge>(fleet_, events_, bridge);
        if (!mqtt_->Start(error)) {
            mqtt_.reset();
            return false;
        }
    }
    fleet_.Start();
    revokeCheck_.start();
    return true;
}

} // namespace korva::korvad
