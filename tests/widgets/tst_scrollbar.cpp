#include "SyntheticSkin.h"

#include "widgets/ScrollBar.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace korva;
using namespace korva::test;

namespace {

const QColor kTrack(128, 128, 128);
const QColor kFill(255, 140, 0);
const QColor kThumb(0, 0, 255);          // 175
const QColor kSmallThumb(0, 200, 200);   // 318
const QColor kBalanceThumb(200, 0, 200); // 241
const QColor kCentredThumb(230, 230, 0); // 242
const QColor kToneThumb(0, 0, 120);      // 218

SkinImages MakeSkin() {
    SkinImages skin;
    AddImages(skin, {
                        {298, QSize(230, 34), kTrack},       {323, QSize(230, 34), kFill},
                        {299, QSize(40, 176), kTrack},       {317, QSize(36, 170), kTrack},
                        {244, QSize(150, 30), kTrack},       {243, QSize(150, 30), kTrack},
                        {272, QSize(40, 140), kTrack},       {220, QSize(48, 304), kTrack},
                        {322, QSize(48, 304), kFill},        {245, QSize(312, 40), kTrack},
                        {246, QSize(312, 40), kTrack},       {247, QSize(312, 40), kTrack},
                        {324, QSize(312, 40), kFill},        {221, QSize(40, 330), kTrack},
                        {175, QSize(20, 26), kThumb},        {318, QSize(30, 14), kSmallThumb},
                        {241, QSize(16, 22), kBalanceThumb}, {242, QSize(20, 22), kCentredThumb},
                        {218, QSize(24, 16), kToneThumb},
                    });
    return skin;
}

// One row of the main window's slider table.
struct Config {
    int displayType;
    bool inverted;
    bool isQ;
    int maxValue;
    int minPos;
    int maxPos;
    int stableOtherPos;
    int backPic;
    int barPic;
};

const Config kMKnobFreq{0, false, false, 241, 56, 256, 7, 245, 175};
const Config kMKnobDb{0, true, false, 150, 56, 256, 7, 246, 175};
const Config kMKnobQ{0, false, true, 41, 56, 256, 7, 247, 175};
const Config kBalance17{0, false, false, 160, 28, 122, 3, 244, 241};

void Apply(ScrollBar& bar, const Config& c) {
    bar.SetBackPic(c.backPic);
    bar.SetBarPic(c.barPic);
    bar.SetChangeMinMax(c.inverted);
    bar.SetDisplayType(c.displayType);
    bar.SetIsQ(c.isQ);
    bar.SetMinPos(c.minPos);
    bar.SetMaxPos(c.maxPos);
    bar.SetStableOtherPos(c.stableOtherPos);
    bar.SetMaxValue(c.maxValue);
}

ScrollBarGeometry GeometryOf(const Config& c, QSizeF thumb = QSizeF(20, 26), double scale = 1) {
    ScrollBarGeometry g;
    g.displayType = c.displayType;
    g.inverted = c.inverted;
    g.isQ = c.isQ;
    g.maxValue = c.maxValue;
    g.minPos = c.minPos;
    g.maxPos = c.maxPos;
    g.stableOtherPos = c.stableOtherPos;
    g.thumbSize = thumb;
    g.scale = scale;
    return g;
}

// Centre of the run of `color` along the moving axis, on the line through the middle of the thumb.
double RunCentre(const QImage& image, const QColor& color, bool vertical, int across) {
    int first = -1;
    int last = -1;
    const int length = vertical ? image.height() : image.width();
    for (int i = 0; i < length; ++i) {
        const QColor c = vertical ? PixelAt(image, across, i) : PixelAt(image, i, across);
        if (SameColor(c, color, 8)) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    return first < 0 ? -1 : (first + last + 1) / 2.0;
}

class KeyRecorder : public QWidget {
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys << event->key(); }
    void wheelEvent(QWheelEvent* event) override {
        keys << -1;
        event->accept();
    }
};

void SendWheel(QWidget& widget, int delta, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButtons buttons = Qt::NoButton) {
    const QPointF pos(5, 5);
    QWheelEvent wheel(pos, widget.mapToGlobal(pos), QPoint(), QPoint(0, delta), buttons, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&widget, &wheel);
}

} // namespace

Q_DECLARE_METATYPE(Config)

class TstScrollBar : public QObject {
    Q_OBJECT

    void addConfigRows() {
        QTest::addColumn<Config>("config");
        QTest::newRow("MyScrollBar(0)") << Config{0, false, false, 127, 20, 209, 4, 298, 175};
        QTest::newRow("MyScrollBar(1)") << Config{0, false, false, 31, 20, 209, 4, 298, 175};
        QTest::newRow("MyScrollBar(2)") << Config{0, false, false, 80, 20, 209, 4, 298, 175};
        QTest::newRow("MyScrollBar(3)") << Config{1, true, false, 80, 20, 156, 4, 299, 175};
        QTest::newRow("MyScrollBar(4)") << Config{1, true, false, 40, 20, 156, 4, 299, 175};
        QTest::newRow("MyScrollBar(5)") << Config{1, true, false, 60, 20, 156, 4, 299, 175};
        QTest::newRow("MyScrollBar(6)") << Config{1, true, false, 86, 20, 156, 4, 299, 175};
        QTest::newRow("MyScrollBar(7)") << Config{1, true, false, 80, 18, 152, 2, 317, 318};
        QTest::newRow("MyScrollBar(8)") << Config{1, true, false, 80, 18, 148, 2, 317, 318};
        QTest::newRow("MyScrollBar(17)") << kBalance17;
        QTest::newRow("MyScrollBar(18)") << Config{0, false, false, 160, 28, 122, 3, 243, 241};
        QTest::newRow("MyScrollBar(19)") << Config{1, true, false, 80, 16, 124, 7, 272, 175};
        QTest::newRow("MyScrollBar(20)") << Config{1, true, false, 80, 16, 124, 6, 272, 175};
        QTest::newRow("MyScrollBar(25)") << Config{1, true, false, 80, 24, 280, 4, 220, 175};
        QTest::newRow("MKnobFreq") << kMKnobFreq;
        QTest::newRow("MKnobDb") << kMKnobDb;
        QTest::newRow("MKnobQ") << kMKnobQ;
        QTest::newRow("ScrollTone") << Config{1, true, false, 10, 18, 310, 8, 221, 218};
    }

private slots:
    // --- the mapping, without a widget ---

    void qKnobValues_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("readBack");
        QTest::newRow("Q 1.4") << 14 << 13 << 14;
        QTest::newRow("Q 5") << 35 << 31 << 35;
        QTest::newRow("between steps snaps down") << 32 << 30 << 31;
        QTest::newRow("tie goes to even") << 33 << 30 << 31;
        QTest::newRow("tie goes to even, upwards") << 37 << 32 << 39;
        QTest::newRow("Q 15") << 75 << 41 << 75;
        QTest::newRow("zero") << 0 << 0 << 1;
        QTest::newRow("Q 0.1") << 1 << 0 << 1;
        QTest::newRow("Q 3.0") << 30 << 29 << 30;
        QTest::newRow("Q 4") << 31 << 30 << 31;
        QTest::newRow("beyond the scale") << 255 << 41 << 75;
    }
    void qKnobValues() {
        QFETCH(int, value);
        QFETCH(int, position);
        QFETCH(int, readBack);
        const ScrollBarGeometry g = GeometryOf(kMKnobQ);
        QCOMPARE(g.PositionFor(value), position);
        QCOMPARE(g.ValueAt(position), readBack);
    }

    void plainAndInvertedValues_data() {
        QTest::addColumn<Config>("config");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("position");
        QTest::newRow("freq limited") << kMKnobFreq << 250 << 241;
        QTest::newRow("freq") << kMKnobFreq << 100 << 100;
        QTest::newRow("gain 0 dB in the middle") << kMKnobDb << 75 << 75;
        QTest::newRow("gain -15 dB at the left") << kMKnobDb << 150 << 0;
        QTest::newRow("gain +15 dB at the right") << kMKnobDb << 0 << 150;
        QTest::newRow("gain past the end") << kMKnobDb << 200 << 0;
        QTest::newRow("byte range") << kMKnobDb << -3 << 150;
    }
    void plainAndInvertedValues() {
        QFETCH(Config, config);
        QFETCH(int, value);
        QFETCH(int, position);
        const ScrollBarGeometry g = GeometryOf(config);
        QCOMPARE(g.PositionFor(value), position);
        QCOMPARE(g.ValueAt(position), std::clamp(value, 0, config.maxValue));
    }

    void thumbHitArea_data() {
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("pixel");
        QTest::addColumn<bool>("hit");
        // MKnobDb at position 75: thumb centre 156, thumb 20 x 26 from the top edge 7.
        QTest::newRow("left edge") << 1.0 << QPointF(146, 7) << true;
        QTest::newRow("just left") << 1.0 << QPointF(145.9, 20) << false;
        QTest::newRow("bottom-right edge") << 1.0 << QPointF(166, 33) << true;
        QTest::newRow("just below") << 1.0 << QPointF(156, 33.1) << false;
        QTest::newRow("scaled left edge") << 2.0 << QPointF(292, 14) << true;
        QTest::newRow("scaled, outside at design") << 2.0 << QPointF(291, 30) << false;
        QTest::newRow("scaled bottom") << 2.0 << QPointF(300, 66) << true;
    }
    void thumbHitArea() {
        QFETCH(double, scale);
        QFETCH(QPointF, pixel);
        QFETCH(bool, hit);
        const ScrollBarGeometry g = GeometryOf(kMKnobDb, QSizeF(20, 26), scale);
        QCOMPARE(g.ThumbCentre(75), 156.0);
        QCOMPARE(g.HitsThumb(75, pixel), hit);
    }

    void dragPositions_data() {
        QTest::addColumn<Config>("config");
        QTest::addColumn<double>("scale");
        QTest::addColumn<QPointF>("pixel");
        QTest::addColumn<int>("position");
        QTest::newRow("left of the range") << kMKnobDb << 1.0 << QPointF(0, 0) << 0;
        QTest::newRow("right of the range") << kMKnobDb << 1.0 << QPointF(311, 0) << 150;
        QTest::newRow("middle") << kMKnobDb << 1.0 << QPointF(156, 0) << 75;
        QTest::newRow("tie to even") << kMKnobFreq << 1.0 << QPointF(66, 0) << 12; // 12.05 -> 12
        QTest::newRow("scaled") << kMKnobDb << 2.0 << QPointF(312, 0) << 75;
        QTest::newRow("vertical uses y")
            << Config{1, true, false, 80, 20, 156, 4, 299, 175} << 1.0 << QPointF(500, 20) << 0;
    }
    void dragPositions() {
        QFETCH(Config, config);
        QFETCH(double, scale);
        QFETCH(QPointF, pixel);
        QFETCH(int, position);
        QCOMPARE(GeometryOf(config, QSizeF(20, 26), scale).PositionAt(pixel), position);
    }

    // --- the control ---

    void everyConfigurationMapsAndDrawsItsThumb_data() { addConfigRows(); }
    void everyConfigurationMapsAndDrawsItsThumb() {
        QFETCH(Config, config);
        const SkinImages skin = MakeSkin();
        for (int position : {0, config.maxValue / 2, config.maxValue}) {
            ScrollBar bar(skin);
            Apply(bar, config);
            QCOMPARE(bar.size(), skin.NaturalSize(config.backPic));
            const int value = bar.Geometry().ValueAt(position);
            bar.SetValue(value);
            QCOMPARE(bar.Position(), position);
            QCOMPARE(bar.Value(), value);

            // The thumb is drawn centred on its position, inside the control.
            const bool vertical = config.displayType == 1;
            const QSize thumb = skin.NaturalSize(config.barPic);
            const int across = config.stableOtherPos + (vertical ? thumb.width() : thumb.height()) / 2;
            QColor color = config.barPic == 318 ? kSmallThumb : config.barPic == 218 ? kToneThumb : kThumb;
            if (config.barPic == 241) {
                color = position == 80 ? kCentredThumb : kBalanceThumb;
            }
            const QImage image = Grab(bar);
            const double t = bar.Geometry().ThumbCentre(position);
            QVERIFY2(std::abs(RunCentre(image, color, vertical, across) - t) <= 1.0,
                     qPrintable(QStringLiteral("position %1: thumb at %2, expected %3")
                                    .arg(position)
                                    .arg(RunCentre(image, color, vertical, across))
                                    .arg(t)));
        }
    }

    void upKeyDirection_data() { addConfigRows(); }
    void upKeyDirection() {
        QFETCH(Config, config);
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, config);
        SendEnter(bar);
        const int before = bar.Value();
        QSignalSpy changes(&bar, &ScrollBar::Change);
        QTest::keyClick(&bar, Qt::Key_Up);
        QCOMPARE(changes.count(), 1);
        // Up raises the value, except on a horizontal inverted knob (the gain: Up lowers the index).
        const bool lowers = config.displayType == 0 && config.inverted;
        QCOMPARE(bar.Value() < before, lowers);
        QTest::keyClick(&bar, Qt::Key_Right);
        QTest::keyClick(&bar, Qt::Key_Left);
        QTest::keyClick(&bar, Qt::Key_Down);
        QCOMPARE(bar.Value(), before);
        QCOMPARE(changes.count(), 4);
    }

    void valueFromCodeNeverRaisesChange() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kMKnobFreq);
        QSignalSpy changes(&bar, &ScrollBar::Change);
        bar.SetValue(250);
        QCOMPARE(bar.Value(), 241);
        bar.SetValue(3);
        bar.SetMaxValue(100);
        QCOMPARE(changes.count(), 0);
    }

    void maxValueMovesToTheMiddle() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        QCOMPARE(bar.Position(), 43); // 86 steps by default
        bar.SetValue(3);
        bar.SetMaxValue(31);
        QCOMPARE(bar.Position(), 16); // 15.5 goes to the even 16
        bar.SetMaxValue(41);
        QCOMPARE(bar.Position(), 20); // 20.5 goes to the even 20
    }

    void gainKnobEnds() {
        // Dragging the gain knob to the left end gives -15 dB (150), to the right end +15 dB (0).
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kMKnobDb);
        bar.SetValue(75);
        QCOMPARE(bar.Geometry().ThumbCentre(bar.Position()), 156.0);
        QCOMPARE(RunCentre(Grab(bar), kThumb, false, 20), 156.0);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy downs(&bar, &ScrollBar::ThumbDown);
        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(150, 20));
        QCOMPARE(downs.count(), 1);
        QTest::mouseMove(&bar, QPoint(2, 20));
        QCOMPARE(bar.Value(), 150);
        QTest::mouseMove(&bar, QPoint(310, 20));
        QCOMPARE(bar.Value(), 0);
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(310, 20));
        QTest::mouseMove(&bar, QPoint(150, 20));
        QCOMPARE(bar.Value(), 0); // released: moving no longer drags
    }

    void dragRaisesChangeOncePerNewPosition() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kMKnobDb); // 0.75 positions per pixel: some pixels share a position
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QList<int> reported;
        connect(&bar, &ScrollBar::Change, &bar, [&] { reported << bar.Position(); });
        QSignalSpy downs(&bar, &ScrollBar::ThumbDown);

        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(160, 20)); // grabbed off-centre
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(160, 20));
        QCOMPARE(downs.count(), 1);
        QVERIFY(reported.isEmpty()); // press and release without movement: only ThumbDown

        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(156, 20));
        QTest::mouseMove(&bar, QPoint(156, 21)); // moving along the other axis changes nothing
        QVERIFY(reported.isEmpty());
        QList<int> expected;
        int last = bar.Position();
        for (int x = 157; x <= 196; ++x) {
            QTest::mouseMove(&bar, QPoint(x, 20));
            if (bar.Position() != last) {
                last = bar.Position();
                expected << last;
            }
        }
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(196, 20));
        QCOMPARE(reported, expected);
        QCOMPARE(reported.size(), 30); // 40 pixels at 0.75 positions each
        QCOMPARE(downs.count(), 2);
    }

    void pressBesideTheThumbDoesNothing() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kMKnobDb);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy downs(&bar, &ScrollBar::ThumbDown);
        QSignalSpy changes(&bar, &ScrollBar::Change);
        QTest::mousePress(&bar, Qt::LeftButton, {}, QPoint(60, 20));
        QTest::mouseMove(&bar, QPoint(80, 20));
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, QPoint(80, 20));
        QCOMPARE(downs.count(), 0);
        QCOMPARE(changes.count(), 0);
        QCOMPARE(bar.Position(), 75);
    }

    void keysNeedTheHoverAndDisabledSwallowsThem() {
        const SkinImages skin = MakeSkin();
        KeyRecorder window;
        ScrollBar bar(skin, &window);
        Apply(bar, kMKnobFreq);
        QSignalSpy changes(&bar, &ScrollBar::Change);
        const int start = bar.Position();

        QTest::keyClick(&bar, Qt::Key_Up);
        QCOMPARE(bar.Position(), start);
        QCOMPARE(window.keys, QList<int>{Qt::Key_Up}); // not ours while not hovered: passed on

        SendEnter(bar);
        QTest::keyClick(&bar, Qt::Key_Up);
        QTest::keyClick(&bar, Qt::Key_Q); // the window's own keys still reach it
        QCOMPARE(bar.Position(), start + 1);
        QCOMPARE(window.keys, (QList<int>{Qt::Key_Up, Qt::Key_Q}));

        bar.setEnabled(false);
        QTest::keyClick(&bar, Qt::Key_Up);
        QTest::keyClick(&bar, Qt::Key_Q);
        SendWheel(bar, 120);
        QCOMPARE(bar.Position(), start + 1);
        QCOMPARE(window.keys, (QList<int>{Qt::Key_Up, Qt::Key_Q}));

        bar.setEnabled(true);
        SendLeave(bar);
        QTest::keyClick(&bar, Qt::Key_Down);
        QCOMPARE(bar.Position(), start + 1);
        QCOMPARE(changes.count(), 1);
    }

    void stepsStopAtTheEnds() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kMKnobFreq);
        bar.SetValue(241);
        SendEnter(bar);
        QSignalSpy changes(&bar, &ScrollBar::Change);
        QTest::keyClick(&bar, Qt::Key_Right);
        QCOMPARE(bar.Value(), 241);
        bar.SetValue(0);
        QTest::keyClick(&bar, Qt::Key_Left);
        QCOMPARE(bar.Value(), 0);
        QCOMPARE(changes.count(), 0);
    }

    void wheel_data() {
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("buttons");
        QTest::addColumn<bool>("hovering");
        QTest::addColumn<int>("step");
        QTest::newRow("towards the user") << -120 << 0 << 0 << true << -1;
        QTest::newRow("away from the user") << 120 << 0 << 0 << true << 1;
        QTest::newRow("two notches") << -240 << 0 << 0 << true << 0;
        QTest::newRow("fine scrolling") << 40 << 0 << 0 << true << 0;
        QTest::newRow("with Ctrl") << 120 << int(Qt::ControlModifier) << 0 << true << 0;
        QTest::newRow("with a button held") << 120 << 0 << int(Qt::LeftButton) << true << 0;
        QTest::newRow("not hovering") << 120 << 0 << 0 << false << 0;
    }
    void wheel() {
        QFETCH(int, delta);
        QFETCH(int, modifiers);
        QFETCH(int, buttons);
        QFETCH(bool, hovering);
        QFETCH(int, step);
        const SkinImages skin = MakeSkin();
        KeyRecorder window;
        ScrollBar bar(skin, &window);
        Apply(bar, kMKnobFreq);
        if (hovering) {
            SendEnter(bar);
        }
        QSignalSpy changes(&bar, &ScrollBar::Change);
        const int start = bar.Position();
        SendWheel(bar, delta, Qt::KeyboardModifiers(modifiers), Qt::MouseButtons(buttons));
        QCOMPARE(bar.Position(), start + step);
        QCOMPARE(changes.count(), step != 0 ? 1 : 0);
        QVERIFY(window.keys.isEmpty()); // the wheel over a slider never scrolls anything else
    }

    void balanceShowsItsCentredThumbAtTheMiddle() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kBalance17);
        bar.SetValue(80);
        QImage image = Grab(bar);
        // 242 (20 wide) centred on t = 75: x 65..85.
        QCOMPARE(RunCentre(image, kCentredThumb, false, 14), 75.0);
        QCOMPARE(PixelAt(image, 65, 14), kCentredThumb);
        QCOMPARE(PixelAt(image, 84, 14), kCentredThumb);
        QCOMPARE(RunCentre(image, kBalanceThumb, false, 14), -1.0);
        bar.SetValue(79);
        image = Grab(bar);
        QCOMPARE(RunCentre(image, kCentredThumb, false, 14), -1.0);
        QVERIFY(RunCentre(image, kBalanceThumb, false, 14) > 0);
    }

    void levelFills_data() {
        QTest::addColumn<Config>("config");
        QTest::addColumn<int>("value");
        QTest::addColumn<QPoint>("lit");
        QTest::addColumn<QPoint>("unlit");
        // 298 at position 40 of 80: t = 20 + 189·40/80 = 114.5; lit from the left to t.
        QTest::newRow("horizontal level")
            << Config{0, false, false, 80, 20, 209, 4, 298, 175} << 40 << QPoint(100, 32) << QPoint(130, 32);
        // 220 at value 20 of 80 (position 60): t = 24 + 256·60/80 = 216; lit from t down.
        QTest::newRow("vertical level")
            << Config{1, true, false, 80, 24, 280, 4, 220, 175} << 20 << QPoint(40, 230) << QPoint(40, 200);
        QTest::newRow("knob") << kMKnobFreq << 0 << QPoint(40, 38) << QPoint(80, 38);
        QTest::newRow("plain track") << Config{1, true, false, 80, 20, 156, 4, 299, 175} << 0
                                     << QPoint(-1, -1) << QPoint(35, 170);
    }
    void levelFills() {
        QFETCH(Config, config);
        QFETCH(int, value);
        QFETCH(QPoint, lit);
        QFETCH(QPoint, unlit);
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, config);
        bar.SetValue(value);
        const QImage image = Grab(bar);
        if (lit.x() >= 0) {
            QCOMPARE(PixelAt(image, lit.x(), lit.y()), kFill);
        }
        QCOMPARE(PixelAt(image, unlit.x(), unlit.y()), kTrack);
    }

    void scalesWithItsWidth() {
        const SkinImages skin = MakeSkin();
        ScrollBar bar(skin);
        Apply(bar, kMKnobDb);
        bar.SetValue(75);
        bar.resize(624, 80);
        QCOMPARE(bar.Geometry().scale, 2.0);
        const QImage image = Grab(bar);
        QCOMPARE(RunCentre(image, kThumb, false, 40), 312.0);
        QCOMPARE(PixelAt(image, 292, 14), kThumb);
        QCOMPARE(PixelAt(image, 331, 65), kThumb);
        QCOMPARE(PixelAt(image, 332, 65), kTrack);
        QCOMPARE(PixelAt(image, 290, 70), kFill); // lit up to the thumb centre
    }

    void hoverBorrowsTheKeyboardFocus() {
        const SkinImages skin = MakeSkin();
        QWidget window;
        auto* button = new QPushButton(QStringLiteral("x"), &window);
        auto* edit = new QLineEdit(&window);
        edit->move(0, 40);
        auto* bar = new ScrollBar(skin, &window);
        bar->move(0, 80);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));

        button->setFocus();
        SendEnter(*bar);
        QVERIFY(bar->hasFocus());
        SendLeave(*bar);
        QVERIFY(button->hasFocus());

        edit->setFocus();
        SendEnter(*bar);
        QVERIFY(edit->hasFocus()); // typing is never interrupted
        SendLeave(*bar);
        QVERIFY(edit->hasFocus());
    }
};

QTEST_MAIN(TstScrollBar)
#include "tst_scrollbar.moc"
