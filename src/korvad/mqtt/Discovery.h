#pragma once
// What Home Assistant sees of each processor through MQTT discovery: one device, its entities (the
// volumes and effect levels the window has sliders for, the active parameter group, the lock, online,
// a backup button), their topics, the retained config payloads, the state payloads read from the image,
// and what a command payload asks for. Pure: no connection, no processor.

#include "model/ParamStore.h"
#include "ops/ParamTable.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace korva::korvad::mqtt {

enum class EntityKind { Number, Select, Switch, BinarySensor, Button };

struct Entity {
    EntityKind Kind;
    QString ObjectId;               // English: "music_volume"
    QString Name;                   // Chinese: "主音量 音乐"
    const ParamDef* Param = nullptr; // Number and Switch
};

// Every entity of a processor, in a fixed order.
const std::vector<Entity>& Entities();
const Entity* FindEntity(QStringView objectId);
// "component" of the discovery topic: number, select, switch, binary_sensor, button.
QString ComponentOf(EntityKind kind);

// What the device is to Home Assistant.
struct DeviceIdentity {
    QString Id;      // the service's processor id: the serial number, or the path of one without
    QString Service; // the korvad it is attached to (its --mqtt-name)
    QString Serial;  // may be empty
    QString Product; // may be empty
};

// text with anything but letters, digits, '_' and '-' as '_': safe in a topic and an entity id.
QString TopicWord(const QString& text);
// The processor's part of every topic: its serial number, so a processor keeps its entities when it
// moves to another room; one without a serial number is known by its path on that korvad's computer,
// which other rooms' korvads on the same broker share ("SERVICE__dev_hidraw0").
QString NodeOf(const QString& processorId, const QString& service);

constexpr const char* kTopicRoot = "korva";
constexpr const char* kDiscoveryPrefix = "homeassistant";
constexpr const char* kOnlinePayload = "online";
constexpr const char* kOfflinePayload = "offline";

// korva/bridge/SERVICE/status: "online" while this korvad is connected, "offline" as its last will. One
// per korvad: the rooms of a venue share a broker, and one room going away must not take the others'
// entities with it.
QString BridgeStatusTopic(const QString& service);
// korva/NODE/availability: "online" while the processor answers.
QString AvailabilityTopic(const QString& node);
QString StateTopic(const QString& node, const Entity& entity);
QString CommandTopic(const QString& node, const Entity& entity);
// korva/+/+/set: every command topic.
QString CommandFilter();
// homeassistant/COMPONENT/korva_NODE/OBJECT_ID/config
QString ConfigTopic(const QString& node, const Entity& entity);
QByteArray ConfigPayload(const DeviceIdentity& device, const Entity& entity);

// The node and entity a command topic names; std::nullopt for any other topic.
std::optional<std::pair<QString, const Entity*>> ParseCommandTopic(const QString& topic);

// The retained states of the image's values in group (0..7): every Number, the Select and the Switch.
std::vector<std::pair<const Entity*, QByteArray>> ImageStates(const ParamModel& model, int group);
// The state of one parameter's byte; empty for parameters no entity shows.
QByteArray StateOf(const ParamDef& def, uint8_t raw);
QByteArray GroupState(int group);
// The group a processor plays until one is chosen through the bridge: the protocol has no way to ask which
// group is playing, so the best guess is the one it powers on with.
int PowerOnGroup(const ParamModel& model);
QByteArray OnOffState(bool on);

// What a command payload asks for, or why it is refused (nothing is sent then).
struct Command {
    enum class Action { Refused, Write, SelectGroup, Backup };
    Action What = Action::Refused;
    const ParamDef* Param = nullptr; // Write
    uint8_t Raw = 0;                 // Write
    int Group = 0;                   // SelectGroup: 0..7
    QString Refusal;                 // Refused: Chinese
};
Command ParseCommand(const Entity& entity, const QByteArray& payload);

} // namespace korva::korvad::mqtt
