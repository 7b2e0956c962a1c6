#include "design/SkinNumbers.h"
#include "eq/BlockSkin.h"
#include "eq/GraphRenderer.h"
#include "model/ChannelTables.h"
#include "model/ParamDefaults.h"
#include "model/ParamStore.h"

#include <QTest>
#include <cmath>
#include <cstdlib>

using namespace korva;

namespace {

constexpr int kNoSelection = kEqPointSlots - 1; // a free slot: no point labels in the way

// src drawn over an opaque dst.
QRgb Over(QRgb src, QRgb dst) {
    const int a = qAlpha(src);
    const auto mix = [a](int s, int d) { return (s * a + d * (255 - a) + 127) / 255; };
    return qRgb(mix(qRed(src), qRed(dst)), mix(qGreen(src), qGreen(dst)), mix(qBlue(src), qBlue(dst)));
}

bool Near(QRgb actual, QRgb expected, int tolerance = 3) {
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}

QString Hex(QRgb c) {
    return QString::number(c, 16);
}

// How much of full, a pixel is between background and full colour (0..1); -1 when it is another colour.
double CoverageOf(QRgb pixel, QRgb full, QRgb background) {
    const int p[3] = {qRed(pixel) - qRed(background), qGreen(pixel) - qGreen(background),
                      qBlue(pixel) - qBlue(background)};
    const int f[3] = {qRed(full) - qRed(background), qGreen(full) - qGreen(background),
                      qBlue(full) - qBlue(background)};
    double dot = 0;
    double norm = 0;
    for (int i = 0; i < 3; ++i) {
        dot += p[i] * f[i];
        norm += f[i] * f[i];
    }
    const double a = dot / norm;
    for (int i = 0; i < 3; ++i) {
        if (std::abs(p[i] - a * f[i]) > 6) {
            return -1;
        }
    }
    return a;
}

// The factory settings of one channel drawn at a given width.
struct World {
    ParamModel model;
    EqState state;
    BlockSkin skin;
    GraphRenderer renderer{skin};

    explicit World(int channel, int width = 1547, double devicePixelRatio = 1.0) {
        InitParamDefaults(model, false);
        model.CurrentChannel = uint8_t(channel);
        state.SelectedPoint = kNoSelection;
        renderer.LayoutGraph(state, width, devicePixelRatio);
    }
    void Redraw(uint8_t bypassValue = 1) {
        BuildEqPoints(model, state);
        renderer.RedrawGraph(state, model.CurrentChannel,
                             {BypassAddressTable()[model.CurrentChannel], bypassValue});
    }
    QRgb FrameAt(int x, int y) const { return renderer.Frame().pixel(x, y); }
    QRgb BackgroundAt(int x, int y) const { return renderer.Background().pixel(x, y); }
    // y of a curve across pixel column x (between the curve points at x and x + 1).
    int CurveY(ChannelCurve curve, int x) {
        ComputeChannelCurve(state, model.CurrentChannel, curve);
        const GraphGeometry& g = state.Geometry;
        return int(std::floor((g.DbToY(state.Response.At(x)) + g.DbToY(state.Response.At(x + 1))) / 2));
    }
    // Column x shows the curve's colour over the background within two rows of the curve, in a pixel covered
    // by at least 80 percent. The segments are anti-aliased one by one, as the original draws them, so where
    // a steep curve bends no pixel is covered fully.
    bool ShowsCurve(ChannelCurve curve, int x, QRgb colour) {
        const int yCurve = CurveY(curve, x);
        for (int y = yCurve - 2; y <= yCurve + 2; ++y) {
            if (CoverageOf(FrameAt(x, y), Over(colour, BackgroundAt(x, y)), BackgroundAt(x, y)) >= 0.8) {
                return true;
            }
        }
        return false;
    }
    bool ColumnIsBackground(int x) const {
        for (int y = 0; y < renderer.Frame().height(); ++y) {
            if (FrameAt(x, y) != BackgroundAt(x, y)) {
                return false;
            }
        }
        return true;
    }
};

} // namespace

class TstGraphRenderer : public QObject {
    Q_OBJECT
private slots:
    void gridLines() {
        World w(kChannelCentre);
        const QRgb plain = BlockSkin::BlockColour(skinnumbers::kGraphBackground);
        const QRgb grid = Over(GraphRenderer::kGridColour, plain);
        QVERIFY2(Near(w.BackgroundAt(890, 50), grid, 1), qPrintable(Hex(w.BackgroundAt(890, 50)))); // 1 kHz
        QCOMPARE(w.BackgroundAt(889, 50), plain);
        QCOMPARE(w.BackgroundAt(891, 50), plain);
        QVERIFY(Near(w.BackgroundAt(1508, 50), grid, 1)); // 20 kHz
        QVERIFY(Near(w.BackgroundAt(300, 180), grid, 1)); // 0 dB
        QCOMPARE(w.BackgroundAt(300, 179), plain);
        QCOMPARE(w.BackgroundAt(300, 181), plain);
        QCOMPARE(w.BackgroundAt(890, 5), plain); // grid lines stop at the top of the plot
    }

    void fillShowsAroundASmallPicture() {
        BlockSkin skin;
        skin.SetImageSize(skinnumbers::kGraphBackground, QSize(1000, 300));
        GraphRenderer renderer(skin);
        EqState state;
        renderer.LayoutGraph(state, 1547);
        QCOMPARE(renderer.Background().pixel(1200, 370), GraphRenderer::kBackgroundFill);
        QCOMPARE(renderer.Background().pixel(500, 30), BlockSkin::BlockColour(skinnumbers::kGraphBackground));
    }

    void flatCurveEndsAt22kHz() {
        World w(kChannelCentre);
        w.Redraw();
        const int markerXs[] = {415, 890, 1365}; // 100 Hz, 1 kHz, 10 kHz
        for (int x = 0; x <= 1526; ++x) {
            if (std::any_of(std::begin(markerXs), std::end(markerXs),
                            [x](int m) { return std::abs(x - m) <= 10; })) {
                continue;
            }
            QVERIFY2(w.FrameAt(x, 180) == GraphRenderer::kChannelCurveColour, qPrintable(QString::number(x)));
        }
        for (int x = 1528; x < 1547; ++x) {
            QVERIFY2(w.ColumnIsBackground(x), qPrintable(QString::number(x)));
        }
    }

    void redrawFollowsThePoints() {
        World w(kChannelCentre);
        w.Redraw();
        w.model.Store.at(0, 0x17).DATA2 = 25; // +10 dB at 1 kHz
        w.Redraw();
        QCOMPARE(w.FrameAt(700, 180), w.BackgroundAt(700, 180));
        QVERIFY(w.ShowsCurve(ChannelCurve::Sum, 700, GraphRenderer::kChannelCurveColour));
    }

    void curveLeavesAGapAtTheTop() {
        World w(kChannelMic12);
        w.model.Store.at(0, 0x4B).DATA2 = 0; // 630 Hz at +15 dB
        w.model.Store.at(0, 0x4C).DATA2 = 0; // 1 kHz at +15 dB
        w.Redraw();
        ComputeChannelCurve(w.state, kChannelMic12, ChannelCurve::Sum);
        const std::span<const float> db = w.state.Response.Values();
        int gapColumns = 0;
        bool sawRisingCurve = false;
        for (int x = 700; x < 1000; ++x) {
            if (std::abs(x - 795) <= 11 || std::abs(x - 890) <= 11) {
                continue; // the two markers
            }
            const auto above = [&db](int c) { return db[size_t(c)] >= 16.2f; };
            if (above(x - 2) && above(x) &&
                above(x + 2)) { // clear of the slanted ends of neighbouring segments
                QVERIFY2(w.ColumnIsBackground(x), qPrintable(QString::number(x)));
                ++gapColumns;
            } else if (db[size_t(x)] > 5 && db[size_t(x)] < 14) {
                QVERIFY2(w.ShowsCurve(ChannelCurve::Sum, x, GraphRenderer::kChannelCurveColour),
                         qPrintable(QString::number(x)));
                sawRisingCurve = true;
            }
        }
        QVERIFY(gapColumns > 20);
        QVERIFY(sawRisingCurve);
    }

    void bypassOverlay_data() {
        QTest::addColumn<uint8_t>("address");
        QTest::addColumn<uint8_t>("value");
        QTest::addColumn<bool>("shown");
        QTest::newRow("bypass 0") << uint8_t(0x43) << uint8_t(0) << true;
        QTest::newRow("bypass 1") << uint8_t(0x43) << uint8_t(1) << false;
        QTest::newRow("no bypass address") << uint8_t(0xFF) << uint8_t(0) << false;
    }
    void bypassOverlay() {
        QFETCH(uint8_t, address);
        QFETCH(uint8_t, value);
        QFETCH(bool, shown);
        World w(kChannelMic12);
        BuildEqPoints(w.model, w.state);
        w.renderer.RedrawGraph(w.state, kChannelMic12, {address, value});
        const QRgb overlay = BlockSkin::BlockColour(skinnumbers::kBypassOverlay);
        QCOMPARE(w.FrameAt(770, 230) == overlay, shown);
        QCOMPARE(w.FrameAt(621, 201) == overlay, shown);
        QCOMPARE(w.FrameAt(919, 259) == overlay, shown);
        QCOMPARE(w.FrameAt(921, 230) == overlay, false);
    }

    void effectDrawsThreeCurves() {
        World w(kChannelEffect);
        w.model.Store.at(0, 0x8A).DATA2 = 25;  // band 2 at 1 kHz, +10 dB: lifts the amber sum
        w.model.Store.at(0, 0x82).DATA1 = 241; // high-cut at 20 kHz: still on the plot at the right edge
        w.Redraw();
        const int x = 816; // about 700 Hz: the sum is high, both cut curves are near 0 dB
        QVERIFY(w.ShowsCurve(ChannelCurve::Sum, x, GraphRenderer::kChannelCurveColour));

        // The low-cut (120 Hz) alone, where it is near -8 dB and nothing else is drawn.
        ComputeChannelCurve(w.state, kChannelEffect, ChannelCurve::EffectLowCut);
        int lowX = 0;
        while (w.state.Response.At(lowX) < -8) {
            ++lowX;
        }
        QVERIFY(w.ShowsCurve(ChannelCurve::EffectLowCut, lowX, GraphRenderer::kLowCutCurveColour));

        // Beyond 22 kHz the sum has stopped and both cut curves run on to the last column.
        const int right = 1545;
        QVERIFY(w.CurveY(ChannelCurve::EffectHighCut, right) > 190);
        QVERIFY(w.ShowsCurve(ChannelCurve::EffectHighCut, right, GraphRenderer::kHighCutCurveColour));
        QVERIFY(w.ShowsCurve(ChannelCurve::EffectLowCut, right, GraphRenderer::kLowCutCurveColour));
        for (int y = 0; y < 382; ++y) {
            QVERIFY(w.FrameAt(right, y) != GraphRenderer::kChannelCurveColour);
        }
    }

    void markersAndSelectedLabels_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("selected");
        QTest::addColumn<QList<int>>("images");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("bass, low-cut selected")
            << int(kChannelBass) << 1 << QList<int>{191, 209} << QStringList{"18Hz"};
        QTest::newRow("bass, high-cut selected")
            << int(kChannelBass) << 0 << QList<int>{208, 192} << QStringList{"230Hz"};
        QTest::newRow("centre, band 1 selected") << int(kChannelCentre) << 1 << QList<int>{176, 194, 178}
                                                 << QStringList{"1000Hz", "0.0dB", "1.4 Q"};
    }
    void markersAndSelectedLabels() {
        QFETCH(int, channel);
        QFETCH(int, selected);
        QFETCH(QList<int>, images);
        QFETCH(QStringList, texts);
        World w(channel);
        w.state.SelectedPoint = selected;
        w.skin.SetRecording(true);
        w.Redraw();
        QList<int> drawnImages;
        QStringList drawnTexts;
        for (const BlockSkin::DrawCall& call : w.skin.Calls()) {
            if (call.ImageNumber) {
                drawnImages << call.ImageNumber;
                const EqPoint& p = w.state.Points[size_t(drawnImages.size() - 1)];
                const QPointF centre(std::nearbyint(w.state.Geometry.FreqToX(p.FrequencyHz)),
                                     std::nearbyint(w.state.Geometry.DbToY(p.GainDb)));
                QCOMPARE(call.Target, QRectF(centre - QPointF(10, 10), QSizeF(20, 20)));
            } else {
                drawnTexts << call.Text;
                QCOMPARE(call.Colour, GraphRenderer::kSelectedLabelColour);
            }
        }
        QCOMPARE(drawnImages, images);
        QCOMPARE(drawnTexts, texts);
    }

    void layoutDrawsScaledPictureAndAxisLabels() {
        BlockSkin skin;
        skin.SetRecording(true);
        GraphRenderer renderer(skin);
        EqState state;
        renderer.LayoutGraph(state, 774);
        QCOMPARE(renderer.Background().size(), QSize(774, 191));
        QCOMPARE(renderer.Frame().size(), QSize(774, 191));
        QCOMPARE(skin.Calls().front().ImageNumber, skinnumbers::kGraphBackground);
        QCOMPARE(skin.Calls().front().Target, QRectF(0, 0, 774, 191));
        QStringList texts;
        for (const BlockSkin::DrawCall& call : skin.Calls()) {
            if (!call.ImageNumber) {
                texts << call.Text;
                QCOMPARE(call.Colour, GraphRenderer::kAxisLabelColour);
            }
        }
        QCOMPARE(texts,
                 (QStringList{"20Hz", "100Hz", "1KHz", "10KHz", "20KHz", "+15dB", "0", "8", "-8", "-15dB"}));
    }

    // Every frame starts from the background alone: nothing the previous frame drew (curves, markers, the
    // selected point's labels, the overlay) is left in the next, at any device pixel ratio. And the
    // images hold device pixels for the same logical canvas.
    void redrawLeavesNothingOfThePreviousFrame_data() {
        QTest::addColumn<double>("ratio");
        QTest::newRow("100 %") << 1.0;
        QTest::newRow("150 %") << 1.5;
        QTest::newRow("200 %") << 2.0;
    }
    void redrawLeavesNothingOfThePreviousFrame() {
        QFETCH(double, ratio);
        const auto finalState = [](World& w) {
            const ChannelRow& row = ChannelTable()[kChannelMic12];
            for (int band = 0; band < row.BandCount; ++band) {
                w.model.Store.at(0, row.FirstBand + band).DATA2 = uint8_t(10 + 9 * band);
            }
            w.state.SelectedPoint = 9;
        };
        World drawnOver(kChannelMic12, 1547, ratio);
        drawnOver.state.SelectedPoint = 2;
        drawnOver.Redraw(0); // with the overlay
        finalState(drawnOver);
        drawnOver.Redraw(1);
        World fresh(kChannelMic12, 1547, ratio);
        finalState(fresh);
        fresh.Redraw(1);

        const QImage& frame = drawnOver.renderer.Frame();
        QCOMPARE(frame.size(), QRectF(0, 0, 1547 * ratio, 382 * ratio).toAlignedRect().size());
        QCOMPARE(frame.deviceIndependentSize().toSize(), QSize(1547, 382));
        QVERIFY(frame != drawnOver.renderer.Background());
        QVERIFY(frame == fresh.renderer.Frame());
    }

    void nothingIsDrawnWithoutALayout() {
        BlockSkin skin;
        GraphRenderer renderer(skin);
        EqState state;
        renderer.RedrawGraph(state, kChannelMusic, {});
        QVERIFY(!renderer.IsLaidOut());
        renderer.LayoutGraph(state, 1547);
        QVERIFY(renderer.IsLaidOut());
        renderer.ReleaseGraph();
        renderer.RedrawGraph(state, kChannelMusic, {});
        QVERIFY(renderer.Frame().isNull());
        renderer.LayoutGraph(state, 0); // a window not yet shown: no canvas, nothing to draw on
        renderer.RedrawGraph(state, kChannelMusic, {});
        QVERIFY(!renderer.IsLaidOut());
    }
};

QTEST_MAIN(TstGraphRenderer)
#include "tst_graphrenderer.moc"
