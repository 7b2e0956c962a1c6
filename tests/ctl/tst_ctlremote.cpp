// korva-ctl --remote against a korvad over three virtual processors on a loopback port, side by side with
// korva-ctl on three local virtual processors: the same commands give the same results. And one program
// per processor: a processor another program has open is refused naming it, and a crashed holder does not
// keep it.
#include "CtlBench.h"

#include "link/DeviceLock.h"
#include "sim/VirtualRack.h"

#include <QTcpServer>
#include <csignal>

using namespace korva;
using namespace korva::test;

namespace {

constexpr int kWaitMs = 30000;

quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The parts of a result that say where the processor is, which differ between a local and a remote run.
QJsonObject WithoutPlace(QJsonObject o) {
    for (const char* key : {"device", "url", "messages"}) {
        o.remove(QLatin1String(key));
    }
    return o;
}

} // namespace

class TestCtlRemote : public QObject {
    Q_OBJECT

    CtlBench local_{0}; // the local processors start with the factory memory, as korvad --demo's do
    QTemporaryDir korvadState_;
    QProcess korvad_;
    QString url_;
    QByteArray token_;

    Run Remote(const QStringList& args, const QByteArray& token) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("KORVA_TOKEN"));
        if (!token.isEmpty()) {
            env.insert(QStringLiteral("KORVA_TOKEN"), QString::fromLatin1(token));
        }
        return CtlBench::Start(args, env, local_.dir.path());
    }

private slots:
    void initTestCase() {
        QProcess add;
        add.start(QStringLiteral(KORVAD), {"token", "add", "tester", "--state-dir", korvadState_.path()});
        QVERIFY(add.waitForFinished(kWaitMs));
        token_ = add.readAllStandardOutput().trimmed();
        QVERIFY(!token_.isEmpty());
        const quint16 port = FreePort();
        url_ = QStringLiteral("http://127.0.0.1:%1").arg(port);
        korvad_.start(QStringLiteral(KORVAD), {"--demo=3", "--listen", QStringLiteral("127.0.0.1:%1").arg(port),
                                               "--state-dir", korvadState_.path()});
        QVERIFY(korvad_.waitForStarted(kWaitMs));
        // Ready when every processor answers.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const Run run = Remote({"--remote", url_, "--json", "list"}, token_);
                return run.exit == 0 && run.Json().size() == 3;
            },
            kWaitMs));
        QDir().mkpath(local_.Path(QStringLiteral("state")));
        local_.Preset(QStringLiteral("room.PA"), ParamImage::Of(RandomMemory(7)));
        const std::pair<const char*, const char*> files[] = {
            {"filters.txt", "Filter Settings file\n\nFilter  1: ON  PK       Fc   100,0 Hz  Gain  -3.00 dB  Q  1.000\n"
                            "Filter  2: ON  PK       Fc   1000 Hz   Gain   4.00 dB  Q  2.000\n"
                            "Filter  3: OFF PK       Fc   3000 Hz   Gain   2.00 dB  Q  1.000\n"},
            {"room.txt", "* REW text export\n20 80\n60 86\n125 82\n260 74\n1000 76\n4000 74\n10000 70\n20000 64\n"},
            {"target.csv", "frequency,raw\n20,4\n1000,0\n20000,-3\n"},
            {"high.txt", "5000 70\n20000 60\n"}};
        for (const auto& [name, text] : files) {
            QFile file(local_.Path(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        }
    }

    void cleanupTestCase() {
        korvad_.terminate();
        if (!korvad_.waitForFinished(kWaitMs)) {
            korvad_.kill();
            korvad_.waitForFinished(kWaitMs);
        }
    }

    // Rows run in order against both sides, each continuing from the state the previous rows left.
    void remoteMatchesLocal_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::newRow("restore") << QStringList{"restore", "room.PA"} << 0;
        QTest::newRow("verify equal") << QStringList{"verify", "room.PA"} << 0;
        QTest::newRow("set") << QStringList{"set", "mic12.eq3.freq=1.2k", "g3.echo.delay=230"} << 0;
        QTest::newRow("get names") << QStringList{"get", "mic12.eq3.freq", "g3.echo.delay"} << 0;
        QTest::newRow("get group") << QStringList{"--group", "3", "get"} << 0;
        QTest::newRow("verify differs") << QStringList{"verify", "room.PA"} << 1;
        QTest::newRow("backup") << QStringList{"backup", "out.PA"} << 0;
        QTest::newRow("set out of range, nothing sent") << QStringList{"set", "mic12.eq3.freq=99k"} << 2;
        QTest::newRow("set on every processor") << QStringList{"set", "g1.mic12.eq3.freq=1k", "--all"} << 0;
        QTest::newRow("verify every processor") << QStringList{"--all", "verify", "room.PA"} << 1;
        QTest::newRow("eq import, dry run") << QStringList{"eq", "import", "filters.txt", "--channel", "mic12", "--dry-run"}
                                            << 0;
        QTest::newRow("eq import") << QStringList{"eq", "import", "filters.txt", "--channel", "music"} << 0;
        QTest::newRow("eq fit to a target on MODEL 2")
            << QStringList{"--group", "2", "eq", "fit", "room.txt", "--target", "target.csv", "--channel", "mic12",
                           "--max-boost", "3", "--from", "30", "--to", "16k", "--cuts"}
            << 0;
        QTest::newRow("eq export") << QStringList{"eq", "export", "--channel", "music", "--format", "apo"} << 0;
        QTest::newRow("eq fit refused, nothing sent") << QStringList{"eq", "fit", "high.txt", "--channel", "music"} << 2;
    }
    void remoteMatchesLocal() {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        const QStringList common = QStringList{"--json", "--serial", "SIM-0002"};
        const QStringList withSelection = args.contains(QStringLiteral("--all")) ? QStringList{"--json"} : common;
        const Run here = local_.Ctl(QStringList{"--demo=3"} + withSelection + args);
        const bool backup = args.front() == QLatin1String("backup");
        ParamImage localBackup;
        if (backup) {
            QVERIFY(LoadPresetImage(local_.Path(QStringLiteral("out.PA")), localBackup));
            QVERIFY(QFile::remove(local_.Path(QStringLiteral("out.PA"))));
        }
        const Run there = Remote(QStringList{"--remote", url_} + withSelection + args, token_);
        QCOMPARE(here.exit, exit);
        QCOMPARE(there.exit, here.exit);
        const QList<QJsonObject> a = here.Json();
        const QList<QJsonObject> b = there.Json();
        QCOMPARE(b.size(), a.size());
        QVERIFY(!a.isEmpty());
        for (qsizetype i = 0; i < a.size(); ++i) {
            QCOMPARE(WithoutPlace(b[i]), WithoutPlace(a[i]));
            if (b[i].contains(QStringLiteral("device"))) {
                QCOMPARE(b[i].value(QStringLiteral("url")).toString(), url_);
            }
        }
        if (backup) {
            // Every byte a download carries (the demo's state files do not keep the menu table).
            ParamImage remoteBackup;
            QVERIFY(LoadPresetImage(local_.Path(QStringLiteral("out.PA")), remoteBackup));
            QCOMPARE(CompareImages(localBackup, remoteBackup, DownloadedCells()).size(), size_t(0));
        }
    }

    void remoteFailures_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("error");
        QTest::newRow("no token") << QStringList{"list"} << QByteArray() << 2 << "unauthorized";
        QTest::newRow("wrong token") << QStringList{"set", "echo.delay=100"} << QByteArray("korva_wrong") << 2
                                     << "unauthorized";
        QTest::newRow("unknown serial") << QStringList{"--serial", "SIM-0009", "get"} << QByteArray("good") << 3
                                        << "not_found";
        QTest::newRow("nobody listening") << QStringList{"--remote", "http://127.0.0.1:1", "list"}
                                          << QByteArray("good") << 3 << "remote_unreachable";
    }
    void remoteFailures() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, token);
        QFETCH(int, exit);
        QFETCH(QString, error);
        const QStringList target =
            args.contains(QStringLiteral("--remote")) ? QStringList() : QStringList{"--remote", url_};
        const Run run = Remote(QStringList{"--json"} + target + args, token == "good" ? token_ : token);
        QCOMPARE(run.exit, exit);
        const QList<QJsonObject> objects = run.Json();
        QCOMPARE(objects.size(), 1);
        QCOMPARE(objects.front().value(QStringLiteral("error")).toString(), error);
        QVERIFY(!objects.front().value(QStringLiteral("message")).toString().isEmpty());
    }

    // A device node is locked on the node itself (any readable character device stands in for a hidraw
    // node): a second open is refused and told who holds it, and the lock goes with its holder.
    void deviceNodeLock() {
        const QString node = QStringLiteral("/dev/null");
        std::optional<DeviceLock::Attempt> mine(DeviceLock::TryAcquire(node));
        QVERIFY(mine->Lock);
        const DeviceLock::Attempt second = DeviceLock::TryAcquire(node);
        QVERIFY(!second.Lock);
        QVERIFY(second.HeldBy);
        QCOMPARE(second.HeldBy->Pid, qint64(QCoreApplication::applicationPid()));
        mine.reset();
        QVERIFY(!QFile::exists(DeviceLock::FileFor(node)));
        QVERIFY(DeviceLock::TryAcquire(node).Lock);
    }

    // korva-ctl runs that share a demo state folder share its processors' locks.
    void secondProgramRefused_data() {
        QTest::addColumn<bool>("holderCrashes");
        QTest::newRow("holder running") << false;
        QTest::newRow("holder killed") << true;
    }
    void secondProgramRefused() {
        QFETCH(bool, holderCrashes);
        CtlBench bench(1);
        const QString lockName = sim::VirtualLockName(
            nullptr, QStringLiteral("sim-state:") + QDir(bench.Path(QStringLiteral("state"))).absolutePath(),
            sim::VirtualRack::PathOf(1));
        if (!holderCrashes) {
            DeviceLock::Attempt mine = DeviceLock::TryAcquire(lockName);
            QVERIFY(mine.Lock);
            const Run run = bench.Ctl({"--demo", "--json", "get", "echo.delay"});
            QCOMPARE(run.exit, 3);
            const QJsonObject o = run.Json().value(0);
            QCOMPARE(o.value(QStringLiteral("error")).toString(), QStringLiteral("device_locked"));
            const QString message = o.value(QStringLiteral("message")).toString();
            QVERIFY2(message.contains(QCoreApplication::applicationName()) &&
                         message.contains(QString::number(QCoreApplication::applicationPid())) &&
                         message.contains(QStringLiteral("--remote")),
                     qPrintable(message));
            return;
        }
        // A processor that never answers keeps korva-ctl in its handshake, holding the lock.
        QProcess holder;
        CtlBench::Launch(holder, bench.DemoArgs({"--demo", "list"}, QStringLiteral("silent")), bench.dir.path());
        // Watched through the lock file, without trying the lock (that would take it from korva-ctl).
        QFile lockFile(DeviceLock::FileFor(lockName));
        const QByteArray held = "korva-ctl " + QByteArray::number(holder.processId());
        QVERIFY(QTest::qWaitFor(
            [&] {
                const bool open = lockFile.open(QIODevice::ReadOnly);
                const bool holds = open && lockFile.readAll().trimmed() == held;
                lockFile.close();
                return holds;
            },
            kWaitMs));
        ::kill(pid_t(holder.processId()), SIGKILL);
        QVERIFY(holder.waitForFinished(kWaitMs));
        QVERIFY(DeviceLock::TryAcquire(lockName).Lock);
        QCOMPARE(bench.Ctl({"--demo", "get", "echo.delay"}).exit, 0);
    }
};

QTEST_GUILESS_MAIN(TestCtlRemote)
#include "tst_ctlremote.moc"
