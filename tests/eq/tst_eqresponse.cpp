#include "ResponseReference.h"

#include "eq/EqState.h"
#include "model/ChannelTables.h"
#include "model/ParamDefaults.h"
#include "model/ParamStore.h"

#include <QTest>
#include <cmath>
#include <vector>

using namespace korva;

using PointVector = std::vector<korva::EqPoint>;
Q_DECLARE_METATYPE(PointVector)
Q_DECLARE_METATYPE(korva::EqPointKind)

namespace {

EqPoint Peak(float hz, float db, float q) {
    return {hz, db, q, EqPointKind::Peak, true, 0};
}
EqPoint Cut(EqPointKind kind, float hz) {
    return {hz, 0, 1.4f, kind, true, 0};
}

// The summed response of points on a canvas of the given width, by the fast path.
std::vector<float> Curve(const PointVector& points, int width = 1547) {
    ResponseBuffer response;
    response.Clear(ComputeGraphGeometry(width));
    for (const EqPoint& p : points) {
        response.AddPoint(p);
    }
    const std::span<const float> v = response.Values();
    return {v.begin(), v.end()};
}

int ColumnNearest(const GraphGeometry& g, double hz) {
    int best = 0;
    for (int c = 1; c < g.ColumnCount; ++c) {
        if (std::fabs(g.ColumnFrequencyHz(c) - hz) < std::fabs(g.ColumnFrequencyHz(best) - hz)) {
            best = c;
        }
    }
    return best;
}

PointVector DefaultPoints(int channel) {
    ParamModel model;
    InitParamDefaults(model, false);
    model.CurrentChannel = uint8_t(channel);
    EqState state;
    BuildEqPoints(model, state);
    return {state.Points.begin(), state.Points.begin() + state.PointCount};
}

} // namespace

class TstEqResponse : public QObject {
    Q_OBJECT
private slots:
    void pointLists_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("bands");
        QTest::addColumn<int>("firstBand");
        QTest::addColumn<int>("highCut");
        QTest::addColumn<int>("lowCut");
        QTest::newRow("music") << 0 << 8 << 7 << 0x03 << 0xFF << 0x01;
        QTest::newRow("mic 1-2") << 1 << 17 << 15 << 0x44 << 0x42 << 0x41;
        QTest::newRow("mic 3") << 2 << 9 << 7 << 0x57 << 0x55 << 0x54;
        QTest::newRow("effect") << 3 << 5 << 3 << 0x89 << 0x82 << 0x87;
        QTest::newRow("centre") << 4 << 3 << 3 << 0x16 << 0xFF << 0xFF;
        QTest::newRow("surround") << 5 << 3 << 3 << 0x0F << 0xFF << 0xFF;
        QTest::newRow("bass") << 6 << 2 << 0 << 0x1F << 0x1D << 0x1C;
        QTest::newRow("recording") << 7 << 3 << 3 << 0x26 << 0xFF << 0xFF;
    }
    void pointLists() {
        QFETCH(int, channel);
        QFETCH(int, count);
        QFETCH(int, bands);
        QFETCH(int, firstBand);
        QFETCH(int, highCut);
        QFETCH(int, lowCut);
        ParamModel model;
        InitParamDefaults(model, false);
        model.CurrentGroup = 2;
        model.CurrentChannel = uint8_t(channel);
        EqState state;
        state.Points.fill(Peak(1, 1, 1)); // stale slots from an earlier channel
        state.SelectedPoint = 5;
        BuildEqPoints(model, state);
        QCOMPARE(state.PointCount, count);
        QCOMPARE(state.SelectedPoint, 5);
        for (int k = 0; k < bands; ++k) {
            const EqPoint& p = state.Points[size_t(k)];
            const ParamRecord& r = model.Store.at(2, firstBand + k);
            QCOMPARE(p.Kind, EqPointKind::Peak);
            QCOMPARE(int(p.Address), firstBand + k);
            QCOMPARE(p.FrequencyHz, FreqIndexToHz(r.DATA1));
            QCOMPARE(p.GainDb, 0.0f);
            QCOMPARE(p.Q, 1.4f);
        }
        int slot = bands;
        for (auto [address, kind] :
             {std::pair{highCut, EqPointKind::HighCut}, std::pair{lowCut, EqPointKind::LowCut}}) {
            if (address != 0xFF) {
                const EqPoint& p = state.Points[size_t(slot++)];
                QCOMPARE(p.Kind, kind);
                QCOMPARE(int(p.Address), address);
                QCOMPARE(p.FrequencyHz, FreqIndexToHz(model.Store.at(2, address).DATA1));
                QCOMPARE(p.GainDb, 0.0f);
                QCOMPARE(p.Q, 1.4f);
            }
        }
        for (int k = 0; k < kEqPointSlots; ++k) {
            QCOMPARE(state.Points[size_t(k)].InUse, k < count);
        }
    }

    void bassShowsOnlyItsCuts() {
        const PointVector points = DefaultPoints(kChannelBass);
        QCOMPARE(points[0].Address, uint8_t(0x1D));
        QCOMPARE(points[0].FrequencyHz, 230.0f);
        QCOMPARE(points[1].Address, uint8_t(0x1C));
        QCOMPARE(points[1].FrequencyHz, 18.0f);
    }

    void zeroQIndexIsRewritten() {
        ParamModel model;
        InitParamDefaults(model, false);
        model.CurrentGroup = 3;
        model.CurrentChannel = kChannelMic3;
        model.Store.at(3, 0x58).DATA3 = 0;
        model.Store.at(0, 0x59).DATA3 = 0; // another group: left alone
        EqState state;
        BuildEqPoints(model, state);
        QCOMPARE(state.Points[1].Q, 0.1f);
        QCOMPARE(int(model.Store.at(3, 0x58).DATA3), 1);
        QCOMPARE(int(model.Store.at(0, 0x59).DATA3), 0);
    }

    void flatPeakAddsExactlyZero_data() {
        QTest::addColumn<float>("hz");
        QTest::addColumn<float>("q");
        QTest::newRow("18 Hz, Q 15") << 18.0f << 15.0f;
        QTest::newRow("1 kHz, Q 1.4") << 1000.0f << 1.4f;
        QTest::newRow("20 kHz, Q 0.1") << 20000.0f << 0.1f;
    }
    void flatPeakAddsExactlyZero() {
        QFETCH(float, hz);
        QFETCH(float, q);
        ResponseBuffer response;
        response.Clear(ComputeGraphGeometry(1547));
        response.AddPointBaseline(Peak(hz, 0, q));
        response.AddPoint(Peak(hz, 0, q));
        for (float v : response.Values()) {
            QCOMPARE(v, 0.0f);
        }
    }

    void knownLevels_data() {
        QTest::addColumn<PointVector>("points");
        QTest::addColumn<double>("atHz");
        QTest::addColumn<double>("db");
        QTest::addColumn<double>("tolerance");
        QTest::newRow("+12 dB peak at its centre")
            << PointVector{Peak(1000, 12, 1.4f)} << 1000.0 << 12.0 << 0.05;
        QTest::newRow("+12 dB peak far below") << PointVector{Peak(1000, 12, 1.4f)} << 20.0 << 0.0 << 0.05;
        QTest::newRow("low-cut 100 Hz at 100 Hz")
            << PointVector{Cut(EqPointKind::LowCut, 100)} << 100.0 << -2.27 << 0.03;
        QTest::newRow("low-cut 990 Hz at 990 Hz")
            << PointVector{Cut(EqPointKind::LowCut, 990)} << 990.0 << -2.27 << 0.03;
        QTest::newRow("high-cut 230 Hz at 230 Hz")
            << PointVector{Cut(EqPointKind::HighCut, 230)} << 230.0 << -2.27 << 0.03;
        QTest::newRow("high-cut 8 kHz at 8 kHz")
            << PointVector{Cut(EqPointKind::HighCut, 8000)} << 8000.0 << -2.27 << 0.03;
        QTest::newRow("low-cut 18 Hz at the left edge")
            << PointVector{Cut(EqPointKind::LowCut, 18)} << 13.37 << -5.7 << 0.05;
        QTest::newRow("high-cut 230 Hz at 1 kHz")
            << PointVector{Cut(EqPointKind::HighCut, 230)} << 1000.0 << -25.5 << 0.1;
    }
    void knownLevels() {
        QFETCH(PointVector, points);
        QFETCH(double, atHz);
        QFETCH(double, db);
        QFETCH(double, tolerance);
        const std::vector<float> curve = Curve(points);
        const float v = curve[size_t(ColumnNearest(ComputeGraphGeometry(1547), atHz))];
        QVERIFY2(std::fabs(v - db) < tolerance, qPrintable(QString::number(v)));
    }

    void lowCutLeavesTheRestAlone() {
        const GraphGeometry g = ComputeGraphGeometry(1547);
        const std::vector<float> curve = Curve({Cut(EqPointKind::LowCut, 18)});
        for (int c = ColumnNearest(g, 100); c < g.ColumnCount; ++c) {
            QVERIFY(std::fabs(curve[size_t(c)]) < 0.1);
        }
    }

    // The fast path against an independent double-precision evaluation, wherever the curve is on the plot.
    void matchesDoublePrecision_data() {
        QTest::addColumn<PointVector>("points");
        QTest::addColumn<int>("width");
        const char* names[] = {"music",  "mic 1-2",  "mic 3", "effect",
                               "centre", "surround", "bass",  "recording"};
        for (int channel = 0; channel < kChannelCount; ++channel) {
            QTest::addRow("defaults %s", names[channel]) << DefaultPoints(channel) << 1547;
        }
        QTest::newRow("defaults mic 1-2, narrow") << DefaultPoints(kChannelMic12) << 500;
        QTest::newRow("defaults mic 1-2, wide") << DefaultPoints(kChannelMic12) << 4000;
        QTest::newRow("18 Hz peaks, Q 15 and 0.1")
            << PointVector{Peak(18, 15, 15), Peak(18, -15, 0.1f)} << 1547;
        QTest::newRow("20 kHz peaks, Q 0.1 and 15")
            << PointVector{Peak(20000, 15, 0.1f), Peak(20000, -15, 15)} << 1547;
        QTest::newRow("opposite narrow neighbours")
            << PointVector{Peak(1000, 15, 15), Peak(1100, -15, 15)} << 1547;
        QTest::newRow("18 Hz low-cut") << PointVector{Cut(EqPointKind::LowCut, 18)} << 1547;
        QTest::newRow("18 Hz high-cut") << PointVector{Cut(EqPointKind::HighCut, 18)} << 1547;
        QTest::newRow("20 kHz high-cut") << PointVector{Cut(EqPointKind::HighCut, 20000)} << 1547;
        QTest::newRow("990 Hz low-cut, 1 kHz high-cut")
            << PointVector{Cut(EqPointKind::LowCut, 990), Cut(EqPointKind::HighCut, 1000)} << 1547;
        PointVector alternating = DefaultPoints(kChannelMic12);
        for (size_t k = 0; k < 15; ++k) {
            alternating[k].GainDb = k % 2 ? -15.0f : 15.0f;
            alternating[k].Q = k % 3 ? 0.1f : 15.0f;
        }
        QTest::newRow("mic 1-2 bands at +-15 dB, Q 0.1 and 15") << alternating << 1547;
        // Twenty of the deepest, narrowest cuts the store can describe: the running products must not leave
        // the range of a double.
        QTest::newRow("twenty extreme cuts") << PointVector(20, Peak(18, -36, 60)) << 1547;
        QTest::newRow("twenty 18 Hz high-cuts") << PointVector(20, Cut(EqPointKind::HighCut, 18)) << 1547;
    }
    void matchesDoublePrecision() {
        QFETCH(PointVector, points);
        QFETCH(int, width);
        const GraphGeometry g = ComputeGraphGeometry(width);
        const std::vector<float> curve = Curve(points, width);
        for (int c = 0; c < g.ColumnCount; ++c) {
            double reference = 0;
            for (const EqPoint& p : points) {
                reference += testing::ReferenceDb(p, g.ColumnFrequencyHz(c));
            }
            QVERIFY(std::isfinite(curve[size_t(c)]));
            if (std::fabs(reference) <= 16) {
                QVERIFY2(std::fabs(curve[size_t(c)] - reference) <= 0.09,
                         qPrintable(QStringLiteral("column %1: %2 dB, reference %3 dB")
                                        .arg(c)
                                        .arg(curve[size_t(c)])
                                        .arg(reference)));
            }
        }
    }

    // The single-precision evaluation stays within a fraction of a pixel of the fast path.
    void baselineAgreesWithFastPath_data() {
        QTest::addColumn<int>("channel");
        for (int channel = 0; channel < kChannelCount; ++channel) {
            QTest::addRow("channel %d", channel) << channel;
        }
    }
    void baselineAgreesWithFastPath() {
        QFETCH(int, channel);
        const PointVector points = DefaultPoints(channel);
        ResponseBuffer baseline;
        baseline.Clear(ComputeGraphGeometry(1547));
        for (const EqPoint& p : points) {
            baseline.AddPointBaseline(p);
        }
        const std::vector<float> fast = Curve(points);
        const std::span<const float> slow = baseline.Values();
        for (size_t c = 0; c < fast.size(); ++c) {
            QVERIFY2(std::fabs(slow[c] - fast[c]) < 0.15, qPrintable(QString::number(c)));
        }
    }

    void anyStoredBytesGiveFiniteCurves() {
        ParamModel model;
        model.CurrentChannel = kChannelCentre;
        EqState state;
        for (int freq : {0, 130, 241, 250, 255}) {
            for (int q : {0, 1, 30, 255}) {
                for (int gain = 0; gain <= 255; gain += 3) {
                    model.Store.at(0, 0x16) = {uint8_t(freq), uint8_t(gain), uint8_t(q)};
                    BuildEqPoints(model, state);
                    ComputeChannelCurve(state, kChannelCentre, ChannelCurve::Sum);
                    for (float v : state.Response.Values()) {
                        QVERIFY(std::isfinite(v));
                    }
                }
            }
        }
    }

    void channelCurves_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("curve");
        QTest::addColumn<QList<int>>("slotList");
        QTest::newRow("mic 1-2 sums all 17")
            << 1 << int(ChannelCurve::Sum)
            << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
        QTest::newRow("bass sums its cuts") << 6 << int(ChannelCurve::Sum) << QList<int>{0, 1};
        QTest::newRow("effect sum: bands only") << 3 << int(ChannelCurve::Sum) << QList<int>{0, 1, 2};
        QTest::newRow("effect high-cut") << 3 << int(ChannelCurve::EffectHighCut) << QList<int>{3};
        QTest::newRow("effect low-cut") << 3 << int(ChannelCurve::EffectLowCut) << QList<int>{4};
    }
    void channelCurves() {
        QFETCH(int, channel);
        QFETCH(int, curve);
        QFETCH(QList<int>, slotList);
        ParamModel model;
        InitParamDefaults(model, false);
        model.CurrentChannel = uint8_t(channel);
        EqState state;
        BuildEqPoints(model, state);
        for (int k = 0; k < state.PointCount; ++k) { // make every point visible in the sum
            state.Points[size_t(k)].GainDb =
                state.Points[size_t(k)].Kind == EqPointKind::Peak ? float(k + 1) : 0.0f;
        }
        PointVector expected;
        for (int slot : slotList) {
            expected.push_back(state.Points[size_t(slot)]);
        }
        ComputeChannelCurve(state, channel, ChannelCurve(curve));
        const std::span<const float> actual = state.Response.Values();
        const std::vector<float> reference = Curve(expected);
        QCOMPARE(std::vector<float>(actual.begin(), actual.end()), reference);
    }

    void sumStopsAtTheFirstFreeSlot() {
        EqState state;
        state.Points[0] = Peak(100, 6, 1);
        state.Points[1] = Peak(1000, 6, 1);
        state.Points[3] = Peak(5000, 6, 1); // after a free slot: not part of the list
        ComputeChannelCurve(state, kChannelMusic, ChannelCurve::Sum);
        const std::span<const float> actual = state.Response.Values();
        QCOMPARE(std::vector<float>(actual.begin(), actual.end()), Curve({state.Points[0], state.Points[1]}));
    }
};

QTEST_GUILESS_MAIN(TstEqResponse)
#include "tst_eqresponse.moc"
