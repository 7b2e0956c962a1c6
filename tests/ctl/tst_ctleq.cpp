// korva-ctl's eq commands end to end: the program runs as a process on a preset file or against its virtual
// processor (--demo, through the same USB transport and protocol as a real one), and what it reports in
// JSON is checked against what it wrote: the copy of the file, the processor's memory (the demo's state
// file) or nothing at all.
#include "CtlBench.h"
#include "eq/ChannelEq.h"
#include "model/ChannelTables.h"

#include <QFile>
#include <QJsonArray>
#include <QTest>

using namespace korva;
using korva::test::CtlBench;
using korva::test::RandomMemory;
using korva::test::Run;

namespace {

// Two peaking filters on the processor's own values (they import exactly), a filter that is off (a
// warning) and a header.
const char kFilters[] = "Filter Settings file\n"
                        "\n"
                        "Filter  1: ON  PK       Fc   100.0 Hz  Gain  -3.00 dB  Q  1.000\n"
                        "Filter  2: ON  PK       Fc   1000 Hz   Gain   4.00 dB  Q  2.000\n"
                        "Filter  3: OFF PK       Fc   3000 Hz   Gain   2.00 dB  Q  1.000\n";
const char kCurve[] = "frequency,raw\n20,4\n100,3\n1000,0\n5000,-2\n20000,-5\n";
const char kMeasurement[] = "* REW text export\n"
                            "20 80\n60 86\n125 82\n260 74\n1000 76\n4000 74\n10000 70\n20000 64\n";
const char kTarget[] = "frequency,raw\n20,4\n1000,0\n20000,-3\n";
const char kBadFilters[] = "Filter  1: ON  PK       Fc   1x0 Hz  Gain  -3.00 dB  Q  1.000\n";
const char kHighOnly[] = "5000 70\n20000 60\n"; // misses the level's range (200 Hz – 2 kHz)

void Write(const CtlBench& bench, const QString& name, const char* text) {
    QFile file(bench.Path(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// The memory the tests start from: random bytes, with the channel under test in group `group` at its
// factory settings, so that every fit changes it.
ParamModel StartMemory(int channel, int group) {
    ParamModel memory = RandomMemory(7);
    const ChannelEq eq = DefaultChannelEq(channel);
    for (const EqPoint& p : ChannelEqPoints(eq)) {
        memory.Store.at(group, p.Address) = {0, 75, 14};
    }
    for (size_t k = 0; k < eq.Bands.size(); ++k) {
        const BandRecord& b = eq.Bands[k];
        memory.Store.at(group, BandAddress(channel, int(k))) = {b.FreqIndex, b.GainIndex, b.QIndex};
    }
    if (eq.HighCutIndex) {
        memory.Store.at(group, HighCutAddress(channel)).DATA1 = *eq.HighCutIndex;
    }
    if (eq.LowCutIndex) {
        memory.Store.at(group, LowCutAddress(channel)).DATA1 = *eq.LowCutIndex;
    }
    return memory;
}

// The first byte of `among` outside the listed addresses of `group` where the images differ, or empty.
QString ChangedElsewhere(const ParamImage& a, const ParamImage& b, int group, const QList<int>& addresses,
                         const std::vector<ImageCell>& among = ReadCells()) {
    std::vector<ImageCell> cells;
    for (const ImageCell& c : among) {
        if (!c.Menu && !(c.Group == group && addresses.contains(c.Address))) {
            cells.push_back(c);
        }
    }
    const std::vector<ImageDifference> d = CompareImages(a, b, cells);
    return d.empty() ? QString() : d.front().Describe();
}

} // namespace

class TstCtlEq : public QObject {
    Q_OBJECT
private slots:
    void eqCommands_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("group"); // 0-based
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("error"); // "" when ok
        QTest::addColumn<QString>("applied"); // where the bands went: "out.PA", "processor" or ""
        QTest::addColumn<double>("rmsBelow"); // the fit's RMS error is below; < 0: no fit reported
        QTest::addColumn<int>("warnings");
        const QStringList onFile{"--preset", "in.PA", "--out", "out.PA"};
        const QStringList demo{"--demo"};

        QTest::newRow("import into a copy of the file: grid values come in exactly")
            << QStringList{"eq", "import", "filters.txt", "--channel", "music"} + onFile << int(kChannelMusic)
            << 0 << 0 << "" << "out.PA" << 1e-9 << 1;
        QTest::newRow("import onto the processor, read back")
            << demo + QStringList{"eq", "import", "filters.txt", "--channel", "music"} << int(kChannelMusic) << 0
            << 0 << "" << "processor" << 1e-9 << 1;
        QTest::newRow("import, dry run: nothing sent")
            << demo + QStringList{"eq", "import", "filters.txt", "--channel", "mic12", "--dry-run"}
            << int(kChannelMic12) << 0 << 0 << "" << "" << 1e-9 << 1;
        QTest::newRow("match a curve into a copy, cut filters too")
            << QStringList{"eq", "match", "curve.csv", "--channel", "effect", "--cuts"} + onFile
            << int(kChannelEffect) << 0 << 0 << "" << "out.PA" << 1.0 << 0;
        QTest::newRow("match on MODEL 3 of the processor")
            << demo + QStringList{"--group", "3", "eq", "match", "curve.csv", "--channel", "centre"}
            << int(kChannelCentre) << 2 << 0 << "" << "processor" << 1.0 << 0;
        QTest::newRow("fit a measurement to a target on the processor")
            << demo + QStringList{"eq", "fit", "room.txt", "--target", "target.csv", "--channel", "mic12",
                                  "--max-boost", "3", "--from", "30", "--to", "16k"}
            << int(kChannelMic12) << 0 << 0 << "" << "processor" << 3.0 << 0;
        QTest::newRow("fit on a file, dry run: no copy")
            << QStringList{"eq", "fit", "room.txt", "--channel", "music", "--preset", "in.PA", "--dry-run"}
            << int(kChannelMusic) << 0 << 0 << "" << "" << 3.0 << 0;
        QTest::newRow("export from a file")
            << QStringList{"eq", "export", "--channel", "mic12", "--format", "apo", "--preset", "in.PA"}
            << int(kChannelMic12) << 0 << 0 << "" << "" << -1.0 << 0;
        QTest::newRow("export from the processor")
            << demo + QStringList{"eq", "export", "--channel", "rec"} << int(kChannelRecording) << 0 << 0 << ""
            << "" << -1.0 << 0;
        QTest::newRow("bad filter file: nothing sent")
            << demo + QStringList{"eq", "import", "bad.txt", "--channel", "music"} << int(kChannelMusic) << 0 << 2
            << "bad_file" << "" << -1.0 << 0;
        QTest::newRow("bad target: no copy")
            << QStringList{"eq", "fit", "room.txt", "--target", "bad.txt", "--channel", "music"} + onFile
            << int(kChannelMusic) << 0 << 2 << "bad_file" << "" << -1.0 << 0;
        QTest::newRow("measurement outside the level's range: nothing sent")
            << demo + QStringList{"eq", "fit", "high.txt", "--channel", "music"} << int(kChannelMusic) << 0 << 2
            << "bad_file" << "" << -1.0 << 0;
        QTest::newRow("missing file")
            << demo + QStringList{"eq", "match", "none.csv", "--channel", "music"} << int(kChannelMusic) << 0 << 2
            << "not_found" << "" << -1.0 << 0;
        QTest::newRow("a channel without bands")
            << demo + QStringList{"eq", "match", "curve.csv", "--channel", "bass"} << int(kChannelMusic) << 0 << 2
            << "unknown_name" << "" << -1.0 << 0;
        QTest::newRow("--preset without --out")
            << QStringList{"eq", "import", "filters.txt", "--channel", "music", "--preset", "in.PA"}
            << int(kChannelMusic) << 0 << 2 << "usage" << "" << -1.0 << 0;
    }
    void eqCommands() {
        QFETCH(QStringList, args);
        QFETCH(int, channel);
        QFETCH(int, group);
        QFETCH(int, exit);
        QFETCH(QString, error);
        QFETCH(QString, applied);
        QFETCH(double, rmsBelow);
        QFETCH(int, warnings);
        CtlBench bench;
        bench.SetMemory(0, StartMemory(channel, group));
        const ParamImage before = bench.Memory(0);
        bench.Preset("in.PA", before);
        Write(bench, "filters.txt", kFilters);
        Write(bench, "curve.csv", kCurve);
        Write(bench, "room.txt", kMeasurement);
        Write(bench, "target.csv", kTarget);
        Write(bench, "bad.txt", kBadFilters);
        Write(bench, "high.txt", kHighOnly);

        const Run run = bench.Ctl(args + QStringList{"--json"});
        QCOMPARE(run.exit, exit);
        const QList<QJsonObject> objects = run.Json();
        QCOMPARE(objects.size(), 1);
        const QJsonObject o = objects.front();
        QCOMPARE(o["error"].toString(), error);
        QCOMPARE(o["ok"].toBool(), error.isEmpty());
        QCOMPARE(QFile::exists(bench.Path("out.PA")), applied == QLatin1String("out.PA"));
        const ParamImage after = bench.Memory(0);
        if (applied != QLatin1String("processor")) {
            QCOMPARE(ChangedElsewhere(before, after, -1, {}), QString()); // nothing sent
        }
        if (!error.isEmpty()) {
            QVERIFY(!o["message"].toString().isEmpty());
            return;
        }

        // Every band of the channel, and the cut filters: what the command wrote (into the copy or the
        // processor, read back), or with --dry-run and export, what it would write.
        const QJsonArray bands = o["bands"].toArray();
        QCOMPARE(bands.size(), qsizetype(ChannelTable()[size_t(channel)].BandCount));
        ParamImage proposed = before;
        for (const QJsonValue& v : bands) {
            const QJsonObject band = v.toObject();
            const QJsonArray data = band["data"].toArray();
            proposed.Store.at(group, band["address"].toInt()) = {
                uint8_t(data[0].toInt()), uint8_t(data[1].toInt()), uint8_t(data[2].toInt())};
            QCOMPARE(band["freq_hz"].toDouble(), double(FreqIndexToHz(uint8_t(data[0].toInt()))));
            QCOMPARE(float(band["gain_db"].toDouble()), GainIndexToDb(uint8_t(data[1].toInt())));
        }
        for (const QJsonValue& v : o["cuts"].toArray()) {
            const QJsonObject cut = v.toObject();
            proposed.Store.at(group, cut["address"].toInt()).DATA1 = uint8_t(cut["data1"].toInt());
        }
        if (applied == QLatin1String("out.PA")) {
            ParamImage copy = ParamImage::Defaults();
            QVERIFY(LoadPresetImageStrict(bench.Path("out.PA"), copy));
            QCOMPARE(ChangedElsewhere(proposed, copy, -1, {}, PresetCells()), QString());
        } else if (applied == QLatin1String("processor")) {
            QCOMPARE(ChangedElsewhere(proposed, after, -1, {}), QString());
            QVERIFY(o["verified"].toBool()); // read back
            QVERIFY(o["written"].toInt() > 0);
        }

        if (rmsBelow < 0) {
            QCOMPARE(ChangedElsewhere(before, proposed, -1, {}), QString()); // the channel as it is
            QVERIFY(o["text"].toString().contains(QStringLiteral("Filter ")));
            return;
        }
        QVERIFY(o["rms_db"].isDouble() && o["max_db"].isDouble());
        QVERIFY2(o["rms_db"].toDouble() <= rmsBelow, qPrintable(QString::number(o["rms_db"].toDouble())));
        QCOMPARE(o["warnings"].toArray().size(), qsizetype(warnings));
        // The changes name every parameter that differs.
        const qsizetype changes = o["changes"].toArray().size();
        QVERIFY(changes > 0);
        QCOMPARE(changes, qsizetype(CompareImages(before, proposed, ReadCells()).size()));
    }
};

QTEST_GUILESS_MAIN(TstCtlEq)
#include "tst_ctleq.moc"
