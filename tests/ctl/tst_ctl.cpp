// korva-ctl end to end: the program runs as a process against its virtual processors (--demo), through the
// same USB transport and protocol as with real ones. Each processor's memory is set up and inspected through
// the demo's state files; faults come from the demo's fault list.
#include "../model/PresetFileEdits.h"
#include "CtlBench.h"
#include "eq/EqScales.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <csignal>

using namespace korva;
using korva::test::CtlBench;
using korva::test::RandomMemory;
using korva::test::Run;
using korva::test::SetPresetKeys;

Q_DECLARE_METATYPE(korva::ImageCell)

namespace {

// The first cell of cells where the images differ, as text, or empty.
QString FirstDifference(const ParamImage& a, const ParamImage& b, const std::vector<ImageCell>& cells) {
    const std::vector<ImageDifference> d = CompareImages(a, b, cells);
    return d.empty() ? QString() : d.front().Describe();
}

// The bytes a backup takes from the processor: those a read fills that the file carries.
std::vector<ImageCell> BackedUpCells() {
    std::vector<ImageCell> cells;
    const std::vector<ImageCell>& read = ReadCells();
    for (const ImageCell& c : PresetCells()) {
        if (std::find(read.begin(), read.end(), c) != read.end()) {
            cells.push_back(c);
        }
    }
    return cells;
}

std::vector<ImageCell> StoreCells(const std::vector<ImageCell>& cells) {
    std::vector<ImageCell> store;
    std::copy_if(cells.begin(), cells.end(), std::back_inserter(store),
                 [](const ImageCell& c) { return !c.Menu; });
    return store;
}

} // namespace

class TstCtl : public QObject {
    Q_OBJECT
private slots:
    void backupIsTheDeviceMemory_data() {
        QTest::addColumn<int>("processors");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("faults");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QStringList>("files"); // written, one per processor in order
        QTest::newRow("one processor")
            << 1 << QStringList{"backup", "room.PA"} << "" << 0 << QStringList{"room.PA"};
        QTest::newRow("dropped answers are retried")
            << 1 << QStringList{"backup", "room.PA"} << "drop-answers=2" << 0 << QStringList{"room.PA"};
        QTest::newRow("unplugged during the read: no file")
            << 1 << QStringList{"backup", "room.PA"} << "unplug-after-frames=10" << 3 << QStringList{};
        QTest::newRow("--all: one file per processor")
            << 2 << QStringList{"--all", "backup", "rack-{serial}.PA"} << "" << 0
            << QStringList{"rack-SIM-0001.PA", "rack-SIM-0002.PA"};
        QTest::newRow("placeholder with one processor") << 1 << QStringList{"backup", "room-{n}-{serial}.PA"}
                                                        << "" << 0 << QStringList{"room-1-SIM-0001.PA"};
        QTest::newRow("--all without a placeholder")
            << 2 << QStringList{"--all", "backup", "rack.PA"} << "" << 0
            << QStringList{"rack-SIM-0001.PA", "rack-SIM-0002.PA"};
    }
    void backupIsTheDeviceMemory() {
        QFETCH(int, processors);
        QFETCH(QStringList, args);
        QFETCH(QString, faults);
        QFETCH(int, exit);
        QFETCH(QStringList, files);
        CtlBench bench(processors);
        const Run run = bench.Ctl(QStringList{QStringLiteral("--demo=%1").arg(processors)} + args, faults);
        QCOMPARE(run.exit, exit);
        for (int i = 0; i < int(files.size()); ++i) {
            ParamImage saved = ParamImage::Defaults();
            QVERIFY2(LoadPresetImage(bench.Path(files[i]), saved), qPrintable(files[i]));
            // Every byte the file carries from the processor, the menu table included.
            QCOMPARE(FirstDifference(ParamImage::Of(bench.memories[size_t(i)]), saved, BackedUpCells()),
                     QString());
        }
        // Never a partial file.
        const QStringList presets = QDir(bench.dir.path()).entryList({"*.PA"}, QDir::Files);
        QCOMPARE(presets.size(), files.size());
    }

    void restoreReadsBack_data() {
        QTest::addColumn<QString>("faults");
        QTest::addColumn<bool>("badFile");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QStringList>("says");
        QTest::newRow("clean") << "" << false << 0 << QStringList{"回读校验一致"};
        QTest::newRow("dropped answers are retried")
            << "drop-answers=3,drop-acks=2" << false << 0 << QStringList{"回读校验一致"};
        QTest::newRow("unplugged half-way: the blocks written are named, a rerun completes")
            << "unplug-after-blocks=12" << false << 3
            << QStringList{"已写入 11/25 块：公共块 0xC0，MODEL 1 块 0x00",
                           "MODEL 4 块 0x00；MODEL 4 块 0x40 没有应答"};
        QTest::newRow("a bad file sends nothing") << "" << true << 2 << QStringList{};
    }
    void restoreReadsBack() {
        QFETCH(QString, faults);
        QFETCH(bool, badFile);
        QFETCH(int, exit);
        QFETCH(QStringList, says);
        CtlBench bench;
        const ParamImage before = bench.Memory(0);
        const ParamImage wanted = ParamImage::Of(RandomMemory(7));
        const QString file = bench.Preset(QStringLiteral("room.PA"), wanted);
        if (badFile) {
            QVERIFY(SetPresetKeys(file, {"GROUP3.ADDR0=256"}));
        }
        const Run run = bench.Ctl({"--demo", "restore", file}, faults);
        QCOMPARE(run.exit, exit);
        for (const QString& text : says) {
            QVERIFY2(run.out.contains(text), qPrintable(run.out));
        }
        if (badFile) {
            QCOMPARE(bench.Memory(0), before);
            return;
        }
        if (exit == 3) {
            QVERIFY(FirstDifference(wanted, bench.Memory(0), StoreCells(PresetCells())) != QString());
            const Run rerun = bench.Ctl({"--demo", "restore", file});
            QCOMPARE(rerun.exit, 0);
        }
        const ParamImage after = bench.Memory(0);
        QCOMPARE(FirstDifference(wanted, after, StoreCells(PresetCells())), QString());
        // What the file does not carry keeps the processor's values: the bass bands, key shift, menu table.
        for (const ImageCell cell :
             {ImageCell{2, 0x1F, 1, false}, ImageCell{0, 0xCE, 0, false}, ImageCell{0, 0x44, 0, true}}) {
            QCOMPARE(cell.Get(after), cell.Get(before));
        }
    }

    // The link takes 253..255 for frame markers: a processor that received one could never be read back.
    void restoreRefusesFrameMarkerBytes_data() { test::AddFrameMarkerRows(); }
    void restoreRefusesFrameMarkerBytes() {
        QFETCH(QStringList, edits);
        QFETCH(QString, named);
        CtlBench bench;
        const ParamImage before = bench.Memory(0);
        const QString file = bench.Preset(QStringLiteral("room.PA"), ParamImage::Of(RandomMemory(7)));
        QVERIFY(SetPresetKeys(file, edits));
        const Run run = bench.Ctl({"--demo", "restore", file});
        if (named.isEmpty()) {
            QCOMPARE(run.exit, 0);
            QVERIFY2(run.out.contains(QStringLiteral("回读校验一致")), qPrintable(run.out));
            return;
        }
        QCOMPARE(run.exit, 2);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(QStringLiteral("%1：配置文件中 %2 不能写入处理器").arg(file, named)),
                 qPrintable(run.err));
        QCOMPARE(bench.Memory(0), before);
    }

    void interruptedRestoreFinishesFirst_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("Ctrl-C") << SIGINT;
        QTest::newRow("termination request") << SIGTERM;
    }
    void interruptedRestoreFinishesFirst() {
        QFETCH(int, signal);
        CtlBench bench;
        const ParamImage wanted = ParamImage::Of(RandomMemory(7));
        QProcess process;
        // Four lost answers keep the restore busy for four seconds.
        process.start(QStringLiteral(KORVA_CTL),
                      bench.DemoArgs({"--demo", "restore", bench.Preset(QStringLiteral("room.PA"), wanted)},
                                     QStringLiteral("drop-answers=4")));
        QVERIFY(process.waitForStarted());
        QTest::qWait(1500);
        QCOMPARE(process.state(), QProcess::Running);
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(QString::fromUtf8(process.readAllStandardOutput()).contains(QStringLiteral("回读校验一致")));
        QVERIFY(
            QString::fromUtf8(process.readAllStandardError()).contains(QStringLiteral("完成并报告后再退出")));
        QCOMPARE(FirstDifference(wanted, bench.Memory(0), StoreCells(PresetCells())), QString());
    }

    void verifyNamesTheChangedByte_data() {
        QTest::addColumn<ImageCell>("changed");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says");
        QTest::newRow("unchanged") << ImageCell{-1, 0, 0, false} << 0 << "一致";
        QTest::newRow("EQ frequency") << ImageCell{0, 0x46, 0, false} << 1 << "  g1.mic12.eq3.freq MODEL 1 ";
        QTest::newRow("EQ gain of MODEL 8")
            << ImageCell{7, 0x05, 1, false} << 1 << "  g8.music.eq3.gain MODEL 8 ";
        QTest::newRow("Common volume") << ImageCell{0, 0xC0, 0, false} << 1 << "  music.volume ";
        QTest::newRow("menu table: restore does not carry it") << ImageCell{0, 0x10, 0, true} << 0 << "一致";
    }
    void verifyNamesTheChangedByte() {
        QFETCH(ImageCell, changed);
        QFETCH(int, exit);
        QFETCH(QString, says);
        CtlBench bench;
        ParamImage file = bench.Memory(0);
        if (changed.Group >= 0) {
            changed.Set(file, uint8_t(changed.Get(file) ^ 1));
        }
        const Run run = bench.Ctl({"--demo", "verify", bench.Preset(QStringLiteral("room.PA"), file)});
        QCOMPARE(run.exit, exit);
        QVERIFY2(run.out.contains(says), qPrintable(run.out));
        QCOMPARE(run.out.count(QStringLiteral("\n  ")), exit == 1 ? 1 : 0);
    }

    void diffOfTwoFiles_data() {
        QTest::addColumn<QString>("second"); // "same", "freq", "menu", "bad", "missing"
        QTest::addColumn<bool>("json");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("says");
        QTest::newRow("identical") << "same" << false << 0 << "两个文件一致";
        QTest::newRow("one EQ frequency")
            << "freq" << false << 1 << "  g1.mic12.eq3.freq MODEL 1 话筒1-2 EQ3 频率: 1000 Hz → 1200 Hz\n";
        QTest::newRow("menu entry") << "menu" << false << 1 << "menu.0x10";
        QTest::newRow("json") << "freq" << true << 1 << "\"new_text\":\"1200 Hz\"";
        QTest::newRow("bad file") << "bad" << false << 2 << "";
        QTest::newRow("missing file") << "missing" << false << 2 << "";
    }
    void diffOfTwoFiles() {
        QFETCH(QString, second);
        QFETCH(bool, json);
        QFETCH(int, exit);
        QFETCH(QString, says);
        CtlBench bench(0);
        ParamImage a = ParamImage::Defaults();
        a.Store.at(0, 0x46).DATA1 = HzToFreqIndex(1000);
        ParamImage b = a;
        if (second == QLatin1String("freq")) {
            b.Store.at(0, 0x46).DATA1 = HzToFreqIndex(1200);
        } else if (second == QLatin1String("menu")) {
            b.MenuShow[0x10] ^= 1;
        }
        const QString fileA = bench.Preset(QStringLiteral("a.PA"), a);
        QString fileB = bench.Preset(QStringLiteral("b.PA"), b);
        if (second == QLatin1String("bad")) {
            QFile f(fileB);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Main]\r\nType=zul001\r\n");
        } else if (second == QLatin1String("missing")) {
            fileB = bench.Path(QStringLiteral("none.PA"));
        }
        QStringList args{"diff", fileA, fileB};
        if (json) {
            args.prepend(QStringLiteral("--json"));
        }
        const Run run = bench.Ctl(args);
        QCOMPARE(run.exit, exit);
        QVERIFY2(run.out.contains(says), qPrintable(run.out));
        if (json) {
            const QList<QJsonObject> objects = run.Json();
            QCOMPARE(objects.size(), 1);
            QCOMPARE(objects[0]["differences"].toArray().size(), 1);
            QCOMPARE(objects[0]["differences"][0]["name"].toString(), QStringLiteral("g1.mic12.eq3.freq"));
        }
        if (exit == 2) {
            QVERIFY(run.out.isEmpty());
            QVERIFY(!run.err.isEmpty());
        }
    }

    void setWritesOrRefusesEverything_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit");
        QTest::addColumn<ImageCell>("cell"); // the byte expected to change
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("says"); // on standard error
        const ImageCell none{-1, 0, 0, false};
        QTest::newRow("EQ frequency") << QStringList{"set", "mic12.eq3.freq=1.2k"} << 0
                                      << ImageCell{0, 0x46, 0, false} << int(HzToFreqIndex(1200)) << "";
        QTest::newRow("EQ gain of MODEL 3 by prefix")
            << QStringList{"set", "g3.mic12.eq3.gain=-3"} << 0 << ImageCell{2, 0x46, 1, false}
            << int(DbToGainIndex(-3)) << "";
        QTest::newRow("group option") << QStringList{"--group", "5", "set", "echo.delay=230"} << 0
                                      << ImageCell{4, 0x81, 0, false} << -1 << "";
        QTest::newRow("out of range: refused with the range")
            << QStringList{"set", "mic12.eq3.freq=30000"} << 2 << none << 0 << "18 Hz – 20000 Hz";
        QTest::newRow("a bad value stops the good ones before it")
            << QStringList{"set", "music.volume=3", "mic12.eq3.gain=-20"} << 2 << none << 0
            << "-15.0 dB – 15.0 dB";
        QTest::newRow("unknown name")
            << QStringList{"set", "music.colume=3"} << 2 << none << 0 << "music.colume";
        QTest::newRow("download-only parameter")
            << QStringList{"set", "limit.music_min=3"} << 2 << none << 0 << "limit.music_min";
    }
    void setWritesOrRefusesEverything() {
        QFETCH(QStringList, args);
        QFETCH(int, exit);
        QFETCH(ImageCell, cell);
        QFETCH(int, value);
        QFETCH(QString, says);
        CtlBench bench;
        const ParamImage before = bench.Memory(0);
        const Run run = bench.Ctl(QStringList{"--demo"} + args);
        QCOMPARE(run.exit, exit);
        QVERIFY2(run.err.contains(says), qPrintable(run.err));
        ParamImage expected = before;
        if (cell.Group >= 0) {
            const uint8_t now = cell.Get(bench.Memory(0));
            QVERIFY(now != cell.Get(before));
            if (value >= 0) {
                QCOMPARE(int(now), value);
            }
            cell.Set(expected, now);
        }
        // Nothing else changed (the unused bytes of a written record aside); a refused command changed
        // nothing at all.
        std::vector<ImageCell> others;
        for (const ImageCell& c : ReadCells()) {
            if (c.Menu || c.Group != cell.Group || c.Address != cell.Address) {
                others.push_back(c);
            }
        }
        QCOMPARE(FirstDifference(expected, bench.Memory(0), others), QString());
    }

    void selectsProcessors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("faults");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QList<int>>("restored"); // processors (1-based) that now hold the file
        QTest::addColumn<QList<int>>("exits");    // per JSON object, in processor order
        QTest::newRow("--all on three, one silent") << QStringList{"--json", "--all", "restore"} << "2:silent"
                                                    << 3 << QList<int>{1, 3} << QList<int>{0, 3, 0};
        QTest::newRow("--all on three, one unplugged half-way")
            << QStringList{"--json", "--all", "restore"} << "3:unplug-after-blocks=5" << 3 << QList<int>{1, 2}
            << QList<int>{0, 0, 3};
        QTest::newRow("several attached: restore refuses")
            << QStringList{"--json", "restore"} << "" << 2 << QList<int>{} << QList<int>{2};
        QTest::newRow("--device") << QStringList{"--json", "--device", "sim:korva-processor-2", "restore"}
                                  << "" << 0 << QList<int>{2} << QList<int>{0};
        QTest::newRow("--serial") << QStringList{"--json", "--serial", "SIM-0003", "restore"} << "" << 0
                                  << QList<int>{3} << QList<int>{0};
        QTest::newRow("unknown device") << QStringList{"--json", "--device", "/dev/hidraw9", "restore"} << ""
                                        << 3 << QList<int>{} << QList<int>{3};
    }
    void selectsProcessors() {
        QFETCH(QStringList, args);
        QFETCH(QString, faults);
        QFETCH(int, exit);
        QFETCH(QList<int>, restored);
        QFETCH(QList<int>, exits);
        CtlBench bench(3);
        const ParamImage wanted = ParamImage::Of(RandomMemory(7));
        const Run run = bench.Ctl(QStringList{"--demo=3"} + args +
                                      QStringList{bench.Preset(QStringLiteral("room.PA"), wanted)},
                                  faults);
        QCOMPARE(run.exit, exit);
        const QList<QJsonObject> objects = run.Json();
        QCOMPARE(objects.size(), exits.size());
        for (int i = 0; i < int(exits.size()); ++i) {
            QCOMPARE(objects[i]["ok"].toBool(), exits[i] == 0);
            QCOMPARE(objects[i]["exit"].toInt(), exits[i]);
            QCOMPARE(objects[i]["error"].isString(), exits[i] != 0);
        }
        if (exit == 2) {
            QVERIFY2(run.err.contains("sim:korva-processor-1") && run.err.contains("sim:korva-processor-3"),
                     qPrintable(run.err));
        }
        for (int number = 1; number <= 3; ++number) {
            const bool holdsFile =
                FirstDifference(wanted, bench.Memory(number - 1), StoreCells(PresetCells())).isEmpty();
            QCOMPARE(holdsFile, restored.contains(number));
        }
    }

    void runsWithoutDisplay_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        QTest::newRow("help") << QStringList{"--help"} << "退出码";
        QTest::newRow("list") << QStringList{"--demo=3", "list"}
                              << "sim:korva-processor-3  序列号 SIM-0003  KORVA Virtual Processor  应答握手";
    }
    void runsWithoutDisplay() {
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // A platform plugin that does not exist stops any program that loads one.
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none"));
        const Run run = CtlBench::Start(args, env);
        QCOMPARE(run.exit, 0);
        QVERIFY2(run.out.contains(says), qPrintable(run.out));
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TstCtl)
#include "tst_ctl.moc"
