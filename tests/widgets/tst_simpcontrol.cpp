#include "SyntheticSkin.h"

#include "widgets/SimpControl.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace korva;
using namespace korva::test;

namespace {

const QColor kBase(200, 0, 0);      // 101
const QColor kLamp(0, 0, 200);      // 110
const QColor kLampLit(0, 200, 0);   // 111
const QColor kDefault(90, 90, 90);  // 102
const QColor kHighCut(220, 220, 0); // 395

SkinImages MakeSkin() {
    SkinImages skin;
    AddImages(skin, {{101, QSize(100, 50), kBase},
                     {110, QSize(20, 10), kLamp},
                     {111, QSize(20, 10), kLampLit},
                     {102, QSize(40, 20), kDefault},
                     {395, QSize(100, 50), kHighCut}});
    // 140: left half transparent, right half lamp blue.
    QImage half(20, 10, QImage::Format_ARGB32_Premultiplied);
    half.fill(Qt::transparent);
    QPainter(&half).fillRect(10, 0, 10, 10, kLamp);
    skin.SetImage(140, half);
    return skin;
}

// A panel of two layers: the base picture with a lamp 10 right and 4 down; the lamp follows Value.
void MakeLampButton(SimpControl& button) {
    button.SetPics(QStringLiteral("101,110"));
    button.SetPosX(QStringLiteral("0,10"));
    button.SetPosY(QStringLiteral("0,4"));
    button.SetValueIndex(1);
}

} // namespace

class TstSimpControl : public QObject {
    Q_OBJECT
private slots:
    void startsWithTheDefaultPictureAtItsSize() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        QCOMPARE(button.Pics(), QStringLiteral("102"));
        QCOMPARE(button.size(), QSize(40, 20));
        QCOMPARE(button.ActionType(), int(SimpControl::kPush));
        QVERIFY(SameColor(PixelAt(Grab(button), 20, 10), kDefault));
    }

    void settingPicsTakesTheFirstPicturesSize() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        button.SetPics(QStringLiteral("101,110"));
        QCOMPARE(button.size(), QSize(100, 50));
        // A first picture the skin does not have leaves the size alone.
        button.SetPics(QStringLiteral("399,110"));
        QCOMPARE(button.size(), QSize(100, 50));
    }

    void layersAreDrawnInOrderAtTheirOffsets_data() {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("color");
        QTest::newRow("lamp top-left") << QPoint(10, 4) << kLamp;
        QTest::newRow("lamp bottom-right") << QPoint(29, 13) << kLamp;
        QTest::newRow("left of lamp") << QPoint(9, 4) << kBase;
        QTest::newRow("above lamp") << QPoint(10, 3) << kBase;
        QTest::newRow("right of lamp") << QPoint(30, 13) << kBase;
        QTest::newRow("below lamp") << QPoint(29, 14) << kBase;
        QTest::newRow("far corner") << QPoint(99, 49) << kBase;
    }
    void layersAreDrawnInOrderAtTheirOffsets() {
        QFETCH(QPoint, pixel);
        QFETCH(QColor, color);
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        MakeLampButton(button);
        QCOMPARE(PixelAt(Grab(button), pixel.x(), pixel.y()), color);
    }

    void valueLayerShowsTheNextPicture() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        MakeLampButton(button);
        button.SetValue(1);
        QCOMPARE(PixelAt(Grab(button), 15, 8), kLampLit);
        button.SetValueIndex(0); // now the base layer would show 102, which is smaller than 101
        QCOMPARE(PixelAt(Grab(button), 15, 8), kLamp);
        QVERIFY(SameColor(PixelAt(Grab(button), 50, 40), kDefault));
    }

    void missingLayerPicturesDrawNothing() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        button.SetPics(QStringLiteral("101,300,110"));
        button.SetPosX(QStringLiteral("0,0,10"));
        button.SetPosY(QStringLiteral("0,0,4"));
        const QImage image = Grab(button);
        QCOMPARE(PixelAt(image, 1, 1), kBase);
        QCOMPARE(PixelAt(image, 12, 6), kLamp);
    }

    void highCutMarkerReplacesTheFirstLayer() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        MakeLampButton(button);
        button.SetUserHightCutPic(true);
        QImage image = Grab(button);
        QCOMPARE(PixelAt(image, 50, 40), kHighCut);
        QCOMPARE(PixelAt(image, 12, 6), kLamp);
        button.SetUserHightCutPic(false);
        QCOMPARE(PixelAt(Grab(button), 50, 40), kBase);
    }

    void backColorShowsThroughTransparentPictures() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        button.SetPics(QStringLiteral("140"));
        button.SetBackColor(0x00FF00);
        QImage image = Grab(button);
        QCOMPARE(PixelAt(image, 2, 2), QColor(0, 255, 0));
        QCOMPARE(PixelAt(image, 15, 2), kLamp);
        button.SetBackColor(0);
        QCOMPARE(PixelAt(Grab(button), 2, 2), QColor(0, 0, 0));
    }

    void growsWithItsWidth_data() {
        QTest::addColumn<QPoint>("pixel");
        QTest::addColumn<QColor>("color");
        // At 120 % the lamp covers x 12..36 and y 4.8..16.8.
        QTest::newRow("lamp near top-left") << QPoint(13, 6) << kLamp;
        QTest::newRow("lamp near bottom-right") << QPoint(35, 15) << kLamp;
        QTest::newRow("left of lamp") << QPoint(11, 10) << kBase;
        QTest::newRow("right of lamp") << QPoint(37, 10) << kBase;
        QTest::newRow("above lamp") << QPoint(20, 3) << kBase;
        QTest::newRow("below lamp") << QPoint(20, 18) << kBase;
        QTest::newRow("base reaches the corner") << QPoint(119, 59) << kBase;
    }
    void growsWithItsWidth() {
        QFETCH(QPoint, pixel);
        QFETCH(QColor, color);
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        MakeLampButton(button);
        button.resize(120, 60);
        QCOMPARE(button.Scale(), 1.2);
        QVERIFY(SameColor(PixelAt(Grab(button), pixel.x(), pixel.y()), color));
    }

    void pressAndReleaseByActionType_data() {
        QTest::addColumn<int>("actionType");
        QTest::addColumn<int>("initialValue");
        QTest::addColumn<int>("valueWhileHeld");
        QTest::addColumn<int>("clicksOnPress");
        QTest::addColumn<int>("valueAfterRelease");
        QTest::newRow("push") << int(SimpControl::kPush) << 0 << 1 << 0 << 0;
        QTest::newRow("toggle on") << int(SimpControl::kToggle) << 0 << 1 << 1 << 1;
        QTest::newRow("toggle off") << int(SimpControl::kToggle) << 1 << 0 << 1 << 0;
        QTest::newRow("trigger") << int(SimpControl::kTrigger) << 0 << 0 << 1 << 0;
        QTest::newRow("trigger keeps value") << int(SimpControl::kTrigger) << 1 << 1 << 1 << 1;
    }
    void pressAndReleaseByActionType() {
        QFETCH(int, actionType);
        QFETCH(int, initialValue);
        QFETCH(int, valueWhileHeld);
        QFETCH(int, clicksOnPress);
        QFETCH(int, valueAfterRelease);
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        MakeLampButton(button);
        button.SetActionType(actionType);
        button.SetValue(initialValue);
        QSignalSpy clicks(&button, &SimpControl::Click);
        QSignalSpy downs(&button, &SimpControl::MouseDown);

        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(50, 30));
        QCOMPARE(downs.count(), 1);
        QCOMPARE(button.Value(), valueWhileHeld);
        QCOMPARE(clicks.count(), clicksOnPress);
        QCOMPARE(PixelAt(Grab(button), 15, 8), valueWhileHeld ? kLampLit : kLamp);

        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(50, 30));
        QCOMPARE(button.Value(), valueAfterRelease);
        QCOMPARE(clicks.count(), 1); // every kind clicks exactly once per press and release
        QCOMPARE(PixelAt(Grab(button), 15, 8), valueAfterRelease ? kLampLit : kLamp);
    }

    void disabledButtonIgnoresTheMouseAndKeepsItsLook_data() {
        QTest::addColumn<int>("actionType");
        QTest::newRow("push") << int(SimpControl::kPush);
        QTest::newRow("toggle") << int(SimpControl::kToggle);
        QTest::newRow("trigger") << int(SimpControl::kTrigger);
    }
    void disabledButtonIgnoresTheMouseAndKeepsItsLook() {
        QFETCH(int, actionType);
        const SkinImages skin = MakeSkin();
        // The button sits on a panel that is itself an image button: the press must not reach the panel.
        SimpControl panel(skin);
        panel.SetPics(QStringLiteral("101"));
        SimpControl button(skin, &panel);
        button.SetPics(QStringLiteral("110"));
        button.SetActionType(actionType);
        button.setEnabled(false);
        const QImage before = Grab(button);
        QSignalSpy clicks(&button, &SimpControl::Click);
        QSignalSpy downs(&button, &SimpControl::MouseDown);
        QSignalSpy panelDowns(&panel, &SimpControl::MouseDown);

        QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(Grab(button), before);
        QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(downs.count(), 0);
        QCOMPARE(panelDowns.count(), 0);
        QCOMPARE(button.Value(), 0);
        QCOMPARE(Grab(button), before);
    }

    void mouseEventsReportButtonShiftAndPosition() {
        const SkinImages skin = MakeSkin();
        SimpControl button(skin);
        MakeLampButton(button);
        button.SetActionType(SimpControl::kTrigger);
        QSignalSpy downs(&button, &SimpControl::MouseDown);
        QTest::mousePress(&button, Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier, QPoint(5, 7));
        QCOMPARE(downs.count(), 1);
        const QList<QVariant> args = downs.takeFirst();
        QCOMPARE(args.at(0).toInt(), 2);
        QCOMPARE(args.at(1).toInt(), 3);
        QCOMPARE(args.at(2).toFloat(), 5.0f);
        QCOMPARE(args.at(3).toFloat(), 7.0f);

        QSignalSpy moves(&button, &SimpControl::MouseMove);
        QTest::mouseMove(&button, QPoint(8, 9));
        QVERIFY(!moves.isEmpty());
        QCOMPARE(moves.last().at(2).toFloat(), 8.0f);
        QCOMPARE(moves.last().at(3).toFloat(), 9.0f);
        QTest::mouseRelease(&button, Qt::RightButton, {}, QPoint(8, 9));
    }
};

QTEST_MAIN(TstSimpControl)
#include "tst_simpcontrol.moc"
