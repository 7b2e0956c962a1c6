#pragma once
// Where the MQTT bridge connects: mqtt://[user[:password]@]host[:port] (port 1883) or mqtts://… (8883,
// TLS with a CA file). User and password may be percent-encoded.

#include <QString>
#include <optional>

namespace korva::korvad::mqtt {

struct MqttUrl {
    bool Tls = false;
    QString Host;
    int Port = 1883;
    QString User;
    QString Password;

    // The address without the password, for messages and the log.
    QString Display() const;
};

// std::nullopt and a Chinese reason when text is no such address.
std::optional<MqttUrl> ParseMqttUrl(const QString& text, QString* error);

} // namespace korva::korvad::mqtt
