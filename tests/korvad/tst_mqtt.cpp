// korvad's MQTT bridge against a real Mosquitto broker started by the test on a loopback port with a
// password file: the discovery Home Assistant reads, commands from the broker reaching the virtual
// processors through the service (and refused ones sending nothing), the broker going away and coming
// back, and a refused login at start-up.
#include "KorvadTestWorld.h"

#include "korvad/mqtt/Discovery.h"
#include "korvad/mqtt/MqttClient.h"
#include "link/FrameProtocol.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryFile>
#include <QUrl>
#include <array>
#include <cstdio>
#include <map>
#include <unistd.h>

using namespace korva;
using namespace korva::test;
using korva::korvad::mqtt::MqttClient;

namespace {

const QString kBrokerPath = QStringLiteral("/usr/sbin/mosquitto");
const QString kPasswdPath = QStringLiteral("/usr/bin/mosquitto_passwd");
const QString kUser = QStringLiteral("korvad");
const QString kPassword = QStringLiteral("s3cret:pw");

// Mosquitto on 127.0.0.1 with one user; persistence off, so a restart forgets every retained message.
class Broker {
public:
    bool Start() {
        if (port_ == 0) {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            port_ = probe.serverPort();
            const QString passwords = dir_.filePath(QStringLiteral("passwords"));
            if (QProcess::execute(kPasswdPath, {"-b", "-c", passwords, kUser, kPassword}) != 0) {
                return false;
            }
            // Started as root, the broker reads its files as the user mosquitto.
            QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther);
            QFile::setPermissions(passwords, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
            QFile config(dir_.filePath(QStringLiteral("mosquitto.conf")));
            if (!config.open(QIODevice::WriteOnly)) {
                return false;
            }
            config.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous false\npassword_file %2\n"
                                        "persistence false\n")
                             .arg(port_)
                             .arg(passwords)
                             .toUtf8());
        }
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start(kBrokerPath, {"-c", dir_.filePath(QStringLiteral("mosquitto.conf"))});
        return process_.waitForStarted() && QTest::qWaitFor([this] {
                   QTcpSocket probe;
                   probe.connectToHost(QHostAddress::LocalHost, port_);
                   return probe.waitForConnected(100);
               }, 5000);
    }
    void Kill() {
        process_.kill();
        process_.waitForFinished();
    }
    ~Broker() { Kill(); }
    QString Output() { return QString::fromUtf8(process_.readAll()); }

    QString Url(const QString& password = kPassword) const {
        // The password percent-encoded, as a URL carries a ':' in it.
        return QStringLiteral("mqtt://") + kUser + QLatin1Char(':') + QString::fromLatin1(QUrl::toPercentEncoding(password)) +
               QStringLiteral("@127.0.0.1:") + QString::number(port_);
    }
    korvad::mqtt::MqttUrl Address() const { return {false, QStringLiteral("127.0.0.1"), port_, kUser, kPassword}; }

private:
    QTemporaryDir dir_;
    QProcess process_;
    int port_ = 0;
};

// A client that remembers the last message of every topic and how many came.
class Observer {
public:
    explicit Observer(const Broker& broker) : client_(QStringLiteral("observer-%1").arg(::getpid()), 1 << 16) {
        QObject::connect(&client_, &MqttClient::Message, [this](const QString& topic, const QByteArray& payload) {
            last_[topic] = payload;
            ++count_[topic];
        });
        QObject::connect(&client_, &MqttClient::Connected, [this] {
            client_.Subscribe(QStringLiteral("korva/#"));
            client_.Subscribe(QStringLiteral("homeassistant/#"));
        });
        QString error;
        connected_ = client_.Connect(broker.Address(), {}, {}, &error);
    }
    bool Connected() const { return connected_; }
    void Publish(const QString& topic, const QByteArray& payload) { client_.Publish(topic, payload, false); }
    QByteArray Last(const QString& topic) const { return last_.count(topic) ? last_.at(topic) : QByteArray(); }
    int Count(const QString& topic) const { return count_.count(topic) ? count_.at(topic) : 0; }
    bool WaitFor(const QString& topic, const QByteArray& payload) {
        return QTest::qWaitFor([&] { return Last(topic) == payload; }, 10000);
    }
    const std::map<QString, QByteArray>& All() const { return last_; }

private:
    MqttClient client_;
    std::map<QString, QByteArray> last_;
    std::map<QString, int> count_;
    bool connected_ = false;
};

// What korvad writes on standard error while it lives.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        saved_ = ::dup(2);
        file_.open();
        ::dup2(file_.handle(), 2);
    }
    ~StderrCapture() { Restore(); }
    QString Take() {
        Restore();
        file_.seek(0);
        return QString::fromUtf8(file_.readAll());
    }

private:
    void Restore() {
        if (saved_ >= 0) {
            std::fflush(stderr);
            ::dup2(saved_, 2);
            ::close(saved_);
            saved_ = -1;
        }
    }
    QTemporaryFile file_;
    int saved_ = -1;
};

// This korvad's name on the broker (each room's korvad has its own).
const QString kServiceName = QStringLiteral("room-1");

QString Node(int number) {
    return korvad::mqtt::NodeOf(sim::VirtualRack::SerialOf(number), kServiceName);
}

QString State(int number, const QString& objectId) {
    return korvad::mqtt::StateTopic(Node(number), *korvad::mqtt::FindEntity(objectId));
}

QString Command(int number, const QString& objectId) {
    return korvad::mqtt::CommandTopic(Node(number), *korvad::mqtt::FindEntity(objectId));
}

// Frames that change the processor: single writes and group selections.
int Writes(sim::VirtualProcessor& device) {
    int writes = 0;
    for (const QByteArray& frame : device.ReceivedFramesNow()) {
        const int command = uint8_t(frame[1]) >> 4;
        writes += command == kCmdWriteRecord || command == kCmdSelectGroup;
    }
    return writes;
}

} // namespace

class TstMqtt : public QObject {
    Q_OBJECT
    Broker broker_;
    QTemporaryDir backups_;
    int rounds_ = 0;

    korvad::ServiceOptions Options() const {
        korvad::ServiceOptions options;
        options.mqttUrl = broker_.Url();
        options.mqttName = kServiceName;
        options.mqttBackupDir = backups_.path();
        return options;
    }

private slots:
    void initTestCase() {
        if (!QFile::exists(kBrokerPath) || !QFile::exists(kPasswdPath)) {
            QSKIP("no Mosquitto broker (Debian package mosquitto; scripts/ensure-deps.sh installs it)");
        }
        QVERIFY2(broker_.Start(), qPrintable(broker_.Output()));
    }

    void discoveryNamesEveryEntity_data() {
        QTest::addColumn<QString>("component");
        QTest::addColumn<QString>("objectId");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("range");
        const std::vector<std::array<const char*, 4>> rows = {
            {"number", "music_volume", "主音量 音乐", "0-80"},
            {"number", "mic_volume", "主音量 话筒", "0-80"},
            {"number", "effect_volume", "主音量 效果", "0-80"},
            {"number", "mic12_volume", "话筒音量 话筒1-2", "0-80"},
            {"number", "mic3_volume", "话筒音量 话筒3", "0-80"},
            {"number", "echo_volume", "回声音量", "0-80"},
            {"number", "reverb_volume", "残响音量", "0-80"},
            {"select", "active_group", "当前参数组", "MODEL 1,MODEL 8"},
            {"switch", "lock", "设备锁", ""},
            {"binary_sensor", "online", "联机", ""},
            {"button", "backup", "立即备份", ""},
        };
        for (const auto& [component, objectId, name, range] : rows) {
            QTest::newRow(objectId) << component << objectId << QString::fromUtf8(name) << range;
        }
    }
    void discoveryNamesEveryEntity() {
        QFETCH(QString, component);
        QFETCH(QString, objectId);
        QFETCH(QString, name);
        QFETCH(QString, range);
        KorvadWorld w(Options());
        QVERIFY2(w.started, qPrintable(w.error));
        QVERIFY(w.AllOnline());
        Observer observer(broker_);
        QVERIFY(observer.Connected());
        QVERIFY(observer.WaitFor(korvad::mqtt::BridgeStatusTopic(kServiceName), "online"));
        for (int number = 1; number <= w.rack.Count(); ++number) {
            const QString serial = sim::VirtualRack::SerialOf(number);
            const QString topic = QStringLiteral("homeassistant/%1/korva_%2/%3/config").arg(component, Node(number), objectId);
            QVERIFY2(QTest::qWaitFor([&] { return !observer.Last(topic).isEmpty(); }, 10000), qPrintable(topic));
            QJsonParseError error;
            const QJsonObject config = QJsonDocument::fromJson(observer.Last(topic), &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(config.value("name").toString(), name);
            QVERIFY(config.value("object_id").toString().endsWith(objectId));
            QVERIFY(config.value("unique_id").toString().contains(Node(number).toLower()));
            const QJsonObject device = config.value("device").toObject();
            QCOMPARE(device.value("serial_number").toString(), serial);
            QVERIFY(device.value("name").toString().contains(serial));
            QCOMPARE(device.value("identifiers").toArray().size(), 1);
            QCOMPARE(config.value("availability").toArray().first().toObject().value("topic").toString(),
                     korvad::mqtt::BridgeStatusTopic(kServiceName));
            if (component == QLatin1String("number")) {
                QCOMPARE(QStringLiteral("%1-%2").arg(config.value("min").toInt()).arg(config.value("max").toInt()), range);
            } else if (component == QLatin1String("select")) {
                const QJsonArray options = config.value("options").toArray();
                QCOMPARE(options.size(), 8);
                QCOMPARE(options.first().toString() + "," + options.last().toString(), range);
            }
            // Every entity with a state has one, retained, as soon as the processor is online.
            const QString state = config.value("state_topic").toString();
            QCOMPARE(state.isEmpty(), component == QLatin1String("button"));
            if (!state.isEmpty()) {
                QVERIFY2(QTest::qWaitFor([&] { return !observer.Last(state).isEmpty(); }, 10000), qPrintable(state));
            }
            QCOMPARE(config.value("command_topic").toString().isEmpty(), component == QLatin1String("binary_sensor"));
        }
        // Every entity of every processor, and nothing else.
        auto configs = [&] {
            int count = 0;
            for (const auto& [topic, payload] : observer.All()) {
                count += topic.startsWith(QLatin1String("homeassistant/")) && !payload.isEmpty();
            }
            return count;
        };
        const int expected = int(korvad::mqtt::Entities().size()) * w.rack.Count();
        QVERIFY(QTest::qWaitFor([&] { return configs() >= expected; }, 10000));
        QCOMPARE(configs(), expected);
    }

    // A command goes through the service and the state follows; a refused one is logged and sends
    // nothing. Each row is followed by a good command on another entity, which marks when the row's
    // command has been dealt with.
    void commandsGoThroughTheService_data() {
        QTest::addColumn<QString>("objectId");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QByteArray>("state");  // after the command
        QTest::addColumn<QString>("parameter"); // whose byte the processor then holds
        QTest::addColumn<int>("raw");
        QTest::newRow("master music volume") << "music_volume" << QByteArray("33") << true << QByteArray("33")
                                             << "music.volume" << 33;
        QTest::newRow("whole number as decimal") << "music_volume" << QByteArray("40.0") << true << QByteArray("40")
                                                 << "music.volume" << 40;
        // Group parameters land in the group the processor powers on with until a group is chosen.
        QTest::newRow("microphone 1-2, power-on group") << "mic12_volume" << QByteArray(" 51\n") << true
                                                        << QByteArray("51") << "mic12.volume" << 51;
        QTest::newRow("reverb at its top") << "reverb_volume" << QByteArray("80") << true << QByteArray("80")
                                           << "reverb.volume" << 80;
        QTest::newRow("lock on") << "lock" << QByteArray("ON") << true << QByteArray("ON") << "system.lock" << 1;
        QTest::newRow("group 3") << "active_group" << QByteArray("MODEL 3") << true << QByteArray("MODEL 3") << ""
                                 << -1;
        QTest::newRow("above range") << "music_volume" << QByteArray("81") << false << QByteArray() << "" << -1;
        QTest::newRow("below range") << "mic3_volume" << QByteArray("-1") << false << QByteArray() << "" << -1;
        QTest::newRow("fraction") << "echo_volume" << QByteArray("12.5") << false << QByteArray() << "" << -1;
        QTest::newRow("not a number") << "music_volume" << QByteArray("loud") << false << QByteArray() << "" << -1;
        QTest::newRow("huge") << "music_volume" << QByteArray("1e400") << false << QByteArray() << "" << -1;
        QTest::newRow("nan") << "music_volume" << QByteArray("nan") << false << QByteArray() << "" << -1;
        QTest::newRow("empty") << "music_volume" << QByteArray() << false << QByteArray() << "" << -1;
        QTest::newRow("binary bytes") << "music_volume" << QByteArray("\x00\xff\xfe""7", 4) << false << QByteArray()
                                      << "" << -1;
        QTest::newRow("oversized") << "music_volume" << QByteArray(100000, '5') << false << QByteArray() << "" << -1;
        QTest::newRow("lock lower case") << "lock" << QByteArray("on") << false << QByteArray() << "" << -1;
        QTest::newRow("group 9") << "active_group" << QByteArray("MODEL 9") << false << QByteArray() << "" << -1;
        QTest::newRow("group 0") << "active_group" << QByteArray("MODEL 0") << false << QByteArray() << "" << -1;
        QTest::newRow("button, other word") << "backup" << QByteArray("press") << false << QByteArray() << "" << -1;
    }
    void commandsGoThroughTheService() {
        QFETCH(QString, objectId);
        QFETCH(QByteArray, payload);
        QFETCH(bool, accepted);
        QFETCH(QByteArray, state);
        QFETCH(QString, parameter);
        QFETCH(int, raw);
        StderrCapture log;
        KorvadWorld w(Options());
        QVERIFY2(w.started, qPrintable(w.error));
        QVERIFY(w.AllOnline());
        Observer observer(broker_);
        QVERIFY(observer.Connected());
        sim::VirtualProcessor& device = w.rack.Processor(0);
        const korvad::mqtt::Entity& entity = *korvad::mqtt::FindEntity(objectId);
        const int playing = korvad::mqtt::PowerOnGroup(device.MemoryNow());
        auto held = [&] {
            const ParamRef ref{entity.Param, playing};
            return device.MemoryNow().Store.at(ref.StoredGroup(), ref.Def->Address).Field(ref.Def->Field);
        };
        const uint8_t heldBefore = entity.Param ? held() : 0;
        const int writesBefore = Writes(device);
        // The broker keeps the states of the rows before: the marker's value is new in every row.
        const QString marker = State(1, QStringLiteral("effect_volume"));
        const ParamDef& effect = *FindParamDef(u"effect.volume");
        int markerNumber = 10 + ++rounds_ % 60;
        markerNumber += markerNumber == device.MemoryNow().Cell(0, effect.Address).Field(effect.Field);
        const QByteArray markerValue = QByteArray::number(markerNumber);

        observer.Publish(Command(1, objectId), payload);
        observer.Publish(Command(1, QStringLiteral("effect_volume")), markerValue);
        QVERIFY(observer.WaitFor(marker, markerValue));
        if (accepted) {
            QVERIFY(observer.WaitFor(State(1, objectId), state));
            QCOMPARE(Writes(device), writesBefore + 2);
        } else {
            QCOMPARE(Writes(device), writesBefore + 1);
            // The sender's control is set back to what the processor holds.
            if (entity.Param) {
                QCOMPARE(held(), heldBefore);
                QVERIFY(observer.WaitFor(State(1, objectId), korvad::mqtt::StateOf(*entity.Param, heldBefore)));
            } else if (entity.Kind == korvad::mqtt::EntityKind::Select) {
                QVERIFY(observer.WaitFor(State(1, objectId), korvad::mqtt::GroupState(playing)));
            }
        }
        if (!parameter.isEmpty()) {
            const ParamRef ref = *ResolveParamName(parameter, playing);
            QCOMPARE(int(device.MemoryNow().Store.at(ref.StoredGroup(), ref.Def->Address).Field(ref.Def->Field)), raw);
        }
        // Every refusal that reached the bridge is in the log; the oversized one never does.
        const QString text = log.Take();
        QCOMPARE(text.contains(QStringLiteral("已忽略 MQTT 命令")), !accepted && payload.size() < 1000);
    }

    void selectedGroupCarriesTheVolumes() {
        KorvadWorld w(Options());
        QVERIFY2(w.started, qPrintable(w.error));
        QVERIFY(w.AllOnline());
        const ParamRef mic = *ResolveParamName(QStringLiteral("g4.mic12.volume"), 0);
        QCOMPARE(w.Request("PUT", KorvadWorld::Target(2, "/parameters/g4.mic12.volume"), "{\"value\": 17}").Status, 200);
        Observer observer(broker_);
        QVERIFY(observer.Connected());
        observer.Publish(Command(2, QStringLiteral("active_group")), "MODEL 4");
        QVERIFY(observer.WaitFor(State(2, QStringLiteral("active_group")), "MODEL 4"));
        QVERIFY(observer.WaitFor(State(2, QStringLiteral("mic12_volume")), "17"));
        observer.Publish(Command(2, QStringLiteral("mic12_volume")), "23");
        QVERIFY(observer.WaitFor(State(2, QStringLiteral("mic12_volume")), "23"));
        QCOMPARE(int(w.rack.Processor(1).MemoryNow().Store.at(mic.StoredGroup(), mic.Def->Address).DATA1), 23);
        QCOMPARE(int(w.rack.Processor(1).MemoryNow().CurrentGroup), 3);
        // The button writes the memory as a preset file.
        observer.Publish(Command(2, QStringLiteral("backup")), "PRESS");
        QVERIFY(QTest::qWaitFor([&] {
            return !QDir(backups_.path()).entryList({Node(2) + "-*.PA"}, QDir::Files).isEmpty();
        }, 10000));
    }

    void brokerRestartLosesNoState() {
        KorvadWorld w(Options());
        QVERIFY2(w.started, qPrintable(w.error));
        QVERIFY(w.AllOnline());
        {
            Observer observer(broker_);
            QVERIFY(QTest::qWaitFor([&] { return !observer.Last(State(3, QStringLiteral("music_volume"))).isEmpty(); }, 10000));
        }
        broker_.Kill();
        // Changed while the broker is away, through the HTTP API.
        QCOMPARE(w.Request("PUT", KorvadWorld::Target(3, "/parameters/music.volume"), "{\"value\": 61}").Status, 200);
        QVERIFY(broker_.Start());
        Observer observer(broker_);
        QVERIFY(observer.Connected());
        // The restarted broker kept nothing: korvad has published everything again.
        QVERIFY(observer.WaitFor(korvad::mqtt::BridgeStatusTopic(kServiceName), "online"));
        QVERIFY(observer.WaitFor(State(3, QStringLiteral("music_volume")), "61"));
        QVERIFY(observer.WaitFor(State(3, QStringLiteral("online")), "ON"));
        QVERIFY(!observer.Last(QStringLiteral("homeassistant/number/korva_%1/music_volume/config").arg(Node(3))).isEmpty());
        observer.Publish(Command(3, QStringLiteral("mic3_volume")), "12");
        QVERIFY(observer.WaitFor(State(3, QStringLiteral("mic3_volume")), "12"));
    }

    void goneProcessorIsForgotten() {
        korvad::ServiceOptions options = Options();
        options.forgetAfterSeconds = 1;
        KorvadWorld w(options);
        QVERIFY2(w.started, qPrintable(w.error));
        QVERIFY(w.AllOnline());
        Observer observer(broker_);
        const QString config = QStringLiteral("homeassistant/number/korva_%1/music_volume/config").arg(Node(3));
        QVERIFY(QTest::qWaitFor([&] { return !observer.Last(config).isEmpty(); }, 10000));
        const int announced = observer.Count(config);
        w.rack.Processor(2).Unplug();
        QVERIFY(observer.WaitFor(korvad::mqtt::AvailabilityTopic(Node(3)), "offline"));
        QVERIFY(observer.WaitFor(State(3, QStringLiteral("online")), "OFF"));
        // Then every retained message of it is emptied, and only of it.
        QVERIFY(QTest::qWaitFor([&] { return observer.Count(config) > announced && observer.Last(config).isEmpty(); }, 20000));
        QVERIFY(observer.Last(State(3, QStringLiteral("music_volume"))).isEmpty());
        QVERIFY(!observer.Last(QStringLiteral("homeassistant/number/korva_%1/music_volume/config").arg(Node(2))).isEmpty());
    }

    // The broker's login at start-up: refused logins stop korvad with the reason and never show the password;
    // the password may come from a file (kept out of the process list) instead of the URL.
    void startUpLogin_data() {
        QTest::addColumn<QString>("password");     // in the URL
        QTest::addColumn<QByteArray>("passwordFile"); // its contents; null: no --mqtt-password-file; "-": missing
        QTest::addColumn<QString>("message");      // on standard error
        QTest::addColumn<bool>("runs");
        const QString refused = QStringLiteral("拒绝登录：用户名或密码错误");
        QTest::newRow("wrong password") << "guess" << QByteArray() << refused << false;
        QTest::newRow("no password") << "" << QByteArray() << refused << false;
        QTest::newRow("password from a file") << "" << (kPassword + "\r\n").toUtf8() << QStringLiteral("已连接 MQTT 代理")
                                              << true;
        QTest::newRow("file overrides the URL") << "guess" << kPassword.toUtf8() << QStringLiteral("已连接 MQTT 代理")
                                                << true;
        QTest::newRow("wrong password in a file") << "" << QByteArray("guess\n") << refused << false;
        QTest::newRow("password file missing") << "" << QByteArray("-") << QStringLiteral("MQTT 密码文件") << false;
    }
    void startUpLogin() {
        QFETCH(QString, password);
        QFETCH(QByteArray, passwordFile);
        QFETCH(QString, message);
        QFETCH(bool, runs);
        QTemporaryDir state;
        QString url = broker_.Url(password);
        if (password.isEmpty()) {
            url.replace(QStringLiteral(":@"), QStringLiteral("@"));
        }
        QStringList arguments{"--demo=1", "--listen", "127.0.0.1:0", "--state-dir", state.path(), "--mqtt", url};
        if (!passwordFile.isNull()) {
            const QString path = state.filePath(QStringLiteral("mqtt-password"));
            if (passwordFile != "-") {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly) && file.write(passwordFile) == passwordFile.size());
            }
            arguments << "--mqtt-password-file" << path;
        }
        QProcess korvad;
        korvad.start(QStringLiteral(KORVAD_PATH), arguments);
        QString error;
        QVERIFY(QTest::qWaitFor([&] {
            error += QString::fromUtf8(korvad.readAllStandardError());
            return error.contains(message) || korvad.state() == QProcess::NotRunning;
        }, 15000));
        if (runs) {
            QVERIFY2(korvad.state() == QProcess::Running, qPrintable(error));
            korvad.terminate();
            QVERIFY(korvad.waitForFinished(10000));
        } else {
            QVERIFY(korvad.state() == QProcess::NotRunning || korvad.waitForFinished(15000));
            QCOMPARE(korvad.exitCode(), korvad::kExitFailure);
            error += QString::fromUtf8(korvad.readAllStandardError());
        }
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY2(!error.contains(kPassword) && (password.isEmpty() || !error.contains(password)), qPrintable(error));
    }
};

QTEST_MAIN(TstMqtt)
#include "tst_mqtt.moc"
