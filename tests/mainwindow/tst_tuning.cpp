// Tuning from a measurement on the real main window over the virtual processor: the graph's menu, the
// measurement on the graph, the preview of 自动均衡 and 导入滤波器… applied by Enter as one undo step with
// one write per changed band or dropped by Esc, 导出滤波器… read back, and bad files changing nothing.
#include "EditTestSupport.h"

#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/tuning/TuningHandlers.h"
#include "model/ChannelTables.h"
#include "widgets/SimpControl.h"

#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace korva;
using korva::test::RecordWrites;
using korva::test::TestWorld;
using korva::test::WriteFrame;

namespace {

class FakeTuningDialogs : public TuningFileDialogs {
public:
    QString ChooseMeasurementFile() override { return measurement; }
    QString ChooseTargetFile() override { return target; }
    QString ChooseFilterFileToOpen() override { return filtersIn; }
    QString ChooseFilterFileToSave(FilterTextFormat& chosen) override {
        chosen = format;
        return filtersOut;
    }
    QString measurement, target, filtersIn, filtersOut;
    FilterTextFormat format = FilterTextFormat::Rew;
};

// A room as REW exports it: a level of 75 dB, a mode at 55 Hz, a dip at 180 Hz, a bump at 2.5 kHz and a
// falling top, 1/24 octave from 20 Hz to 20 kHz.
QByteArray RoomMeasurement() {
    QByteArray text = "* Measurement data measured by REW V5.20.13\n* Freq(Hz) SPL(dB) Phase(degrees)\n";
    const auto bell = [](double hz, double centre, double octaves) {
        const double d = std::log2(hz / centre) / octaves;
        return std::exp(-d * d);
    };
    for (double hz = 20; hz <= 20000; hz *= std::pow(2.0, 1.0 / 24)) {
        const double spl = 75 + 9 * bell(hz, 55, 0.3) - 6 * bell(hz, 180, 0.4) + 4 * bell(hz, 2500, 0.7) -
                           (hz > 6000 ? 3 * std::log2(hz / 6000) : 0);
        text += QByteArray::number(hz, 'f', 3) + ' ' + QByteArray::number(spl, 'f', 2) + " 0.0\n";
    }
    return text;
}

// Three peaking filters on the processor's own values (grid frequency, 0.2 dB, Q index): they import
// exactly, one band each. An OFF line is skipped with a warning.
const QByteArray kGridFilters = "Preamp: -3.0 dB\n"
                                "Filter 1: ON PK Fc 60 Hz Gain -6.0 dB Q 4.000\n"
                                "Filter 2: OFF PK Fc 300 Hz Gain 2.0 dB Q 1.000\n"
                                "Filter 3: ON PK Fc 1200 Hz Gain 3.2 dB Q 1.400\n"
                                "Filter 4: ON PK Fc 8000 Hz Gain -2.4 dB Q 0.700\n";

constexpr int kMusicFirstBand = 0x03;
constexpr int kMusicBands = 7;

struct World : TestWorld {
    World() {
        QVERIFY2(Load(), qPrintable(Error));
        Window->Tuning().SetFileDialogs(dialogs);
        QVERIFY(GoOnline());
        Device.ClearRecordings();
        Messages.Clear();
    }
    QString Write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            return {};
        }
        return f.fileName();
    }
    void Menu(const QString& text) {
        QMenu& menu = Window->Tuning().Menu();
        emit menu.aboutToShow();
        for (QAction* action : menu.actions()) {
            if (action->text() == text) {
                QVERIFY2(action->isEnabled(), qPrintable(text));
                action->trigger();
                return;
            }
        }
        QFAIL(qPrintable(text));
    }
    void Key(int key) { QTest::keyClick(C().Picture1, Qt::Key(key)); }
    const TuningState& State() { return Window->Tuning().State(); }
    // The records of the points on the graph (the channel's bands and cut filters).
    std::vector<ParamRecord> PointRecords() {
        std::vector<ParamRecord> records;
        for (const EqPoint& p : Context.Eq.Points) {
            if (p.InUse) {
                records.push_back(Model().Store.at(Model().CurrentGroup, p.Address));
            }
        }
        return records;
    }
    // The graph's new frame.
    QImage Shot() {
        Window->Graph().RedrawGraph();
        return Window->Graph().Renderer().Frame().copy();
    }
    // Pixels of the graph's new frame that pass `is`.
    int CountPixels(bool (*is)(QRgb)) {
        const QImage frame = Shot();
        int count = 0;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                count += is(frame.pixel(x, y)) ? 1 : 0;
            }
        }
        return count;
    }

    FakeTuningDialogs dialogs;
    QTemporaryDir dir;
};

// The measurement's red over the graph's grey; nothing else of the graph is as red.
bool IsMeasurementRed(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 140 && qBlue(p) < 120;
}

} // namespace

class TstTuning : public QObject {
    Q_OBJECT
private slots:
    void previewThenEnterOrEsc_data() {
        QTest::addColumn<bool>("filters"); // 导入滤波器… instead of 自动均衡 on a measurement
        QTest::addColumn<bool>("enter");
        QTest::newRow("自动均衡, Enter") << false << true;
        QTest::newRow("自动均衡, Esc") << false << false;
        QTest::newRow("导入滤波器, Enter") << true << true;
        QTest::newRow("导入滤波器, Esc") << true << false;
    }
    void previewThenEnterOrEsc() {
        QFETCH(bool, filters);
        QFETCH(bool, enter);
        World w;
        QCOMPARE(w.Window->Tuning().Menu().actions().size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w.Window->Tuning().Menu().actions()[i]->text(), TuningHandlers::MenuTexts()[i]);
        }
        QCOMPARE(w.CountPixels(IsMeasurementRed), 0);
        QImage shotBefore; // the graph just before the preview
        if (filters) {
            w.dialogs.filtersIn = w.Write("room.txt", kGridFilters);
            shotBefore = w.Shot();
            w.Menu(QStringLiteral("导入滤波器…"));
            QCOMPARE(w.Messages.Messages().size(), size_t(1)); // the OFF line
            QVERIFY(w.Messages.Messages()[0].Text.contains(QStringLiteral("第 3 行")));
        } else {
            w.dialogs.measurement = w.Write("room.txt", RoomMeasurement());
            w.Menu(QStringLiteral("导入测量…"));
            QVERIFY(w.State().Measurement);
            QVERIFY(w.CountPixels(IsMeasurementRed) > 0); // drawn once loaded
            shotBefore = w.Shot();
            w.Menu(QStringLiteral("自动均衡"));
            QVERIFY(w.Messages.Messages().empty());
        }
        QVERIFY(w.State().Preview);
        QVERIFY(w.Shot() != shotBefore); // the new curve and its figures
        const std::vector<ParamRecord> before = w.PointRecords();
        const ParamStore storeBefore = w.Model().Store;
        QVERIFY(w.Device.ReceivedFrames().empty()); // a preview sends nothing...
        QCOMPARE(w.Context.Undo.UndoPosition(), -1); // ...and records nothing
        const std::vector<PointRecord> proposed = w.State().Preview->Records;

        w.Key(enter ? Qt::Key_Return : Qt::Key_Escape);

        QVERIFY(!w.State().Preview);
        if (!enter) {
            QVERIFY(w.Shot() == shotBefore);
            QVERIFY(w.Model().Store == storeBefore);
            QVERIFY(w.Device.ReceivedFrames().empty());
            QCOMPARE(w.Context.Undo.UndoPosition(), -1);
            return;
        }
        QCOMPARE(w.Context.Undo.UndoPosition(), 0); // one undo step
        std::vector<QByteArray> expected;
        for (const PointRecord& r : proposed) {
            QCOMPARE(w.Model().Store.at(0, r.Address), r.Record);
            if (storeBefore.at(0, r.Address) != r.Record) {
                expected.push_back(WriteFrame(0, r.Address, r.Record.DATA1, r.Record.DATA2, r.Record.DATA3));
            }
        }
        QVERIFY(!expected.empty());
        QCOMPARE(RecordWrites(w), expected); // one write per changed point, nothing else
        QCOMPARE(w.Device.ReceivedFrames().size(), expected.size());
        // The graph shows the new bands.
        for (int k = 0; k < kMusicBands; ++k) {
            const ParamRecord& r = w.Model().Store.at(0, kMusicFirstBand + k);
            const EqPoint& p = w.Context.Eq.Points[size_t(k)];
            QCOMPARE(p.FrequencyHz, FreqIndexToHz(r.DATA1));
            QCOMPARE(p.GainDb, GainIndexToDb(r.DATA2));
        }
        if (filters) { // on the processor's grid already: the file's three filters, exactly
            QCOMPARE(w.State().Preview.has_value(), false);
            QStringList bands;
            for (int k = 0; k < kMusicBands; ++k) {
                const EqPoint& p = w.Context.Eq.Points[size_t(k)];
                if (p.GainDb != 0.0f) {
                    bands << QStringLiteral("%1 %2 %3").arg(p.FrequencyHz).arg(p.GainDb).arg(p.Q);
                }
            }
            bands.sort();
            QCOMPARE(bands, (QStringList{"1200 3.2 1.4", "60 -6 4", "8000 -2.4 0.7"}));
        }
        // The undo step takes the whole curve back.
        emit w.C().SimpControl4->Click();
        QCOMPARE(w.PointRecords(), before);
    }

    // What 导出滤波器… writes reads back as the same channel: importing it changes nothing. (The centre
    // channel: three bands and no cut filter.)
    void exportReadsBack_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("format");
        // Music keeps its factory low-cut at 18 Hz, which the text carries as a high-pass filter.
        QTest::newRow("music, REW") << int(kChannelMusic) << int(FilterTextFormat::Rew);
        QTest::newRow("music, Equalizer APO") << int(kChannelMusic) << int(FilterTextFormat::Apo);
        QTest::newRow("centre, REW") << int(kChannelCentre) << int(FilterTextFormat::Rew);
        QTest::newRow("centre, Equalizer APO") << int(kChannelCentre) << int(FilterTextFormat::Apo);
    }
    void exportReadsBack() {
        QFETCH(int, channel);
        QFETCH(int, format);
        World w;
        w.Model().CurrentChannel = channel; // set directly: the test window has no button for centre
        const int firstBand = ChannelTable()[size_t(channel)].FirstBand;
        w.Model().Store.at(0, firstBand) = {60, 100, 20};    // 290 Hz, -5 dB, Q 2
        w.Model().Store.at(0, firstBand + 2) = {150, 60, 8}; // 2.9 kHz, +3 dB, Q 0.8
        w.Window->RefreshBoundControls(0xFF, 255);
        w.dialogs.format = FilterTextFormat(format);
        w.dialogs.filtersOut = w.dialogs.filtersIn = w.dir.filePath("out.txt");
        w.Menu(QStringLiteral("导出滤波器…"));
        QVERIFY(QFileInfo::exists(w.dialogs.filtersOut));
        w.Menu(QStringLiteral("导入滤波器…"));
        QVERIFY(w.Messages.Messages().empty());
        QVERIFY(w.State().Preview);
        QCOMPARE(w.State().Preview->RmsDb, 0.0);
        const std::vector<ParamRecord> before = w.PointRecords();
        w.Key(Qt::Key_Enter);
        QCOMPARE(w.PointRecords(), before);
        QVERIFY(w.Device.ReceivedFrames().empty());
        QCOMPARE(w.Context.Undo.UndoPosition(), -1);
    }

    // A file that cannot be read whole gives one message and changes nothing: not the store, the
    // processor, the undo history, the loaded measurement or a preview.
    void badFileChangesNothing_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("asTarget");
        QTest::newRow("measurement: text in the data") << "导入测量…" << QByteArray("20 70\n40 x\n80 71\n") << false;
        QTest::newRow("measurement: falling frequency") << "导入测量…" << QByteArray("40 70\n20 71\n") << false;
        QTest::newRow("measurement: one point") << "导入测量…" << QByteArray("* one\n100 70\n") << false;
        QTest::newRow("target: not numbers") << "导入测量…" << QByteArray("frequency,raw\n20,a\n") << true;
        QTest::newRow("filters: gain not a number")
            << "导入滤波器…" << QByteArray("Filter 1: ON PK Fc 100 Hz Gain x dB Q 1\n") << false;
        QTest::newRow("filters: none") << "导入滤波器…" << QByteArray("Preamp: -2 dB\n") << false;
    }
    void badFileChangesNothing() {
        QFETCH(QString, item);
        QFETCH(QByteArray, text);
        QFETCH(bool, asTarget);
        World w;
        w.dialogs.measurement = w.Write("room.txt", RoomMeasurement());
        w.Menu(QStringLiteral("导入测量…"));
        w.Menu(QStringLiteral("自动均衡"));
        QVERIFY(w.State().Preview);
        const int version = w.State().Version;
        const ParamStore before = w.Model().Store;

        const QString bad = w.Write("bad.txt", text);
        if (asTarget) {
            w.dialogs.target = bad;
            w.Messages.QueueAnswer(true); // yes, a target
        } else {
            (item == QStringLiteral("导入测量…") ? w.dialogs.measurement : w.dialogs.filtersIn) = bad;
        }
        w.Menu(item);

        QCOMPARE(w.Messages.Messages().size(), size_t(1));
        QCOMPARE(w.Messages.Messages()[0].Icon, MessageIcon::Error);
        QVERIFY2(w.Messages.Messages()[0].Text.contains(QStringLiteral("bad.txt")),
                 qPrintable(w.Messages.Messages()[0].Text));
        QCOMPARE(w.State().Version, version); // measurement and preview as they were
        QVERIFY(w.Model().Store == before);
        QVERIFY(w.Device.ReceivedFrames().empty());
        QCOMPARE(w.Context.Undo.UndoPosition(), -1);
    }
};

QTEST_MAIN(TstTuning)
#include "tst_tuning.moc"
