#pragma once
// One MQTT connection through libmosquitto. The first connection is made synchronously, so that a wrong
// address or password is known at start-up; afterwards the library's network loop runs on a thread of its
// own and reconnects by itself, and what it receives reaches this object's thread as queued signals.

#include "korvad/mqtt/MqttUrl.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>

struct mosquitto;
struct mosquitto_message;

namespace korva::korvad::mqtt {

class MqttClient : public QObject {
    Q_OBJECT
public:
    // Larger messages from the broker are dropped unread (every command the bridge takes is a short word).
    static constexpr int kMaxCommandBytes = 256;
    static constexpr int kMaxTopicBytes = 512;

    struct LastWill {
        QString Topic;
        QByteArray Payload;
    };

    explicit MqttClient(const QString& clientId, int maxPayloadBytes = kMaxCommandBytes, QObject* parent = nullptr);
    ~MqttClient() override;
    MqttClient(const MqttClient&) = delete;
    MqttClient& operator=(const MqttClient&) = delete;

    // Connects and waits up to timeoutMs for the broker's answer; then keeps the connection on its own.
    // caFile: for mqtts (empty: the system's certificates). False and a Chinese reason when the broker
    // cannot be reached or refuses the login.
    bool Connect(const MqttUrl& url, const QString& caFile, const LastWill& will, QString* error,
                 int timeoutMs = 5000);

    // Any thread. Nothing is kept while disconnected: the bridge publishes everything again on connecting.
    void Publish(const QString& topic, const QByteArray& payload, bool retain);
    void Subscribe(const QString& pattern);
    bool IsConnected() const { return connected_; }

signals:
    // Every (re)connection accepted by the broker.
    void Connected();
    void Disconnected();
    void Message(const QString& topic, const QByteArray& payload);

private:
    static void OnConnect(mosquitto* client, void* self, int code);
    static void OnDisconnect(mosquitto* client, void* self, int code);
    static void OnMessage(mosquitto* client, void* self, const mosquitto_message* message);

    const int maxPayloadBytes_;
    mosquitto* client_ = nullptr;
    bool looping_ = false;
    std::atomic<bool> connected_{false};
    std::atomic<int> connack_{-1}; // the broker's answer to the last connection, -1 before it came
};

} // namespace korva::korvad::mqtt
