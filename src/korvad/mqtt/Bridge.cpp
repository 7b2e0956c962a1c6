#include "korvad/mqtt/Bridge.h"

#include "korvad/EventHub.h"
#include "korvad/Fleet.h"
#include "korvad/ServiceJobs.h"
#include "korvad/ServiceLog.h"
#include "model/FileAccess.h"
#include "processor/Processor.h"

#include <QDateTime>
#include <QDir>
#include <QHostInfo>
#include <QJsonDocument>
#include <unistd.h>

namespace korva::korvad::mqtt {

namespace {

// The "by" of the events of changes made from the broker.
const QString kBy = QStringLiteral("mqtt");

QString ClientId() {
    return QStringLiteral("korvad-%1-%2").arg(QHostInfo::localHostName()).arg(::getpid());
}

QString ReasonOf(const HttpResponse& response) {
    return QJsonDocument::fromJson(response.Body).object().value(QStringLiteral("message")).toString();
}

// The preset file, as korva-ctl backup writes it, into the folder: SERIAL-yyyyMMdd-HHmmss.PA.
QString WriteBackup(const QString& folder, const QString& node, const QByteArray& file, QString* error) {
    const QString path = QDir(folder).filePath(
        QStringLiteral("%1-%2.PA").arg(node, QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    FileError failure;
    if (!ReplaceFile(path, file, &failure)) {
        *error = QStringLiteral("无法写入备份文件 %1").arg(failure.Message);
        return {};
    }
    return path;
}

} // namespace

Bridge::Bridge(Fleet& fleet, EventHub& events, BridgeOptions options, QObject* parent)
    : QObject(parent), fleet_(fleet), options_(std::move(options)), client_(ClientId()) {
    connect(&events, &EventHub::Sent, this, &Bridge::OnEvent);
    connect(&client_, &MqttClient::Connected, this, &Bridge::OnConnected);
    connect(&client_, &MqttClient::Message, this, &Bridge::OnMessage);
    connect(&client_, &MqttClient::Disconnected, this, [this] {
        Log(LogLevel::Warning, QStringLiteral("与 MQTT 代理 %1 的连接已断开，正在重连").arg(options_.Url.Display()));
    });
}

Bridge::~Bridge() {
    client_.Publish(BridgeStatusTopic(options_.Name), kOfflinePayload, true);
}

bool Bridge::Start(QString* error) {
    return client_.Connect(options_.Url, options_.CaFile, {BridgeStatusTopic(options_.Name), kOfflinePayload}, error);
}

bool Bridge::Offers(const Entity& entity) const {
    return entity.Kind != EntityKind::Button || !options_.BackupDir.isEmpty();
}

void Bridge::OnConnected() {
    Log(LogLevel::Info, QStringLiteral("已连接 MQTT 代理 %1").arg(options_.Url.Display()));
    client_.Publish(BridgeStatusTopic(options_.Name), kOnlinePayload, true);
    client_.Subscribe(CommandFilter());
    for (const ProcessorWorker* worker : fleet_.Processors()) {
        Announce(worker->Id());
        Refresh(worker->Id());
    }
}

void Bridge::Announce(const QString& id) {
    const Fleet::Lookup found = fleet_.Find(id);
    if (!found.Worker) {
        return;
    }
    const HidDeviceInfo& d = found.Worker->Device();
    const QString node = NodeOf(id, options_.Name);
    Known& known = known_[node];
    known.Identity = {id, options_.Name, d.SerialNumber, d.ProductString};
    known.Forget.reset();
    for (const Entity& e : Entities()) {
        if (Offers(e)) {
            client_.Publish(ConfigTopic(node, e), ConfigPayload(known.Identity, e), true);
        }
    }
    PublishOnline(node, found.Worker->IsOnline());
}

void Bridge::PublishOnline(const QString& node, bool online) {
    client_.Publish(AvailabilityTopic(node), online ? kOnlinePayload : kOfflinePayload, true);
    client_.Publish(StateTopic(node, *FindEntity(u"online")), OnOffState(online), true);
}

void Bridge::Refresh(const QString& id) {
    const Fleet::Lookup found = fleet_.Find(id);
    const auto known = known_.find(NodeOf(id, options_.Name));
    if (!found.Worker || known == known_.end()) {
        return;
    }
    // The workers end before the bridge does (it is made before the fleet): the answer always has a receiver.
    const int chosen = known->second.GroupChosen ? known->second.Group : -1;
    found.Worker->Post([this, node = known->first, chosen](WorkerContext& c) {
        if (!c.Service().IsOnline() || !c.EnsureImage()) {
            return;
        }
        const int group = chosen >= 0 ? chosen : PowerOnGroup(c.Service().Model());
        const States states = ImageStates(c.Service().Model(), group);
        QMetaObject::invokeMethod(this, [this, node, group, states] {
            const auto known = known_.find(node);
            // A group chosen meanwhile has published its own states.
            if (known == known_.end() || (known->second.GroupChosen && known->second.Group != group)) {
                return;
            }
            known->second.Group = group;
            PublishStates(node, states);
        }, Qt::QueuedConnection);
    });
}

void Bridge::PublishStates(const QString& node, const States& states) {
    for (const auto& [entity, payload] : states) {
        client_.Publish(StateTopic(node, *entity), payload, true);
    }
}

void Bridge::OnEvent(const QJsonObject& event) {
    const QString type = event.value(QStringLiteral("type")).toString();
    const QString id = event.value(QStringLiteral("processor")).toString();
    const QString node = NodeOf(id, options_.Name);
    if (type == QLatin1String("attached")) {
        Announce(id);
    } else if (type == QLatin1String("online")) {
        const bool online = event.value(QStringLiteral("online")).toBool();
        PublishOnline(node, online);
        if (online) {
            Refresh(id);
        }
    } else if (type == QLatin1String("restore")) {
        if (event.value(QStringLiteral("phase")).toString() == QLatin1String("done")) {
            Refresh(id);
        }
    } else if (type == QLatin1String("parameter")) {
        const auto known = known_.find(node);
        const std::optional<ParamRef> ref = ResolveParamName(event.value(QStringLiteral("name")).toString(), 0);
        if (known == known_.end() || !ref ||
            (ref->Def->Scope == ParamScope::Group && ref->Group != known->second.Group)) {
            return;
        }
        const int raw = event.value(QStringLiteral("new")).toObject().value(QStringLiteral("raw")).toInt(-1);
        const QByteArray state = raw >= 0 && raw <= 255 ? StateOf(*ref->Def, uint8_t(raw)) : QByteArray();
        for (const Entity& e : Entities()) {
            if (e.Param == ref->Def && !state.isEmpty()) {
                client_.Publish(StateTopic(node, e), state, true);
            }
        }
    } else if (type == QLatin1String("detached")) {
        const auto known = known_.find(node);
        if (known == known_.end()) {
            return;
        }
        PublishOnline(node, false);
        known->second.Forget = std::make_unique<QTimer>();
        known->second.Forget->setSingleShot(true);
        connect(known->second.Forget.get(), &QTimer::timeout, this, [this, node] { Forget(node); });
        known->second.Forget->start(std::chrono::seconds(options_.ForgetAfterSeconds));
    }
}

void Bridge::Forget(const QString& node) {
    // Empty retained messages remove the entities from Home Assistant and the states from the broker.
    for (const Entity& e : Entities()) {
        client_.Publish(ConfigTopic(node, e), QByteArray(), true);
        if (e.Kind != EntityKind::Button) {
            client_.Publish(StateTopic(node, e), QByteArray(), true);
        }
    }
    client_.Publish(AvailabilityTopic(node), QByteArray(), true);
    Log(LogLevel::Info, QStringLiteral("处理器 %1 已离开 %2 秒，已从 MQTT 发现中移除")
                            .arg(known_[node].Identity.Id)
                            .arg(options_.ForgetAfterSeconds));
    known_.erase(node);
}

void Bridge::OnMessage(const QString& topic, const QByteArray& payload) {
    const auto target = ParseCommandTopic(topic);
    if (!target || !known_.count(target->first) || known_[target->first].Forget) {
        return; // another service's processor, or one that has gone
    }
    RunCommand(target->first, *target->second, payload);
}

void Bridge::RunCommand(const QString& node, const Entity& entity, const QByteArray& payload) {
    const Known& known = known_[node];
    const QString id = known.Identity.Id;
    const Command command = ParseCommand(entity, payload);
    const Fleet::Lookup found = fleet_.Find(id);
    auto refuse = [&](const QString& why) {
        Log(LogLevel::Warning, QStringLiteral("已忽略 MQTT 命令（处理器 %1）：%2").arg(id, why));
        // The sender's control goes back to the value the processor holds.
        Refresh(id);
    };
    if (command.What == Command::Action::Refused) {
        refuse(command.Refusal);
        return;
    }
    if (command.What == Command::Action::Backup && options_.BackupDir.isEmpty()) {
        refuse(QStringLiteral("没有给出备份目录（--mqtt-backup-dir）"));
        return;
    }
    if (!found.Worker) {
        refuse(found.Message);
        return;
    }
    // Failures are reported from the processor's thread back here, where the log is written.
    auto report = [this](LogLevel level, const QString& text) {
        QMetaObject::invokeMethod(this, [level, text] { Log(level, text); }, Qt::QueuedConnection);
    };
    switch (command.What) {
    case Command::Action::Write: {
        const ParamRef ref{command.Param, command.Param->Scope == ParamScope::Group ? known.Group : 0};
        found.Worker->Post([this, ref, raw = command.Raw, id, report](WorkerContext& c) {
            // The state follows through the service's event of the write.
            const HttpResponse r = SetValue(c, ref, raw, kBy);
            if (r.Status != 200) {
                report(LogLevel::Warning, QStringLiteral("MQTT 命令没有完成（处理器 %1）：%2").arg(id, ReasonOf(r)));
                QMetaObject::invokeMethod(this, [this, id] { Refresh(id); }, Qt::QueuedConnection);
            }
        });
        break;
    }
    case Command::Action::SelectGroup:
        found.Worker->Post([this, node, id, group = command.Group, report](WorkerContext& c) {
            Processor& service = c.Service();
            if (!service.IsOnline() || !c.EnsureImage() || !service.SelectGroup(group)) {
                report(LogLevel::Warning, QStringLiteral("处理器 %1 没有切换到 MODEL %2").arg(id).arg(group + 1));
                QMetaObject::invokeMethod(this, [this, id] { Refresh(id); }, Qt::QueuedConnection);
                return;
            }
            service.Model().CurrentGroup = uint8_t(group);
            const States states = ImageStates(service.Model(), group);
            QMetaObject::invokeMethod(this, [this, node, group, states] {
                if (const auto known = known_.find(node); known != known_.end()) {
                    known->second.Group = group;
                    known->second.GroupChosen = true;
                    PublishStates(node, states);
                }
            }, Qt::QueuedConnection);
        });
        break;
    case Command::Action::Backup:
        found.Worker->Post([folder = options_.BackupDir, node, id, report](WorkerContext& c) {
            const HttpResponse r = Backup(c);
            QString error;
            const QString path = r.Status == 200 ? WriteBackup(folder, node, r.Body, &error) : QString();
            if (path.isEmpty()) {
                report(LogLevel::Warning, QStringLiteral("处理器 %1 备份失败：%2").arg(id, r.Status == 200 ? error : ReasonOf(r)));
            } else {
                report(LogLevel::Info, QStringLiteral("处理器 %1 已备份到 %2").arg(id, path));
            }
        });
        break;
    case Command::Action::Refused:
        break;
    }
}

} // namespace korva::korvad::mqtt
