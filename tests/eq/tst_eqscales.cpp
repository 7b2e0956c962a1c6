#include "eq/EqScales.h"

#include <QTest>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

using namespace korva;

Q_DECLARE_METATYPE(korva::EqPointKind)
Q_DECLARE_METATYPE(std::function<void()>)

class TstEqScales : public QObject {
    Q_OBJECT
private slots:
    void freqSegmentBoundaries_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("hz");
        const std::pair<int, float> rows[] = {{0, 18},      {40, 98},    {41, 100},    {130, 990},
                                              {131, 1000},  {220, 9900}, {221, 10000}, {240, 19500},
                                              {241, 20000}, {255, 27000}};
        for (auto [index, hz] : rows) {
            QTest::addRow("%d", index) << index << hz;
        }
    }
    void freqSegmentBoundaries() {
        QFETCH(int, index);
        QFETCH(float, hz);
        QCOMPARE(FreqIndexToHz(uint8_t(index)), hz);
        QCOMPARE(int(HzToFreqIndex(hz)), index);
    }

    void freqRoundTripEveryIndex() {
        float previous = 0;
        for (int i = 0; i <= 255; ++i) {
            const float hz = FreqIndexToHz(uint8_t(i));
            QCOMPARE(int(HzToFreqIndex(hz)), i);
            QVERIFY2(hz > previous, qPrintable(QString::number(i)));
            previous = hz;
        }
    }

    void hzBetweenGridSteps_data() {
        QTest::addColumn<double>("hz");
        QTest::addColumn<int>("index");
        QTest::newRow("17 Hz, -0.5 to even 0") << 17.0 << 0;
        QTest::newRow("19 Hz, 0.5 to even 0") << 19.0 << 0;
        QTest::newRow("21 Hz, 1.5 to even 2") << 21.0 << 2;
        QTest::newRow("975 Hz, 128.5 to 128") << 975.0 << 128;
        QTest::newRow("995 Hz in the 100 Hz segment") << 995.0 << 131;
        QTest::newRow("1050 Hz, 131.5 to 132") << 1050.0 << 132;
        QTest::newRow("10250 Hz, 221.5 to 222") << 10250.0 << 222;
        QTest::newRow("27249 Hz") << 27249.0 << 255;
    }
    void hzBetweenGridSteps() {
        QFETCH(double, hz);
        QFETCH(int, index);
        QCOMPARE(int(HzToFreqIndex(hz)), index);
    }

    void gainScale_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("db");
        QTest::newRow("flat") << 75 << 0.0f;
        QTest::newRow("top") << 0 << 15.0f;
        QTest::newRow("bottom") << 150 << -15.0f;
        QTest::newRow("one step up") << 74 << 0.2f;
        QTest::newRow("beyond the controls") << 255 << -36.0f;
    }
    void gainScale() {
        QFETCH(int, index);
        QFETCH(float, db);
        QCOMPARE(GainIndexToDb(uint8_t(index)), db);
    }

    void gainRoundTripEveryIndex() {
        for (int i = 0; i <= 255; ++i) {
            QCOMPARE(int(DbToGainIndex(GainIndexToDb(uint8_t(i)))), i);
        }
    }

    void dbToGainIndexTies_data() {
        QTest::addColumn<double>("db");
        QTest::addColumn<int>("index");
        QTest::newRow("0.3 dB: 73.5 to 74") << 0.3 << 74;
        QTest::newRow("0.3 dB as float") << double(0.3f) << 74;
        QTest::newRow("0.1 dB: 74.5 to 74") << 0.1 << 74;
        QTest::newRow("-0.1 dB: 75.5 to 76") << -0.1 << 76;
        QTest::newRow("0.5 dB: 72.5 to 72") << 0.5 << 72;
        QTest::newRow("15.1 dB: -0.5 to 0") << 15.1 << 0;
        QTest::newRow("-15 dB") << -15.0 << 150;
        QTest::newRow("0.31 dB, no tie") << 0.31 << 73;
    }
    void dbToGainIndexTies() {
        QFETCH(double, db);
        QFETCH(int, index);
        QCOMPARE(int(DbToGainIndex(db)), index);
    }

    void qScale_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<float>("q");
        const std::pair<int, float> rows[] = {{0, 0.1f},  {1, 0.1f},  {14, 1.4f},  {30, 3.0f},  {31, 4.0f},
                                              {34, 4.0f}, {35, 5.0f}, {75, 15.0f}, {255, 60.0f}};
        for (auto [index, q] : rows) {
            QTest::addRow("%d", index) << index << q;
        }
    }
    void qScale() {
        QFETCH(int, index);
        QFETCH(float, q);
        QCOMPARE(QIndexToQ(uint8_t(index)), q);
    }

    void qToQIndex_data() {
        QTest::addColumn<double>("q");
        QTest::addColumn<int>("index");
        QTest::newRow("1.4") << 1.4 << 14;
        QTest::newRow("1.4 as float") << double(1.4f) << 14;
        QTest::newRow("3.0") << 3.0 << 30;
        QTest::newRow("4") << 4.0 << 31;
        QTest::newRow("15") << 15.0 << 75;
        QTest::newRow("2.25: 22.5 to 22") << 2.25 << 22;
        QTest::newRow("0.15: 1.5 to 2") << 0.15 << 2;
        QTest::newRow("4.125: 31.5 to 32") << 4.125 << 32;
        QTest::newRow("60") << 60.0 << 255;
    }
    void qToQIndex() {
        QFETCH(double, q);
        QFETCH(int, index);
        QCOMPARE(int(QToQIndex(q)), index);
    }

    void qRoundTripCanonicalIndices() {
        for (int i = 1; i <= 255; i += i < 31 ? 1 : 4) {
            QCOMPARE(int(QToQIndex(QIndexToQ(uint8_t(i)))), i);
        }
    }

    void overflow_data() {
        QTest::addColumn<std::function<void()>>("convert");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("16.9 Hz") << std::function<void()>([] { HzToFreqIndex(16.9); });
        QTest::newRow("27250 Hz: 255.5 to 256") << std::function<void()>([] { HzToFreqIndex(27250); });
        QTest::newRow("NaN Hz") << std::function<void()>([nan] { HzToFreqIndex(nan); });
        QTest::newRow("+15.2 dB") << std::function<void()>([] { DbToGainIndex(15.2); });
        QTest::newRow("-36.1 dB: 255.5 to 256") << std::function<void()>([] { DbToGainIndex(-36.1); });
        QTest::newRow("Q -0.1") << std::function<void()>([] { QToQIndex(-0.1); });
        QTest::newRow("Q 60.2") << std::function<void()>([] { QToQIndex(60.2); });
    }
    void overflow() {
        QFETCH(std::function<void()>, convert);
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, convert());
    }

    void nearestEven_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("71.5") << 71.5 << 72.0;
        QTest::newRow("72.5") << 72.5 << 72.0;
        QTest::newRow("-1.5") << -1.5 << -2.0;
        QTest::newRow("-0.5") << -0.5 << 0.0;
        QTest::newRow("2.4999") << 2.4999 << 2.0;
        QTest::newRow("2.6") << 2.6 << 3.0;
    }
    void nearestEven() {
        QFETCH(double, x);
        QFETCH(double, expected);
        QCOMPARE(NearestEven(x), expected);
    }

    void quantizeFreq_data() {
        QTest::addColumn<double>("hz");
        QTest::addColumn<EqPointKind>("kind");
        QTest::addColumn<int>("channel");
        QTest::addColumn<float>("expected");
        const auto peak = EqPointKind::Peak;
        const auto high = EqPointKind::HighCut;
        const auto low = EqPointKind::LowCut;
        QTest::newRow("peak 12345.7") << 12345.7 << peak << 0 << 12000.0f;
        QTest::newRow("peak 99.9") << 99.9 << peak << 0 << 98.0f;
        QTest::newRow("peak 999.9") << 999.9 << peak << 0 << 990.0f;
        QTest::newRow("peak 9999") << 9999.0 << peak << 0 << 9900.0f;
        QTest::newRow("peak 20499") << 20499.0 << peak << 0 << 20000.0f;
        QTest::newRow("peak 25000") << 25000.0 << peak << 0 << 20000.0f;
        QTest::newRow("peak 17.9") << 17.9 << peak << 0 << 18.0f;
        QTest::newRow("peak 19.9") << 19.9 << peak << 0 << 18.0f;
        QTest::newRow("peak NaN") << std::nan("") << peak << 0 << 18.0f;
        QTest::newRow("mic 1-2 high-cut 5000") << 5000.0 << high << 1 << 8000.0f;
        QTest::newRow("music low-cut 400") << 400.0 << low << 0 << 230.0f;
        QTest::newRow("effect low-cut 400") << 400.0 << low << 3 << 400.0f;
        QTest::newRow("effect high-cut 500") << 500.0 << high << 3 << 1000.0f;
        QTest::newRow("bass high-cut 400") << 400.0 << high << 6 << 230.0f;
        QTest::newRow("bass high-cut 100") << 100.0 << high << 6 << 100.0f;
        QTest::newRow("centre low-cut, no range") << 5000.0 << low << 4 << 18.0f;
    }
    void quantizeFreq() {
        QFETCH(double, hz);
        QFETCH(EqPointKind, kind);
        QFETCH(int, channel);
        QFETCH(float, expected);
        QCOMPARE(QuantizeFreqHz(hz, kind, channel), expected);
    }

    void quantizeGain_data() {
        QTest::addColumn<double>("db");
        QTest::addColumn<EqPointKind>("kind");
        QTest::addColumn<float>("expected");
        QTest::newRow("-20 clamps") << -20.0 << EqPointKind::Peak << -15.0f;
        QTest::newRow("20 clamps") << 20.0 << EqPointKind::Peak << 15.0f;
        QTest::newRow("3.33") << 3.33 << EqPointKind::Peak << 3.2f;
        QTest::newRow("-3.37 toward zero") << -3.37 << EqPointKind::Peak << -3.2f;
        QTest::newRow("7.99") << 7.99 << EqPointKind::Peak << 7.8f;
        QTest::newRow("1.4 as float stays") << double(1.4f) << EqPointKind::Peak << 1.4f;
        QTest::newRow("-14.99") << -14.99 << EqPointKind::Peak << -14.8f;
        QTest::newRow("low-cut") << 5.0 << EqPointKind::LowCut << 0.0f;
        QTest::newRow("high-cut") << -5.0 << EqPointKind::HighCut << 0.0f;
    }
    void quantizeGain() {
        QFETCH(double, db);
        QFETCH(EqPointKind, kind);
        QFETCH(float, expected);
        QCOMPARE(QuantizeGainDb(db, kind), expected);
    }

    void cutRanges_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("lowCutTop");
        QTest::addColumn<int>("highCutBottom");
        QTest::addColumn<int>("highCutTop");
        QTest::newRow("music") << 0 << 54 << 0 << 0;
        QTest::newRow("mic 1-2") << 1 << 54 << 201 << 241;
        QTest::newRow("mic 3") << 2 << 54 << 201 << 241;
        QTest::newRow("effect") << 3 << 130 << 131 << 241;
        QTest::newRow("centre") << 4 << 0 << 0 << 0;
        QTest::newRow("bass") << 6 << 54 << 0 << 54;
    }
    void cutRanges() {
        QFETCH(int, channel);
        QFETCH(int, lowCutTop);
        QFETCH(int, highCutBottom);
        QFETCH(int, highCutTop);
        QCOMPARE(LowCutIndexRange(channel), (FreqIndexRange{0, uint8_t(lowCutTop)}));
        QCOMPARE(HighCutIndexRange(channel), (FreqIndexRange{uint8_t(highCutBottom), uint8_t(highCutTop)}));
    }
};

QTEST_GUILESS_MAIN(TstEqScales)
#include "tst_eqscales.moc"
