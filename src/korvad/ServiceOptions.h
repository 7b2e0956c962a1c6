#pragma once
// korvad's command line: the service's options, or a token command (korvad token add|list|revoke).

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <optional>

namespace korva::korvad {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr quint16 kDefaultPort = 8650;

struct ServiceOptions {
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = kDefaultPort;
    QString tlsCert;
    QString tlsKey;
    bool insecureHttp = false;
    QString stateDir; // empty: TokenStore::DefaultStateDir()
    int demoCount = 0;
    int maxConnections = 512;
    int idleTimeoutSeconds = 60;
    // An idle processor's memory is read again this often, so that changes made on its front panel reach
    // the clients (0: only when a request or a reconnection reads it).
    int rereadSeconds = 60;
    int requestTimeoutSeconds = 10; // from a request's first byte to its last (no option: tests set it)
    // The MQTT bridge (Home Assistant discovery): off while mqttUrl is empty.
    QString mqttUrl;
    QString mqttCa;
    // The broker password's file (its first line), so that it is not in the process list.
    QString mqttPasswordFile;
    QString mqttName; // this korvad on the broker; empty: the host name
    QString mqttBackupDir;
    int forgetAfterSeconds = 7 * 86400;
    // korvad token ACTION [NAME]
    QString tokenAction;
    QString tokenName;
    bool help = false;
    bool version = false;

    bool UsesTls() const { return !tlsCert.isEmpty(); }
};

struct ParsedServiceOptions {
    std::optional<ServiceOptions> options;
    QString error; // in Chinese, when options is empty
};

ParsedServiceOptions ParseServiceOptions(const QStringList& arguments);

QString ServiceHelpText();

} // namespace korva::korvad
