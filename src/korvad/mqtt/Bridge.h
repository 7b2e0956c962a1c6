#pragma once
// korvad on an MQTT broker: every processor of the fleet as a Home Assistant device (retained discovery),
// its states following every change the service sees whoever made it, and commands from the broker run
// through the processor service as any request is: range-checked first, then one acknowledged write on
// the processor's own thread. After a reconnection everything is published again from the image.

#include "korvad/mqtt/Discovery.h"
#include "korvad/mqtt/MqttClient.h"

#include <QJsonObject>
#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

namespace korva::korvad {
class EventHub;
class Fleet;
} // namespace korva::korvad

namespace korva::korvad::mqtt {

struct BridgeOptions {
    MqttUrl Url;
    QString Name;               // this korvad on the broker (its status topic); the host name by default
    QString CaFile;
    QString BackupDir;          // empty: no backup button
    int ForgetAfterSeconds = 0; // how long a processor must be gone before its discovery is removed
};

class Bridge : public QObject {
    Q_OBJECT
public:
    // fleet and events must outlive the bridge's last event; the bridge must outlive the fleet's workers
    // (their jobs answer it).
    Bridge(Fleet& fleet, EventHub& events, BridgeOptions options, QObject* parent = nullptr);
    ~Bridge() override;

    // Connects once, synchronously: false and a Chinese reason when the broker cannot be used.
    bool Start(QString* error);

private:
    struct Known {
        DeviceIdentity Identity;
        int Group = 0; // the parameter group the processor plays: its power-on group until one is chosen here
        bool GroupChosen = false;
        std::unique_ptr<QTimer> Forget;
    };
    using States = std::vector<std::pair<const Entity*, QByteArray>>;

    void OnConnected();
    void OnEvent(const QJsonObject& event);
    void OnMessage(const QString& topic, const QByteArray& payload);
    // The retained discovery, availability and online state of a processor the fleet has.
    void Announce(const QString& id);
    // Its states, read from the image on the processor's thread.
    void Refresh(const QString& id);
    void PublishStates(const QString& node, const States& states);
    void PublishOnline(const QString& node, bool online);
    void Forget(const QString& node);
    void RunCommand(const QString& node, const Entity& entity, const QByteArray& payload);
    bool Offers(const Entity& entity) const;

    Fleet& fleet_;
    BridgeOptions options_;
    MqttClient client_;
    std::map<QString, Known> known_; // by node
};

} // namespace korva::korvad::mqtt
