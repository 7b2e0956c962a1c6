// What scripts rely on from korva-ctl, end to end as processes against its virtual processors: the JSON
// objects of every outcome, exit codes when output cannot be written, interrupts, and messages that say
// what happened.
#include "../model/PresetFileEdits.h"
#include "CtlBench.h"
#include "model/FileAccess.h"

#include <QFile>
#include <QJsonArray>
#include <QTest>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace korva;
using korva::test::CtlBench;
using korva::test::Run;

namespace {

// FILE: the first processor's memory as a preset; CHANGED: the same with one EQ frequency changed; BAD: a
// value no preset holds.
QStringList Placed(const QStringList& args, const CtlBench& bench) {
    QStringList placed;
    for (const QString& arg : args) {
        ParamImage image = bench.Memory(0);
        if (arg == QLatin1String("FILE") || arg == QLatin1String("BAD")) {
            placed << bench.Preset(arg + QStringLiteral(".PA"), image);
            if (arg == QLatin1String("BAD")) {
                if (!test::SetPresetKeys(placed.back(), {"GROUP3.ADDR0=256"})) {
                    qWarning() << "cannot edit" << placed.back();
                }
            }
        } else if (arg == QLatin1String("CHANGED")) {
            image.Store.at(0, 0x46).DATA1 ^= 1;
            placed << bench.Preset(QStringLiteral("CHANGED.PA"), image);
        } else {
            placed << arg;
        }
    }
    return placed;
}

QStringList DemoOf(int processors) {
    if (processors == 0) {
        return {};
    }
    return {QStringLiteral("--demo=%1").arg(processors)};
}

const QStringList kBaseKeys{"command", "ok", "exit", "error", "message"};
const QStringList kDeviceKeys{"device", "serial", "product", "messages"};

int SignalNumber(const QString& name) {
    return name == QLatin1String("INT") ? SIGINT : name == QLatin1String("TERM") ? SIGTERM : SIGHUP;
}

} // namespace

class TstCtlContract : public QObject {
    Q_OBJECT
private slots:
    // Under --json every outcome is objects on standard output, one per processor (one for a refusal
    // before any processor), with the keys of its command.
    void jsonObjectsOfEveryOutcome_data() {
        QTest::addColumn<int>("processors"); // virtual processors; 0: none (--demo not given)
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("faults");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("error"); // the code in every object; empty: null
        QTest::addColumn<int>("objects");
        QTest::addColumn<QStringList>("keys");     // besides command, ok, exit, error, message
        QTest::addColumn<QStringList>("contains"); // in the output
        const QStringList dev = kDeviceKeys;
        const QStringList restored = dev + QStringList{"file", "download", "verified", "differences"};
        QTest::newRow("list") << 2 << QStringList{"list"} << "" << 0 << "" << 2
                              << dev + QStringList{"answers"} << QStringList{"\"answers\":true"};
        QTest::newRow("list, a silent processor")
            << 1 << QStringList{"list"} << "silent" << 3 << "no_answer" << 1 << dev + QStringList{"answers"}
            << QStringList{"\"answers\":false"};
        QTest::newRow("usage") << 0 << QStringList{"--frobnicate", "list"} << "" << 2 << "usage" << 1
                               << QStringList{} << QStringList{"\"command\":null"};
        QTest::newRow("backup") << 1 << QStringList{"backup", "b.PA"} << "" << 0 << "" << 1
                                << dev + QStringList{"file"} << QStringList{"\"file\":\"b.PA\""};
        QTest::newRow("backup into a missing folder") << 1 << QStringList{"backup", "none/b.PA"} << "" << 2
                                                      << "not_found" << 1 << QStringList{} << QStringList{};
        QTest::newRow("restore") << 1 << QStringList{"restore", "FILE"} << "" << 0 << "" << 1 << restored
                                 << QStringList{"\"finished\":true", "\"verified\":true"};
        QTest::newRow("restore of a bad file") << 1 << QStringList{"restore", "BAD"} << "" << 2 << "bad_file"
                                               << 1 << QStringList{} << QStringList{};
        QTest::newRow("restore cut off")
            << 1 << QStringList{"restore", "FILE"} << "unplug-after-blocks=5" << 3 << "link_lost" << 1
            << restored
            << QStringList{"\"blocks_written\":[\"common\",\"g1.0x00\",\"g1.0x40\",\"g1.0x80\"]",
                           "\"unanswered\":\"g2.0x00\""};
        QTest::newRow("restore read back different")
            << 1 << QStringList{"restore", "FILE"} << "misstore-block=3" << 1 << "readback_mismatch" << 1
            << restored << QStringList{"\"finished\":true", "\"verified\":true", "\"block\":\"g1.0x40\""};
        QTest::newRow("verify, one difference")
            << 1 << QStringList{"verify", "CHANGED"} << "" << 1 << "" << 1
            << dev + QStringList{"file", "differences"} << QStringList{"\"name\":\"g1.mic12.eq3.freq\""};
        QTest::newRow("diff, one difference")
            << 0 << QStringList{"diff", "FILE", "CHANGED"} << "" << 1 << "" << 1
            << QStringList{"files", "differences"} << QStringList{"\"old_raw\":"};
        QTest::newRow("diff with a missing file") << 0 << QStringList{"diff", "FILE", "none.PA"} << "" << 2
                                                  << "not_found" << 1 << QStringList{} << QStringList{};
        QTest::newRow("get") << 1 << QStringList{"get", "music.volume"} << "" << 0 << "" << 1
                             << dev + QStringList{"values"} << QStringList{"\"name\":\"music.volume\""};
        QTest::newRow("get of a group that does not exist")
            << 1 << QStringList{"get", "g9.x"} << "" << 2 << "unknown_name" << 1 << QStringList{}
            << QStringList{};
        QTest::newRow("set: switch names, stored and asked values")
            << 1 << QStringList{"set", "bass.phase=180", "mic12.eq3.freq=1234"} << "" << 0 << "" << 1
            << dev + QStringList{"values"}
            << QStringList{"\"value\":\"180\"", "\"requested\":1234", "\"value\":1200"};
        QTest::newRow("set out of range") << 1 << QStringList{"set", "mic12.eq3.freq=30000"} << "" << 2
                                          << "out_of_range" << 1 << QStringList{} << QStringList{};
        QTest::newRow("set of a word for a number")
            << 1 << QStringList{"set", "mic12.eq3.freq=loud"} << "" << 2 << "bad_value" << 1 << QStringList{}
            << QStringList{};
        QTest::newRow("set with several processors and none named")
            << 2 << QStringList{"set", "music.volume=3"} << "" << 2 << "several_processors" << 1
            << QStringList{"processors"} << QStringList{"\"device\":\"sim:korva-processor-2\""};
        QTest::newRow("no processor at the path")
            << 0 << QStringList{"--device", "/dev/null", "list"} << "" << 3 << "not_found" << 1
            << QStringList{} << QStringList{"/dev/null"};
    }
    void jsonObjectsOfEveryOutcome() {
        QFETCH(int, processors);
        QFETCH(QStringList, args);
        QFETCH(QString, faults);
        QFETCH(int, exit);
        QFETCH(QString, error);
        QFETCH(int, objects);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, contains);
        CtlBench bench(std::max(processors, 1));
        const QStringList placed = Placed(args, bench);
        const Run run = bench.Ctl(QStringList{"--json"} + DemoOf(processors) + placed, faults);
        QCOMPARE(run.exit, exit);
        const QList<QJsonObject> json = run.Json();
        QCOMPARE(json.size(), objects);
        QStringList expected = kBaseKeys + keys;
        expected.sort();
        for (const QJsonObject& o : json) {
            QCOMPARE(o.keys(), expected); // in order
            QCOMPARE(o["exit"].toInt(), exit);
            QCOMPARE(o["ok"].toBool(), error.isEmpty());
            QCOMPARE(o["error"].toString(), error);
            QCOMPARE(o["error"].isNull(), error.isEmpty());
            QCOMPARE(o["message"].isNull(), error.isEmpty());
            const QString message = o["message"].toString();
            QVERIFY2(!message.contains(QLatin1Char('\n')), qPrintable(message));
            for (const QString& path : placed) {
                QVERIFY2(message.count(path) <= 1, qPrintable(message));
            }
        }
        for (const QString& text : contains) {
            QVERIFY2(run.out.contains(text), qPrintable(run.out));
        }
    }

    // A write to standard output or error that fails fails the run; a reader that closed its pipe does not.
    void outputThatCannotBeWritten_data() {
        QTest::addColumn<int>("processors");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("shell"); // korva-ctl is "$0" "$@"
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says"); // on standard error
        const QString run = QStringLiteral("set -o pipefail; \"$0\" \"$@\" ");
        QTest::newRow("a full disk after reading a processor")
            << 1 << QStringList{"get", "music.volume"} << "" << run + "> /dev/full" << 3
            << "无法写入标准输出：磁盘已满";
        QTest::newRow("standard output closed")
            << 1 << QStringList{"get", "music.volume"} << "" << run + ">&-" << 3 << "无法写入标准输出";
        QTest::newRow("JSON on a full disk")
            << 1 << QStringList{"--json", "list"} << "" << run + "> /dev/full" << 3 << "磁盘已满";
        QTest::newRow("no processor used")
            << 0 << QStringList{"--help"} << "" << run + "> /dev/full" << 2 << "磁盘已满";
        QTest::newRow("the reader closed the pipe")
            << 1 << QStringList{"get"} << "" << run + "| true" << 0 << "";
        QTest::newRow("the reader closed the pipe: a processor's failure is kept")
            << 3 << QStringList{"--all", "restore", "FILE"} << "2:silent" << run + "| true" << 3
            << "sim:korva-processor-2（序列号 SIM-0002）: 处理器没有应答握手";
    }
    void outputThatCannotBeWritten() {
        QFETCH(int, processors);
        QFETCH(QStringList, args);
        QFETCH(QString, faults);
        QFETCH(QString, shell);
        QFETCH(int, exit);
        QFETCH(QString, says);
        CtlBench bench(std::max(processors, 1));
        const Run run = bench.Shell(shell, DemoOf(processors) + Placed(args, bench), faults);
        QCOMPARE(run.exit, exit);
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
    }

    void interrupts_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("faults");
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QStringList>("sends"); // "MS:SIGNAL": wait MS, then send it
        QTest::addColumn<int>("endedBy");       // the signal that ended korva-ctl; 0: it exited
        QTest::addColumn<int>("exit");          // in every JSON object
        QTest::addColumn<QString>("error");     // in every JSON object
        QTest::addColumn<int>("notices");       // "finishing first" on standard error
        // Dropped answers keep the command busy: 1.3 seconds each.
        QTest::newRow("two at once (timeout -s INT): one request, the restore finishes")
            << QStringList{"--demo=2", "--all", "restore", "FILE"} << "1:drop-answers=3"
            << "" << QStringList{"1500:INT", "0:INT"} << 0 << 0 << "" << 1;
        QTest::newRow("ignored at start (nohup) stays ignored")
            << QStringList{"--demo", "restore", "FILE"} << "drop-answers=3"
            << "trap '' HUP; exec \"$0\" \"$@\"" << QStringList{"1000:HUP", "1500:HUP"} << 0 << 0 << "" << 0;
        QTest::newRow("a reading command stops at once and says so")
            << QStringList{"--demo", "backup", "b.PA"} << "drop-answers=3"
            << "" << QStringList{"1000:INT"} << SIGINT << 128 + SIGINT << "interrupted" << 0;
        QTest::newRow("a second one later ends a restore at once")
            << QStringList{"--demo", "restore", "FILE"} << "drop-answers=6"
            << "" << QStringList{"1000:TERM", "1500:TERM"} << SIGTERM << 128 + SIGTERM << "interrupted" << 1;
    }
    void interrupts() {
        QFETCH(QStringList, args);
        QFETCH(QString, faults);
        QFETCH(QString, shell);
        QFETCH(QStringList, sends);
        QFETCH(int, endedBy);
        QFETCH(int, exit);
        QFETCH(QString, error);
        QFETCH(int, notices);
        CtlBench bench;
        QProcess process;
        CtlBench::Launch(process, bench.DemoArgs(QStringList{"--json"} + Placed(args, bench), faults),
                         bench.dir.path(), shell);
        QVERIFY(process.waitForStarted());
        for (const QString& send : sends) {
            QTest::qWait(send.section(QLatin1Char(':'), 0, 0).toInt());
            QCOMPARE(process.state(), QProcess::Running);
            ::kill(pid_t(process.processId()), SignalNumber(send.section(QLatin1Char(':'), 1)));
        }
        const Run run = CtlBench::Finish(process);
        QCOMPARE(process.exitStatus(), endedBy ? QProcess::CrashExit : QProcess::NormalExit);
        QCOMPARE(run.exit, endedBy ? -1 : exit);
        const QList<QJsonObject> json = run.Json();
        QCOMPARE(json.size(), args.contains(QStringLiteral("--demo=2")) ? 2 : 1);
        for (const QJsonObject& o : json) {
            QCOMPARE(o["exit"].toInt(), exit);
            QCOMPARE(o["error"].toString(), error);
        }
        QCOMPARE(run.err.count(QStringLiteral("完成并报告后再退出")), notices);
        // A backup stopped while reading writes no file.
        QVERIFY(!QFile::exists(bench.Path(QStringLiteral("b.PA"))) || !endedBy);
    }

    // Files as scripts and attackers hand them over: backups replace the path given with a fresh regular
    // file or refuse, and only regular files of sensible size are read; names keep their bytes.
    void filesAsGiven_data() {
        QTest::addColumn<QString>("setup"); // what the folder holds before
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("shell");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("says"); // in the JSON output
        const QString badName = QStringLiteral("\"$0\" \"$@\" $'bad\\xffname.PA'");
        QTest::newRow("backup through a symbolic link: refused, its target untouched")
            << "link" << QStringList{"backup", "link.PA"} << "" << 2 << "not_regular_file"
            << "符号链接";
        QTest::newRow("backup over a file with other text: a fresh file")
            << "foreign" << QStringList{"backup", "notes.PA"} << "" << 0 << ""
            << "\"file\":\"notes.PA\"";
        QTest::newRow("backup into a FIFO: refused, not blocked")
            << "fifo" << QStringList{"backup", "f.PA"} << "" << 2 << "not_regular_file"
            << "FIFO";
        QTest::newRow("restore from a FIFO: refused, not blocked")
            << "fifo" << QStringList{"restore", "f.PA"} << "" << 2 << "not_regular_file"
            << "FIFO";
        QTest::newRow("restore from a folder")
            << "folder" << QStringList{"restore", "dir.PA"} << "" << 2 << "not_regular_file"
            << "文件夹";
        QTest::newRow("a file that never ends (size 0 reported)")
            << "" << QStringList{"diff", "/proc/self/pagemap", "FILE"} << "" << 2 << "too_large"
            << "16 MB";
        QTest::newRow("an empty name") << "" << QStringList{"backup", ""} << "" << 2 << "name_too_long"
                                       << "";
        QTest::newRow("a key written twice: both lines named")
            << "" << QStringList{"restore", "TWICE"} << "" << 2 << "bad_file"
            << "重复，第";
        QTest::newRow("a name that is not UTF-8: written under its bytes, shown escaped")
            << "" << QStringList{"backup"} << badName << 0 << ""
            << "bad\\\\xFFname.PA";
    }
    void filesAsGiven() {
        QFETCH(QString, setup);
        QFETCH(QStringList, args);
        QFETCH(QString, shell);
        QFETCH(int, exit);
        QFETCH(QString, error);
        QFETCH(QString, says);
        CtlBench bench;
        const QByteArray folder = QFile::encodeName(bench.dir.path()) + '/';
        const QByteArray decoy("decoy text");
        if (setup == QLatin1String("link")) {
            QFile file(bench.Path(QStringLiteral("decoy")));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(decoy) == decoy.size());
            file.close();
            QVERIFY(QFile::link(bench.Path(QStringLiteral("decoy")), bench.Path(QStringLiteral("link.PA"))));
        } else if (setup == QLatin1String("foreign")) {
            QFile file(bench.Path(QStringLiteral("notes.PA")));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[Other]\r\nforeign=1\r\n") > 0);
        } else if (setup == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo((folder + "f.PA").constData(), 0600), 0);
        } else if (setup == QLatin1String("folder")) {
            QVERIFY(QDir(bench.dir.path()).mkdir(QStringLiteral("dir.PA")));
        }
        QStringList placed;
        for (const QString& arg : Placed(args, bench)) {
            placed << arg;
            if (arg == QLatin1String("TWICE")) {
                placed.back() = bench.Preset(QStringLiteral("twice.PA"), bench.Memory(0));
                QFile file(placed.back());
                QVERIFY(file.open(QIODevice::Append) && file.write("GROUP1.ADDR0=1\r\n") > 0);
            }
        }
        const QStringList all = QStringList{"--json", "--demo"} + placed;
        const Run run = shell.isEmpty() ? bench.Ctl(all) : bench.Shell(shell, all);
        QCOMPARE(run.exit, exit);
        const QList<QJsonObject> json = run.Json();
        QCOMPARE(json.size(), 1);
        QCOMPARE(json[0]["error"].toString(), error);
        QVERIFY2(run.out.contains(says), qPrintable(run.out));
        if (setup == QLatin1String("link")) {
            QFile file(bench.Path(QStringLiteral("decoy")));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), decoy);
        } else if (setup == QLatin1String("foreign")) {
            ParamImage saved;
            QVERIFY(LoadPresetImageStrict(bench.Path(QStringLiteral("notes.PA")), saved));
            QFile file(bench.Path(QStringLiteral("notes.PA")));
            QVERIFY(file.open(QIODevice::ReadOnly));
            QVERIFY(!file.readAll().contains("foreign"));
        } else if (!shell.isEmpty()) {
            QCOMPARE(::access((folder + "bad\xffname.PA").constData(), F_OK), 0);
            // Qt could not remove it with the folder: it would take the name for another.
            ::unlink((folder + "bad\xffname.PA").constData());
        }
    }

    void messagesSayWhatHappened_data() {
        QTest::addColumn<int>("processors");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("faults");
        QTest::addColumn<bool>("terminal"); // standard output and error on a terminal
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says");    // on standard output or error
        QTest::addColumn<QString>("saysNot"); // on neither
        QTest::newRow("a device path that is no processor")
            << 0 << QStringList{"--device", "/dev/null", "list"} << "" << false << 3
            << "/dev/null 不是前级处理器（USB 0483:6850）：它不是 USB HID 设备（hidraw）"
            << "";
        QTest::newRow("what get reads without names")
            << 0 << QStringList{"--help"} << "" << false << 0
            << "不给名称时读出全部公共参数和 --group 所指参数组的参数"
            << "";
        QTest::newRow("a group outside 1 to 8")
            << 1 << QStringList{"get", "g9.x"} << "" << false << 2 << "没有参数组 g9，参数组是 g1 到 g8"
            << "";
        QTest::newRow("a frequency between the grid's")
            << 1 << QStringList{"set", "mic12.eq3.freq=1234"} << "" << false << 0
            << "1200 Hz（要求 1234，按处理器的步长存为 1200 Hz）"
            << "";
        QTest::newRow("a gain between 0.2 dB steps")
            << 1 << QStringList{"set", "mic12.eq3.gain=-3.33"} << "" << false << 0
            << "-3.4 dB（要求 -3.33，按处理器的步长存为 -3.4 dB）"
            << "";
        QTest::newRow("a value stored as asked")
            << 1 << QStringList{"set", "mic12.eq3.freq=1.2k"} << "" << false << 0 << "1200 Hz\n"
            << "要求";
        // The silent processor would fail the read (exit 3): the folder is checked first.
        QTest::newRow("the backup's folder is checked before the read")
            << 2 << QStringList{"--all", "backup", "none/rack.PA"} << "2:silent" << false << 2 << "文件夹"
            << "没有应答";
        QTest::newRow("no empty header for a processor that failed")
            << 2 << QStringList{"--all", "backup", "rack.PA"} << "2:silent" << false << 3
            << "== sim:korva-processor-1"
            << "== sim:korva-processor-2";
        QTest::newRow("the progress bar names its unit and counts down while an answer is late")
            << 1 << QStringList{"backup", "room.PA"} << "drop-answers=1" << true << 0 << "秒后超时"
            << "";
        QTest::newRow("what the progress bar counts")
            << 1 << QStringList{"backup", "room.PA"} << "" << true << 0 << "已传送 28/28 块"
            << "";
    }
    void messagesSayWhatHappened() {
        QFETCH(int, processors);
        QFETCH(QStringList, args);
        QFETCH(QString, faults);
        QFETCH(bool, terminal);
        QFETCH(int, exit);
        QFETCH(QString, says);
        QFETCH(QString, saysNot);
        CtlBench bench(std::max(processors, 1));
        // The progress bar shows only on a terminal; script(1) gives the program one, where the system
        // can open a pseudo-terminal (a bare chroot without /dev/pts cannot).
        if (terminal && bench.Shell(QStringLiteral("script -qfec true /dev/null"), {}).exit != 0) {
            QSKIP("no pseudo-terminal can be opened here");
        }
        const QStringList all = DemoOf(processors) + args;
        const Run run =
            terminal ? bench.Shell("script -qfec \"$(printf '%q ' \"$0\" \"$@\")\" /dev/null", all, faults)
                     : bench.Ctl(all, faults);
        QCOMPARE(run.exit, exit);
        const QString said = run.out + run.err;
        QVERIFY2(said.contains(says), qPrintable(said));
        QVERIFY2(saysNot.isEmpty() || !said.contains(saysNot), qPrintable(said));
    }
};

QTEST_GUILESS_MAIN(TstCtlContract)
#include "tst_ctlcontract.moc"
