#include "korvad/mqtt/Discovery.h"

#include "ops/ParamUnits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace korva::korvad::mqtt {

namespace {

constexpr const char* kGroupPrefix = "MODEL ";
// Longer command payloads are refused before any is read as a value.
constexpr qsizetype kMaxCommandChars = 32;

Entity ParamEntity(EntityKind kind, const char* parameter, const QString& name = QString()) {
    const ParamDef* def = FindParamDef(QString::fromLatin1(parameter));
    QString objectId = def->Name;
    objectId.replace(QLatin1Char('.'), QLatin1Char('_'));
    if (kind == EntityKind::Switch) {
        objectId = objectId.section(QLatin1Char('_'), 1);
    }
    return {kind, objectId, name.isEmpty() ? def->Label : name, def};
}

std::vector<Entity> MakeEntities() {
    using K = EntityKind;
    return {
        // The master faders, then the microphone volumes, then the effect levels.
        ParamEntity(K::Number, "music.volume"),
        ParamEntity(K::Number, "mic.volume"),
        ParamEntity(K::Number, "effect.volume"),
        ParamEntity(K::Number, "mic12.volume"),
        ParamEntity(K::Number, "mic3.volume"),
        ParamEntity(K::Number, "echo.volume"),
        ParamEntity(K::Number, "reverb.volume"),
        {K::Select, QStringLiteral("active_group"), QStringLiteral("当前参数组"), nullptr},
        ParamEntity(K::Switch, "system.lock"),
        {K::BinarySensor, QStringLiteral("online"), QStringLiteral("联机"), nullptr},
        {K::Button, QStringLiteral("backup"), QStringLiteral("立即备份"), nullptr},
    };
}

QJsonArray GroupOptions() {
    QJsonArray options;
    for (int g = 0; g < kGroupCount; ++g) {
        options.append(QString::fromUtf8(GroupState(g)));
    }
    return options;
}

} // namespace

const std::vector<Entity>& Entities() {
    static const std::vector<Entity> entities = MakeEntities();
    return entities;
}

const Entity* FindEntity(QStringView objectId) {
    for (const Entity& e : Entities()) {
        if (e.ObjectId == objectId) {
            return &e;
        }
    }
    return nullptr;
}

QString ComponentOf(EntityKind kind) {
    switch (kind) {
    case EntityKind::Number:
        return QStringLiteral("number");
    case EntityKind::Select:
        return QStringLiteral("select");
    case EntityKind::Switch:
        return QStringLiteral("switch");
    case EntityKind::BinarySensor:
        return QStringLiteral("binary_sensor");
    case EntityKind::Button:
        return QStringLiteral("button");
    }
    return {};
}

QString TopicWord(const QString& text) {
    QString word = text;
    for (QChar& c : word) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
                           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
                           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') ||
                           c == QLatin1Char('-');
        if (!plain) {
            c = QLatin1Char('_');
        }
    }
    return word;
}

QString NodeOf(const QString& processorId, const QString& service) {
    const bool isPath = processorId.startsWith(QLatin1Char('/')) || processorId.startsWith(QLatin1Char('\\'));
    return TopicWord(isPath ? service + QLatin1Char('_') + processorId : processorId);
}

QString BridgeStatusTopic(const QString& service) {
    return QStringLiteral("%1/bridge/%2/status").arg(QLatin1String(kTopicRoot), TopicWord(service));
}

QString AvailabilityTopic(const QString& node) {
    return QStringLiteral("%1/%2/availability").arg(QLatin1String(kTopicRoot), node);
}

QString StateTopic(const QString& node, const Entity& entity) {
    return QStringLiteral("%1/%2/%3/state").arg(QLatin1String(kTopicRoot), node, entity.ObjectId);
}

QString CommandTopic(const QString& node, const Entity& entity) {
    return QStringLiteral("%1/%2/%3/set").arg(QLatin1String(kTopicRoot), node, entity.ObjectId);
}

QString CommandFilter() {
    return QStringLiteral("%1/+/+/set").arg(QLatin1String(kTopicRoot));
}

QString ConfigTopic(const QString& node, const Entity& entity) {
    return QStringLiteral("%1/%2/korva_%3/%4/config")
        .arg(QLatin1String(kDiscoveryPrefix), ComponentOf(entity.Kind), node, entity.ObjectId);
}

QByteArray ConfigPayload(const DeviceIdentity& device, const Entity& entity) {
    const QString node = NodeOf(device.Id, device.Service);
    const QString key = QStringLiteral("korva_%1").arg(node.toLower());
    const QString product = device.Product.isEmpty() ? QStringLiteral("KORVA") : device.Product;
    QJsonObject deviceJson{{"identifiers", QJsonArray{key}},
                           {"name", QStringLiteral("%1 %2").arg(product, device.Serial.isEmpty() ? node : device.Serial)},
                           {"model", product}};
    if (!device.Serial.isEmpty()) {
        deviceJson.insert(QStringLiteral("serial_number"), device.Serial);
    }
    QJsonArray availability{QJsonObject{{"topic", BridgeStatusTopic(device.Service)}}};
    if (entity.Kind != EntityKind::BinarySensor) {
        // Only online itself stays readable while the processor is away.
        availability.append(QJsonObject{{"topic", AvailabilityTopic(node)}});
    }
    QJsonObject config{{"name", entity.Name},
                       {"object_id", QStringLiteral("%1_%2").arg(key, entity.ObjectId)},
                       {"unique_id", QStringLiteral("%1_%2").arg(key, entity.ObjectId)},
                       {"availability", availability},
                       {"availability_mode", "all"},
                       {"device", deviceJson}};
    if (entity.Kind != EntityKind::Button) {
        config.insert(QStringLiteral("state_topic"), StateTopic(node, entity));
    }
    if (entity.Kind != EntityKind::BinarySensor) {
        config.insert(QStringLiteral("command_topic"), CommandTopic(node, entity));
    }
    switch (entity.Kind) {
    case EntityKind::Number:
        config.insert(QStringLiteral("min"), RawToUser(*entity.Param, uint8_t(entity.Param->RawMin)));
        config.insert(QStringLiteral("max"), RawToUser(*entity.Param, uint8_t(entity.Param->RawMax)));
        config.insert(QStringLiteral("step"), 1);
        config.insert(QStringLiteral("mode"), QStringLiteral("slider"));
        break;
    case EntityKind::Select:
        config.insert(QStringLiteral("options"), GroupOptions());
        break;
    case EntityKind::BinarySensor:
        config.insert(QStringLiteral("device_class"), QStringLiteral("connectivity"));
        break;
    case EntityKind::Switch:
    case EntityKind::Button:
        break;
    }
    return QJsonDocument(config).toJson(QJsonDocument::Compact);
}

std::optional<std::pair<QString, const Entity*>> ParseCommandTopic(const QString& topic) {
    const QStringList parts = topic.split(QLatin1Char('/'));
    if (parts.size() != 4 || parts[0] != QLatin1String(kTopicRoot) || parts[3] != QLatin1String("set")) {
        return std::nullopt;
    }
    const Entity* entity = FindEntity(parts[2]);
    if (!entity || entity->Kind == EntityKind::BinarySensor) {
        return std::nullopt;
    }
    return std::pair{parts[1], entity};
}

QByteArray StateOf(const ParamDef& def, uint8_t raw) {
    for (const Entity& e : Entities()) {
        if (e.Param != &def) {
            continue;
        }
        if (e.Kind == EntityKind::Switch) {
            return OnOffState(def.Choices.value(raw) == QLatin1String("on"));
        }
        return QByteArray::number(RawToUser(def, raw), 'g', 10);
    }
    return {};
}

QByteArray GroupState(int group) {
    return kGroupPrefix + QByteArray::number(group + 1);
}

int PowerOnGroup(const ParamModel& model) {
    static const std::optional<ParamRef> startGroup = ResolveParamName(QStringLiteral("system.start_group"), 0);
    if (!startGroup) {
        return 0;
    }
    const uint8_t raw = model.Cell(startGroup->StoredGroup(), startGroup->Def->Address).Field(startGroup->Def->Field);
    return raw < 8 ? raw : 0;
}

QByteArray OnOffState(bool on) {
    return on ? "ON" : "OFF";
}

std::vector<std::pair<const Entity*, QByteArray>> ImageStates(const ParamModel& model, int group) {
    std::vector<std::pair<const Entity*, QByteArray>> states;
    for (const Entity& e : Entities()) {
        if (e.Param) {
            const ParamRef ref{e.Param, e.Param->Scope == ParamScope::Group ? group : 0};
            states.emplace_back(&e, StateOf(*e.Param, model.Cell(ref.StoredGroup(), e.Param->Address).Field(e.Param->Field)));
        } else if (e.Kind == EntityKind::Select) {
            states.emplace_back(&e, GroupState(group));
        }
    }
    return states;
}

Command ParseCommand(const Entity& entity, const QByteArray& payload) {
    Command command;
    const QString text = payload.size() <= kMaxCommandChars ? QString::fromUtf8(payload).trimmed() : QString();
    auto refuse = [&](const QString& why) {
        command.Refusal = QStringLiteral("%1：%2").arg(entity.Name, why);
        return command;
    };
    if (text.isEmpty()) {
        return refuse(QStringLiteral("命令为空或过长"));
    }
    switch (entity.Kind) {
    case EntityKind::Number:
    case EntityKind::Switch: {
        QString value = text;
        if (entity.Kind == EntityKind::Switch) {
            if (text != QLatin1String("ON") && text != QLatin1String("OFF")) {
                return refuse(QStringLiteral("须为 ON 或 OFF，收到 %1").arg(text));
            }
            value = text.toLower();
        } else {
            // Home Assistant may send a whole number as "40.0".
            bool ok = false;
            const double number = text.toDouble(&ok);
            if (ok && std::isfinite(number) && number == std::trunc(number) && std::abs(number) < 1e6) {
                value = QString::number(qint64(number));
            }
        }
        QString why;
        const std::optional<uint8_t> raw = ParseParamValue(*entity.Param, value, &why);
        if (!raw) {
            return refuse(why);
        }
        command.What = Command::Action::Write;
        command.Param = entity.Param;
        command.Raw = *raw;
        return command;
    }
    case EntityKind::Select: {
        bool ok = false;
        const int group = text.startsWith(QLatin1String(kGroupPrefix))
                              ? text.mid(int(qstrlen(kGroupPrefix))).toInt(&ok) - 1
                              : -1;
        if (!ok || group < 0 || group >= kGroupCount) {
            return refuse(QStringLiteral("须为 MODEL 1 到 MODEL 8，收到 %1").arg(text));
        }
        command.What = Command::Action::SelectGroup;
        command.Group = group;
        return command;
    }
    case EntityKind::Button:
        if (text != QLatin1String("PRESS")) {
            return refuse(QStringLiteral("须为 PRESS，收到 %1").arg(text));
        }
        command.What = Command::Action::Backup;
        return command;
    case EntityKind::BinarySensor:
        break;
    }
    return refuse(QStringLiteral("不接受命令"));
}

} // namespace korva::korvad::mqtt
