// The readers of REW / Equalizer APO / AutoEq filter text and of measurements: what real files contain is
// read (or skipped with a warning), what cannot be meant is refused with its line.
#include "eq/FilterText.h"
#include "eq/MeasurementText.h"

#include <QTest>

using namespace korva;

namespace {

QString Describe(const TextFilter& f) {
    static const char* const kinds[] = {"", "Q", "BW", "S"};
    QString s = QStringLiteral("%1 %2").arg(f.TypeText).arg(f.FrequencyHz);
    if (f.GainDb != 0.0) {
        s += QStringLiteral(" %1").arg(f.GainDb);
    }
    if (f.WidthKind != FilterWidthKind::Default) {
        s += QStringLiteral(" %1%2").arg(QLatin1String(kinds[int(f.WidthKind)])).arg(f.Width);
    }
    return f.CornerFrequency ? s + QStringLiteral(" corner") : s;
}

QString Describe(const std::vector<ReadWarning>& warnings) {
    QStringList s;
    for (const ReadWarning& w : warnings) {
        s << QString::number(w.Line);
    }
    return s.join(u',');
}

// A refusal: the line and a part of the reason.
struct Refusal {
    int Line = -1;
    QString Reason;
};

void CheckRefusal(bool read, const ReadError& error, const Refusal& expected) {
    QCOMPARE(read, expected.Line < 0);
    if (!read) {
        QCOMPARE(error.Line, expected.Line);
        QVERIFY2(error.Reason.contains(expected.Reason), qPrintable(error.Message()));
        QCOMPARE(error.File, QStringLiteral("in.txt"));
    }
}

} // namespace

Q_DECLARE_METATYPE(Refusal)

class TstEqReaders : public QObject {
    Q_OBJECT
private slots:
    void filterText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("filters");
        QTest::addColumn<double>("preamp");
        QTest::addColumn<QString>("warnedLines");
        QTest::addColumn<Refusal>("refusal");
        const auto good = [](const char* name, QByteArray text, QStringList filters, double preamp = 0,
                             QString warned = {}) {
            QTest::newRow(name) << text << filters << preamp << warned << Refusal{};
        };
        const auto bad = [](const char* name, QByteArray text, int line, const char* reason) {
            QTest::newRow(name) << text << QStringList{} << 0.0 << QString() << Refusal{line, QString::fromUtf8(reason)};
        };
        good("rew padded, None and OFF",
             "Filter Settings file\n\nRoom EQ V5.31\nDated: 12.03.2024 10:00:00\n\nNotes:Livingroom\n\n"
             "Equaliser: Generic\nAverage 1\n"
             "Filter  1: ON  PK       Fc   100.0 Hz  Gain  -3.00 dB  Q  1.000\n"
             "Filter  2: ON  None\n"
             "Filter  3: OFF PK       Fc   200.0 Hz  Gain   1.00 dB  Q  1.000\n"
             "Filter  4: OFF None\n",
             {"PK 100 -3 Q1"}, 0, "12");
        good("rew decimal comma and thousands", "Filter  1: ON  PK       Fc   64,0 Hz  Gain  -3,50 dB  Q  4,320\r\n"
             "Filter  2: ON  PK       Fc   1.250,5 Hz  Gain   2,00 dB  Q  1,000\r\n"
             "Filter  3: ON  PK       Fc   1.200 Hz  Gain  -1,00 dB  Q  2,000\r\n",
             {"PK 64 -3.5 Q4.32", "PK 1250.5 2 Q1", "PK 1200 -1 Q2"});
        good("rew bandwidth in octaves", "Filter  1: ON  PEQ      Fc   100 Hz  Gain   2.0 dB  BW Oct 0.500\n",
             {"PEQ 100 2 BW0.5"});
        good("apo preamps add up, numbers optional",
             "\xEF\xBB\xBFPreamp: -6.3 dB\n# comment\nPreamp: -1 db\nFilter: ON PK Fc 100 Hz Gain -3 dB Q 1\n"
             "Filter 2: ON Modal Fc 40 Hz Gain -6 dB Q 5\n",
             {"PK 100 -3 Q1", "Modal 40 -6 Q5"}, -7.3);
        good("autoeq", "Preamp: -6.8 dB\nFilter 1: ON PK Fc 21 Hz Gain 6.7 dB Q 1.100\n"
             "Filter 2: ON LSC Fc 105 Hz Gain 5.5 dB Q 0.70\nFilter 3: ON HSC Fc 10000 Hz Gain -2.1 dB Q 0.70\n",
             {"PK 21 6.7 Q1.1", "LSC 105 5.5 Q0.7", "HSC 10000 -2.1 Q0.7"}, -6.8);
        good("every type", "Filter: ON LSC 12 dB Fc 100 Hz Gain 5 dB\nFilter: ON LS 6dB Fc 80 Hz Gain 3 dB\n"
             "Filter: ON HS Fc 8000 Hz Gain -2 dB\nFilter: ON LP Fc 15000 Hz\nFilter: ON HPQ Fc 30 Hz Q 0.5\n"
             "Filter: ON NO Fc 50 Hz\nFilter: ON BP Fc 1000 Hz Gain 3 dB\nFilter: ON AP Fc 500 Hz Q 1\n",
             {"LSC 100 5 S12", "LS 80 3 S6 corner", "HS 8000 -2", "LP 15000", "HPQ 30 Q0.5", "NO 50", "BP 1000",
              "AP 500 Q1"});
        good("skipped with warnings",
             "Filter: ON pk Fc 100 Hz Gain 1 dB Q 1\nFilter: ON IIR Order 2 Coefficients 1 0 0 1 0 0\n"
             "GraphicEQ: 10 0; 20 1\nChannel: L\nFilter: ON PK Fc 300 Hz Gain 2 dB Q 2\nChannel: R\n"
             "Filter: ON PK Fc 400 Hz Gain 2 dB Q 2\nChannel: L\nFilter: ON PK Fc 500 Hz Gain 1 dB Q 3\n",
             {"PK 300 2 Q2", "PK 500 1 Q3"}, 0, "1,2,3,6");
        bad("frequency not a number", "Filter 1: ON PK Fc abc Hz Gain 1 dB Q 1\n", 1, "无法识别的频率");
        bad("gain missing", "Filter: ON PK Fc 100 Hz Gain -3 dB Q 1\nFilter: ON PK Fc 100 Hz Q 1\n", 2, "缺少增益");
        bad("width missing", "Filter: ON PK Fc 100 Hz Gain 1 dB\n", 1, "缺少 Q 值或带宽");
        bad("frequency beyond Nyquist", "Filter: ON PK Fc 30000 Hz Gain 1 dB Q 1\n", 1, "超出范围");
        bad("Q and bandwidth", "Filter: ON PK Fc 100 Hz Gain 1 dB Q 1 BW Oct 1\n", 1, "只能写一个");
        bad("shelf too steep", "Filter: ON LSC 48 dB Fc 100 Hz Gain 20 dB\n", 1, "太陡");
        bad("unreadable preamp", "Preamp: loud\n", 1, "前级增益");
        bad("neither ON nor OFF", "Filter 1: PK Fc 100 Hz Gain 1 dB Q 1\n", 1, "ON 或 OFF");
        bad("no filter", "Preamp: -3 dB\nFilter 1: OFF PK Fc 100 Hz Gain 1 dB Q 1\n", 0, "没有可用的滤波器");
        bad("not text", QByteArray("Filter: ON PK\0\0\x01", 16), 0, "不是文本文件");
    }
    void filterText() {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, filters);
        QFETCH(double, preamp);
        QFETCH(QString, warnedLines);
        QFETCH(Refusal, refusal);
        ReadError error;
        const std::optional<FilterSet> set = ReadFilterText(text, QStringLiteral("in.txt"), &error);
        CheckRefusal(set.has_value(), error, refusal);
        if (!set) {
            return;
        }
        QStringList read;
        for (const TextFilter& f : set->Filters) {
            read << Describe(f);
        }
        QCOMPARE(read, filters);
        QCOMPARE(set->PreampDb, preamp);
        QCOMPARE(Describe(set->Warnings), warnedLines);
    }

    void measurementText_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("points");
        QTest::addColumn<Refusal>("refusal");
        const auto good = [](const char* name, QByteArray text, QString points) {
            QTest::newRow(name) << text << points << Refusal{};
        };
        const auto bad = [](const char* name, QByteArray text, int line, const char* reason) {
            QTest::newRow(name) << text << QString() << Refusal{line, QString::fromUtf8(reason)};
        };
        good("rew export", "* Measurement data measured by REW V5.31\n* Source: UMIK-1\n* Format: 1/48 octave\n"
             "* Freq(Hz) SPL(dB) Phase(degrees)\n20.000000 72.345 -12.3\n20.290 72.5 -12.0\n21.5\t73,0\n",
             "20:72.345 20.29:72.5 21.5:73");
        good("comma separated", "20,72.5,10\n 40 , 70.25 \n\n80,68\n", "20:72.5 40:70.25 80:68");
        good("decimal comma between tabs", "20,5\t72,3\n40,5\t71\n", "20.5:72.3 40.5:71");
        good("autoeq csv", "frequency,raw,error,smoothed\n20.0,1.5,0.2,1.4\n20.5,1.7,0.2,1.6\n", "20:1.5 20.5:1.7");
        good("named columns in another order", "frequency,target,raw\n100,0,3\n200,0,4\n", "100:3 200:4");
        good("any header", "Hz;dB\n100;1,5\n1000;-2,25\n", "100:1.5 1000:-2.25");
        bad("text among data", "20 70\n40 71\nend of data\n", 3, "不是数字");
        bad("falling frequency", "20 70\n40 71\n30 72\n", 3, "递增");
        bad("repeated frequency", "20 70\n20 71\n", 2, "递增");
        bad("zero frequency", "0 70\n40 71\n", 1, "大于 0");
        bad("one column", "20\n40\n", 1, "至少需要 2 列");
        bad("one point", "* only\n20 70\n", 0, "至少需要 2 个");
        bad("two headers", "frequency,raw\nfreq,spl\n20,1\n", 2, "不是数字");
        bad("not text", QByteArray("20 70\n\0\0", 8), 0, "不是文本文件");
    }
    void measurementText() {
        QFETCH(QByteArray, text);
        QFETCH(QString, points);
        QFETCH(Refusal, refusal);
        ReadError error;
        const std::optional<MeasurementData> data = ReadMeasurementText(text, QStringLiteral("in.txt"), &error);
        CheckRefusal(data.has_value(), error, refusal);
        if (!data) {
            return;
        }
        QStringList read;
        for (size_t i = 0; i < data->Curve.FrequencyHz.size(); ++i) {
            read << QStringLiteral("%1:%2").arg(data->Curve.FrequencyHz[i]).arg(data->Curve.Db[i]);
        }
        QCOMPARE(read.join(u' '), points);
    }

    void errorMessageNamesFileAndLine() {
        ReadError error;
        QVERIFY(!ReadFilterText("Preamp: 1 dB\nFilter: ON PK Fc x Hz Gain 1 dB Q 1\n", QStringLiteral("room.txt"), &error));
        QCOMPARE(error.Message(), QStringLiteral("文件 room.txt 第 2 行：无法识别的频率"));
    }
};

QTEST_APPLESS_MAIN(TstEqReaders)
#include "tst_eqreaders.moc"
