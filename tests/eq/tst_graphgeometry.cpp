#include "eq/GraphGeometry.h"
#include "eq/GraphLayout.h"

#include <QTest>
#include <algorithm>
#include <cmath>

using namespace korva;

Q_DECLARE_METATYPE(korva::EqPointKind)

namespace {

EqPoint Point(EqPointKind kind, float hz, float db, float q) {
    return {hz, db, q, kind, true, 0x44};
}

} // namespace

class TstGraphGeometry : public QObject {
    Q_OBJECT
private slots:
    void designWidth() {
        const GraphGeometry g = ComputeGraphGeometry(1547);
        QCOMPARE(g.GraphScale, 1.0f);
        QCOMPARE(g.CanvasWidth, 1547);
        QCOMPARE(g.CanvasHeight, 382);
        QCOMPARE(g.PlotLeft, 0);
        QCOMPARE(g.PlotRight, 1588);
        QCOMPARE(g.PlotTop, 10);
        QCOMPARE(g.PlotBottom, 350);
        QCOMPARE(g.PlotMiddle, 180);
        QCOMPARE(g.FreqAxisOffset, 60);
        QCOMPARE(g.ColumnCount, 1588);
        QVERIFY(std::fabs(g.PixelsPerDecade - 475.10) < 0.01);
    }

    void scaledWidth_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("plotRight");
        QTest::addColumn<int>("plotBottom");
        QTest::addColumn<int>("plotMiddle");
        QTest::newRow("half") << 774 << 191 << 795 << 175 << 90;
        QTest::newRow("wide, middle 232.5 to even") << 2000 << 494 << 2053 << 452 << 232;
    }
    void scaledWidth() {
        QFETCH(int, width);
        const GraphGeometry g = ComputeGraphGeometry(width);
        QCOMPARE(g.CanvasWidth, width);
        QTEST(g.CanvasHeight, "height");
        QTEST(g.PlotRight, "plotRight");
        QTEST(g.PlotBottom, "plotBottom");
        QTEST(g.PlotMiddle, "plotMiddle");
        QCOMPARE(g.ColumnCount, g.PlotRight);
    }

    void frequencyAxis_data() {
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("x");
        QTest::newRow("20 Hz") << 20.0 << 83.0;
        QTest::newRow("100 Hz") << 100.0 << 415.1;
        QTest::newRow("1 kHz") << 1000.0 << 890.2;
        QTest::newRow("10 kHz") << 10000.0 << 1365.3;
        QTest::newRow("20 kHz") << 20000.0 << 1508.3;
        QTest::newRow("22 kHz") << 22000.0 << 1528.0;
    }
    void frequencyAxis() {
        QFETCH(double, hz);
        QFETCH(double, x);
        const GraphGeometry g = ComputeGraphGeometry(1547);
        QVERIFY2(std::fabs(g.FreqToX(hz) - x) < 0.05, qPrintable(QString::number(g.FreqToX(hz))));
        QVERIFY(std::fabs(g.XToFreq(g.FreqToX(hz)) / hz - 1) < 1e-5);
    }

    void levelAxis_data() {
        QTest::addColumn<double>("db");
        QTest::addColumn<float>("y");
        QTest::addColumn<float>("backToDb");
        QTest::newRow("0 dB") << 0.0 << 180.0f << 0.0f;
        QTest::newRow("+1 dB") << 1.0 << 169.375f << 1.0f;
        QTest::newRow("+16 dB") << 16.0 << 10.0f << 16.0f;
        QTest::newRow("-16 dB") << -16.0 << 350.0f << -16.0f;
        QTest::newRow("above the range") << 20.0 << 10.0f << 16.0f;
        QTest::newRow("below the range") << -20.0 << 350.0f << -16.0f;
    }
    void levelAxis() {
        QFETCH(double, db);
        QFETCH(float, y);
        QFETCH(float, backToDb);
        const GraphGeometry g = ComputeGraphGeometry(1547);
        QCOMPARE(g.DbToY(db), y);
        QCOMPARE(g.YToDb(y), backToDb);
    }

    void yOutsideThePlot() {
        const GraphGeometry g = ComputeGraphGeometry(1547);
        QCOMPARE(g.YToDb(0), 16.0f);
        QCOMPARE(g.YToDb(400), -16.0f);
    }

    void columnFrequencies() {
        const GraphGeometry g = ComputeGraphGeometry(1547);
        QVERIFY(std::fabs(g.XToFreq(0) - 13.375) < 0.001);
        QCOMPARE(float(g.ColumnFrequencyHz(0)), g.XToFreq(0));
        QVERIFY(std::fabs(g.ColumnFrequencyHz(1528) - 22000.0) < 0.01); // 22 kHz at x = 1528, held after it
        QCOMPARE(g.ColumnFrequencyHz(g.ColumnCount - 1), 22000.0);
        QVERIFY(std::fabs(g.ColumnFrequencyHz(890) - 999.0) < 1.0);
    }

    void gridLines() {
        const GraphGeometry g = ComputeGraphGeometry(1547);
        const std::vector<int> xs = VerticalGridXs(g);
        QCOMPARE(xs.size(), size_t(29));
        QCOMPARE(xs.front(), -60);                      // 10 Hz, left of the canvas
        QVERIFY(std::count(xs.begin(), xs.end(), 890)); // 1 kHz
        QCOMPARE(xs.back(), 1508);                      // 20 kHz
        QCOMPARE(HorizontalGridYs(g), (std::vector<int>{95, 180, 265}));
    }

    void axisLabels() {
        const GraphGeometry g = ComputeGraphGeometry(1547);
        const std::vector<GraphLabel> labels = AxisLabels(g);
        QCOMPARE(labels.size(), size_t(10));
        QCOMPARE(labels.front().Text, QStringLiteral("20Hz"));
        QVERIFY(std::fabs(labels.front().TopLeft.x() - 69.0) < 0.05);
        QCOMPARE(labels.front().TopLeft.y(), 353.0);
        QCOMPARE(labels[4].Text, QStringLiteral("20KHz"));
        QVERIFY(std::fabs(labels[4].TopLeft.x() - 1490.3) < 0.05);
        QCOMPARE(labels[5].Text, QStringLiteral("+15dB"));
        QCOMPARE(labels[5].TopLeft.x(), 7.0);
        QVERIFY(std::fabs(labels[5].TopLeft.y() - 14.6) < 0.05);
    }

    void markerImages_data() {
        QTest::addColumn<EqPointKind>("kind");
        QTest::addColumn<int>("slot");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<int>("image");
        QTest::newRow("band 0") << EqPointKind::Peak << 0 << false << 176;
        QTest::newRow("band 14 selected") << EqPointKind::Peak << 14 << true << 207;
        QTest::newRow("high-cut") << EqPointKind::HighCut << 15 << false << 191;
        QTest::newRow("high-cut selected") << EqPointKind::HighCut << 0 << true << 208;
        QTest::newRow("low-cut") << EqPointKind::LowCut << 16 << false << 192;
        QTest::newRow("low-cut selected") << EqPointKind::LowCut << 1 << true << 209;
    }
    void markerImages() {
        QFETCH(EqPointKind, kind);
        QFETCH(int, slot);
        QFETCH(bool, selected);
        QTEST(MarkerImage(Point(kind, 1000, 0, 1.4f), slot, selected), "image");
    }

    void selectedPointLabels_data() {
        QTest::addColumn<EqPointKind>("kind");
        QTest::addColumn<float>("hz");
        QTest::addColumn<float>("db");
        QTest::addColumn<float>("q");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<double>("dx"); // offset of the labels from the marker centre
        QTest::addColumn<double>("dy"); // of the first label
        QTest::newRow("cut filter") << EqPointKind::LowCut << 230.0f << 0.0f << 1.4f << QStringList{"230Hz"}
                                    << -14.0 << -25.0;
        QTest::newRow("band") << EqPointKind::Peak << 1000.0f << -3.2f << 1.4f
                              << QStringList{"1000Hz", "-3.2dB", "1.4 Q"} << 15.0 << -16.0;
        QTest::newRow("flat band, integer Q") << EqPointKind::Peak << 400.0f << 0.0f << 15.0f
                                              << QStringList{"400Hz", "0.0dB", "15.0 Q"} << 15.0 << -16.0;
        // The side is decided by the rounded marker x: 10 kHz itself lands at x 1365, which reads 9993 Hz.
        QTest::newRow("band at 10 kHz, labels right")
            << EqPointKind::Peak << 10000.0f << 0.2f << 0.1f << QStringList{"10000Hz", "0.2dB", "0.1 Q"}
            << 15.0 << -16.0;
        QTest::newRow("band at 10.5 kHz, labels left")
            << EqPointKind::Peak << 10500.0f << -15.0f << 60.0f << QStringList{"10500Hz", "-15.0dB", "60.0 Q"}
            << -54.0 << -16.0;
    }
    void selectedPointLabels() {
        QFETCH(EqPointKind, kind);
        QFETCH(float, hz);
        QFETCH(float, db);
        QFETCH(float, q);
        QFETCH(QStringList, texts);
        QFETCH(double, dx);
        QFETCH(double, dy);
        const GraphGeometry g = ComputeGraphGeometry(1547);
        const EqPoint point = Point(kind, hz, db, q);
        const QPoint centre = MarkerCentre(g, point);
        QCOMPARE(centre, QPoint(int(std::nearbyint(g.FreqToX(hz))), int(std::nearbyint(g.DbToY(db)))));
        const std::vector<GraphLabel> labels = SelectedPointLabels(g, point);
        QCOMPARE(int(labels.size()), texts.size());
        for (size_t i = 0; i < labels.size(); ++i) {
            QCOMPARE(labels[i].Text, texts[int(i)]);
            QCOMPARE(labels[i].TopLeft, QPointF(centre.x() + dx, centre.y() + dy + 12.0 * double(i)));
        }
    }
};

QTEST_GUILESS_MAIN(TstGraphGeometry)
#include "tst_graphgeometry.moc"
