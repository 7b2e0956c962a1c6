// Properties of the EQ fit on the processor's grid: exact import of settings it can store, quality against
// the continuous fit and against rounding it, determinism, storable values only, the boost limit, the
// level alignment of measurements, and filter text that goes out and comes back unchanged.
#include "EqFitSamples.h"

#include "eq/FilterExport.h"
#include "eq/GraphGeometry.h"
#include "eq/GridFit.h"
#include "eq/ResponseBuffer.h"
#include "model/ChannelTables.h"

#include <QTest>
#include <algorithm>
#include <cmath>

using namespace korva;
using namespace korva::testing;

namespace {

bool OnQScale(uint8_t q) {
    return (q >= 1 && q <= 30) || (q >= 31 && q <= 75 && (q - 31) % 4 == 0);
}

// Everything a result holds is what the processor can store, and its figures say what its records mean.
void CheckStorable(const FitResult& r, int channel) {
    QCOMPARE(r.Eq.Channel, channel);
    QCOMPARE(int(r.Bands.size()), ChannelTable()[size_t(channel)].BandCount);
    for (size_t k = 0; k < r.Bands.size(); ++k) {
        const FittedBand& b = r.Bands[k];
        QVERIFY(b.Record.FreqIndex <= 241);
        QVERIFY(b.Record.GainIndex <= 150);
        QVERIFY2(OnQScale(b.Record.QIndex), qPrintable(QString::number(b.Record.QIndex)));
        QCOMPARE(b.Address, BandAddress(channel, int(k)));
        QCOMPARE(b.Record, r.Eq.Bands[k]);
        QCOMPARE(b.FrequencyHz, FreqIndexToHz(b.Record.FreqIndex));
        QCOMPARE(b.GainDb, GainIndexToDb(b.Record.GainIndex));
        QCOMPARE(b.Q, QIndexToQ(b.Record.QIndex));
    }
    for (const FittedCut& c : r.Cuts) {
        const FreqIndexRange range = c.Kind == EqPointKind::LowCut ? LowCutIndexRange(channel) : HighCutIndexRange(channel);
        QVERIFY(c.FreqIndex >= range.Lowest && c.FreqIndex <= range.Highest);
    }
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::vector<BandRecord> Sorted(std::vector<BandRecord> bands) {
    std::sort(bands.begin(), bands.end(), [](const BandRecord& a, const BandRecord& b) {
        return std::tie(a.FreqIndex, a.QIndex, a.GainIndex) < std::tie(b.FreqIndex, b.QIndex, b.GainIndex);
    });
    return bands;
}

FilterSet PeakingSetOf(const std::vector<BandRecord>& bands) {
    FilterSet set;
    for (const BandRecord& b : bands) {
        TextFilter f;
        f.TypeText = QStringLiteral("PK");
        f.FrequencyHz = FreqIndexToHz(b.FreqIndex);
        f.GainDb = std::round(GainIndexToDb(b.GainIndex) * 10.0) / 10.0; // as a file writes it
        f.WidthKind = FilterWidthKind::Q;
        f.Width = std::round(QIndexToQ(b.QIndex) * 10.0) / 10.0;
        set.Filters.push_back(f);
    }
    return set;
}

} // namespace

class TstGridFit : public QObject {
    Q_OBJECT
private slots:
    void channelResponseIsTheGraphs_data() {
        QTest::addColumn<int>("channel");
        for (int c : {kChannelMusic, kChannelMic12, kChannelEffect, kChannelBass}) {
            QTest::addRow("channel %d", c) << c;
        }
    }
    void channelResponseIsTheGraphs() {
        QFETCH(int, channel);
        ChannelEq eq = DefaultChannelEq(channel);
        for (size_t k = 0; k < eq.Bands.size(); ++k) {
            eq.Bands[k].GainIndex = uint8_t(40 + 13 * k); // +7 dB down to a cut
        }
        const GraphGeometry g = ComputeGraphGeometry(GraphGeometry::kDesignWidth);
        ResponseBuffer graph;
        graph.Clear(g);
        for (const EqPoint& p : ChannelEqPoints(eq)) {
            graph.AddPoint(p);
        }
        std::vector<double> hz(size_t(g.ColumnCount));
        for (int c = 0; c < g.ColumnCount; ++c) {
            hz[size_t(c)] = g.ColumnFrequencyHz(c);
        }
        const std::vector<double> ours = ChannelResponseDb(eq, hz);
        for (size_t c = 0; c < hz.size(); ++c) {
            QVERIFY2(std::fabs(ours[c] - graph.At(int(c))) < 1e-4, qPrintable(QString::number(hz[c])));
        }
    }

    // Imported filters as Equalizer APO computes them at 48 kHz: the cookbook's landmarks.
    void importedFilterResponse_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("db");
        QTest::addColumn<double>("tolerance");
        const auto row = [](const char* name, const char* line, double hz, double db, double tolerance) {
            QTest::newRow(name) << QByteArray(line) << hz << db << tolerance;
        };
        row("low shelf: half its gain at its centre", "Filter: ON LSC Fc 100 Hz Gain 6 dB Q 0.707", 100, 3, 1e-9);
        row("low shelf: all of it far below", "Filter: ON LSC Fc 100 Hz Gain 6 dB Q 0.707", 10, 6, 0.05);
        row("low shelf: nothing far above", "Filter: ON LSC Fc 100 Hz Gain 6 dB Q 0.707", 10000, 0, 0.01);
        row("high shelf: half its gain at its centre", "Filter: ON HSC Fc 5000 Hz Gain -4 dB", 5000, -2, 1e-9);
        row("high shelf: nothing far below", "Filter: ON HSC Fc 5000 Hz Gain -4 dB", 100, 0, 0.01);
        row("shelf by corner: centre above it", "Filter: ON LS 12dB Fc 100 Hz Gain 6 dB", 100 * std::pow(10, 6.0 / 80), 3, 1e-9);
        row("high-pass: -3 dB at its frequency", "Filter: ON HP Fc 100 Hz", 100, -3.0103, 1e-3);
        row("high-pass: 12 dB per octave below", "Filter: ON HP Fc 100 Hz", 10, -40, 0.1);
        row("low-pass with the cut filters' Q", "Filter: ON LPQ Fc 1000 Hz Q 0.77", 1000, 20 * std::log10(0.77), 1e-6);
        row("notch: deep at its frequency", "Filter: ON NO Fc 1000 Hz", 1000, -120, 60);
        row("notch: nothing an octave away", "Filter: ON NO Fc 1000 Hz", 2000, 0, 0.01);
        row("band-pass: 0 dB at its frequency", "Filter: ON BP Fc 1000 Hz Q 2", 1000, 0, 1e-9);
        row("all-pass: no level change", "Filter: ON AP Fc 1000 Hz Q 2", 1200, 0, 0);
        row("peak by octaves: half its gain at the band's edge", "Filter: ON PK Fc 1000 Hz Gain 6 dB BW Oct 1",
            1000 * std::sqrt(2.0), 3, 0.01); // the bilinear transform moves the edges a little
    }
    void importedFilterResponse() {
        QFETCH(QByteArray, line);
        QFETCH(double, hz);
        QFETCH(double, db);
        QFETCH(double, tolerance);
        ReadError error;
        const std::optional<FilterSet> set = ReadFilterText(line, QString(), &error);
        QVERIFY2(set, qPrintable(error.Message()));
        const double got = FilterSetResponse(*set, std::vector<double>{hz}).front();
        QVERIFY2(std::fabs(got - db) <= tolerance, qPrintable(QStringLiteral("%1 dB").arg(got)));
    }

    void importsSettingsOnTheGridExactly_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<std::vector<BandRecord>>("bands");
        QTest::newRow("music, every band") << int(kChannelMusic)
            << std::vector<BandRecord>{{19, 90, 14}, {44, 60, 7}, {71, 82, 20}, {131, 75, 14}, {146, 40, 35},
                                       {184, 100, 3}, {233, 70, 30}};
        QTest::newRow("music, three bands") << int(kChannelMusic)
            << std::vector<BandRecord>{{30, 110, 5}, {150, 64, 12}, {200, 75, 51}};
        QTest::newRow("mic12, ten bands") << int(kChannelMic12)
            << std::vector<BandRecord>{{4, 50, 9}, {20, 95, 14}, {41, 70, 22}, {60, 80, 6}, {90, 30, 43},
                                       {131, 77, 10}, {140, 73, 18}, {180, 120, 25}, {221, 60, 14}, {241, 85, 1}};
        QTest::newRow("effect, two bands on one frequency") << int(kChannelEffect)
            << std::vector<BandRecord>{{131, 60, 14}, {131, 90, 30}};
    }
    void importsSettingsOnTheGridExactly() {
        QFETCH(int, channel);
        QFETCH(std::vector<BandRecord>, bands);
        const std::optional<FitResult> r = ImportFilters(PeakingSetOf(bands), DefaultChannelEq(channel), {});
        QVERIFY(r);
        CheckStorable(*r, channel);
        QCOMPARE(r->RmsDb, 0.0);
        QCOMPARE(r->MaxDb, 0.0);
        std::vector<BandRecord> working;
        for (const BandRecord& b : r->Eq.Bands) {
            if (b.GainIndex != 75) {
                working.push_back(b);
            }
        }
        std::vector<BandRecord> expected;
        std::copy_if(bands.begin(), bands.end(), std::back_inserter(expected), [](const BandRecord& b) { return b.GainIndex != 75; });
        QCOMPARE(Sorted(working), Sorted(expected));
    }

    // Curves of random band sets and of shelves with peaks: the search on the grid stays close to the
    // continuous fit and far below rounding it.
    void fitQuality_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("shelves");
        QTest::addColumn<double>("allowedGap");
        QTest::newRow("music, band sets") << int(kChannelMusic) << false << 0.05;
        QTest::newRow("music, shelves and peaks") << int(kChannelMusic) << true << 0.05;
        QTest::newRow("mic12, band sets") << int(kChannelMic12) << false << 0.1;
        QTest::newRow("mic12, shelves and peaks") << int(kChannelMic12) << true << 0.1;
    }
    void fitQuality() {
        QFETCH(int, channel);
        QFETCH(bool, shelves);
        QFETCH(double, allowedGap);
        const int bands = ChannelTable()[size_t(channel)].BandCount;
        std::vector<double> gaps;
        std::vector<double> ratios;
        for (uint64_t seed = 1; seed <= 5; ++seed) {
            const FilterSet set = shelves ? ShelvesAndPeaks(seed, bands / 2) : RandomPeakingSet(seed, bands);
            const std::optional<FitResult> r = FitCurve(CurveOf(set), DefaultChannelEq(channel), {});
            QVERIFY(r);
            CheckStorable(*r, channel);
            QVERIFY2(r->RmsDb <= r->SnappedRmsDb, qPrintable(QString::number(seed)));
            gaps.push_back(r->RmsDb - r->ContinuousRmsDb);
            ratios.push_back(r->RmsDb / r->SnappedRmsDb);
        }
        qInfo("median: %.3f dB above the continuous fit, %.2f of rounding it", Median(gaps), Median(ratios));
        QVERIFY(Median(gaps) <= allowedGap);
        QVERIFY(Median(ratios) <= 0.6);
    }

    void deterministic_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("cuts");
        QTest::newRow("music") << int(kChannelMusic) << false;
        QTest::newRow("mic12 with cut filters") << int(kChannelMic12) << true;
    }
    void deterministic() {
        QFETCH(int, channel);
        QFETCH(bool, cuts);
        FitOptions options;
        options.UseCuts = cuts;
        const FrequencyCurve curve = CurveOf(ShelvesAndPeaks(42, 6));
        const std::optional<FitResult> first = FitCurve(curve, DefaultChannelEq(channel), options);
        const std::optional<FitResult> second = FitCurve(curve, DefaultChannelEq(channel), options);
        QVERIFY(first && second);
        CheckStorable(*first, channel);
        QCOMPARE(first->Eq, second->Eq);
        QCOMPARE(first->RmsDb, second->RmsDb);
        QCOMPARE(first->FittedDb, second->FittedDb);
    }

    // A measurement with deep nulls: the correction boosts no more than allowed, and the level the
    // measurement was taken at does not matter.
    void measurementFit_data() {
        QTest::addColumn<double>("maxBoost");
        QTest::addColumn<double>("level");
        QTest::newRow("default limit") << 6.0 << 0.0;
        QTest::newRow("3 dB limit") << 3.0 << 0.0;
        QTest::newRow("measured 85 dB louder") << 6.0 << 85.0;
    }
    void measurementFit() {
        QFETCH(double, maxBoost);
        QFETCH(double, level);
        FilterSet room = RandomPeakingSet(7, 5);
        for (double hz : {63.0, 180.0}) { // two deep nulls
            TextFilter null;
            null.TypeText = QStringLiteral("PK");
            null.FrequencyHz = hz;
            null.GainDb = -18.0;
            null.WidthKind = FilterWidthKind::Q;
            null.Width = 6.0;
            room.Filters.push_back(null);
        }
        FrequencyCurve measured = CurveOf(room);
        for (double& db : measured.Db) {
            db += level;
        }
        MeasurementFitOptions options;
        options.Fit.MaxBoostDb = maxBoost;
        const std::optional<FitResult> r = FitMeasurement(measured, nullptr, DefaultChannelEq(kChannelMic12), options);
        QVERIFY(r);
        CheckStorable(*r, kChannelMic12);
        QVERIFY(*std::max_element(r->DesiredDb.begin(), r->DesiredDb.end()) <= maxBoost);
        QVERIFY(*std::max_element(r->FittedDb.begin(), r->FittedDb.end()) <= maxBoost + 0.25);
        MeasurementFitOptions sameAtZero = options;
        FrequencyCurve atZero = measured;
        for (double& db : atZero.Db) {
            db -= level;
        }
        QCOMPARE(FitMeasurement(atZero, nullptr, DefaultChannelEq(kChannelMic12), sameAtZero)->Eq, r->Eq);
    }

    void refusesWhatMakesNoSense_data() {
        QTest::addColumn<double>("fromHz");
        QTest::addColumn<double>("toHz");
        QTest::addColumn<double>("alignFromHz");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty range") << 1000.0 << 1000.0 << 200.0 << QStringLiteral("频率范围无效");
        QTest::newRow("range beyond the measurement") << 30000.0 << 20000.0 << 200.0 << QStringLiteral("频率范围无效");
        QTest::newRow("alignment beyond the measurement") << 20.0 << 20000.0 << 5000.0 << QStringLiteral("电平对齐范围");
    }
    void refusesWhatMakesNoSense() {
        QFETCH(double, fromHz);
        QFETCH(double, toHz);
        QFETCH(double, alignFromHz);
        QFETCH(QString, reason);
        const FrequencyCurve measured{{100.0, 1000.0}, {70.0, 72.0}};
        MeasurementFitOptions options;
        options.Fit.FromHz = fromHz;
        options.Fit.ToHz = toHz;
        options.AlignFromHz = alignFromHz;
        options.AlignToHz = alignFromHz * 10;
        QString error;
        QVERIFY(!FitMeasurement(measured, nullptr, DefaultChannelEq(kChannelMusic), options, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    // What goes out as REW or APO text comes back as the same settings, cut filters included.
    void exportedTextImportsUnchanged_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("format");
        for (int format : {int(FilterTextFormat::Rew), int(FilterTextFormat::Apo)}) {
            QTest::addRow("music %d", format) << int(kChannelMusic) << format;
            QTest::addRow("mic12 %d", format) << int(kChannelMic12) << format;
            QTest::addRow("effect %d", format) << int(kChannelEffect) << format;
        }
    }
    void exportedTextImportsUnchanged() {
        QFETCH(int, channel);
        QFETCH(int, format);
        ChannelEq eq = DefaultChannelEq(channel);
        for (size_t k = 0; k < eq.Bands.size(); ++k) {
            const size_t q = k < 8 ? 5 + 3 * k : 31 + 4 * (k - 8); // values of the Q scale
            eq.Bands[k] = {uint8_t(std::min<size_t>(eq.Bands[k].FreqIndex + k, 241)), uint8_t(50 + 7 * k), uint8_t(q)};
        }
        if (eq.LowCutIndex) {
            eq.LowCutIndex = 20;
        }
        if (eq.HighCutIndex) {
            eq.HighCutIndex = HighCutIndexRange(channel).Lowest;
        }
        const QString text = ExportFilterText(eq, FilterTextFormat(format), QStringLiteral("话筒"));
        ReadError error;
        const std::optional<FilterSet> set = ReadFilterText(text.toUtf8(), QStringLiteral("out.txt"), &error);
        QVERIFY2(set, qPrintable(error.Message()));
        QVERIFY(set->Warnings.empty());
        FitOptions options;
        options.UseCuts = true;
        const std::optional<FitResult> back = ImportFilters(*set, DefaultChannelEq(channel), options);
        QVERIFY(back);
        QCOMPARE(Sorted(back->Eq.Bands), Sorted(eq.Bands));
        QCOMPARE(back->Eq.LowCutIndex, eq.LowCutIndex);
        QCOMPARE(back->Eq.HighCutIndex, eq.HighCutIndex);
        QVERIFY(back->RmsDb < 1e-9);
    }
};

QTEST_APPLESS_MAIN(TstGridFit)
#include "tst_gridfit.moc"
