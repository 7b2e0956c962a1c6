#include "SyntheticSkin.h"

#include "design/SkinNumbers.h"
#include "widgets/DigitGlyphs.h"
#include "widgets/ShowNumber.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <climits>

using namespace korva;
using namespace korva::test;

namespace {

constexpr int kDigit0 = skinnumbers::kDigit0;
constexpr int kPoint = skinnumbers::kDecimalPoint;

// Digit d is painted in grey level 20 + 20·d so that every glyph can be told apart in a grab.
QColor DigitColor(int d) {
    return QColor(20 + 20 * d, 20 + 20 * d, 255);
}
const QColor kPointColor(255, 0, 0);
const QColor kMinusColor(255, 128, 0);
const QColor kBackColor(0, 255, 0); // BackColor 0x00FF00

SkinImages MakeSkin() {
    SkinImages skin;
    for (int d = 0; d <= 9; ++d) {
        skin.SetImage(kDigit0 + d, SolidImage(QSize(10, 20), DigitColor(d)));
    }
    AddImages(skin, {{kPoint, QSize(4, 20), kPointColor}, {kPoint + 1, QSize(10, 20), kMinusColor}});
    return skin;
}

// The glyph list read back as text, to keep the cases readable.
QString GlyphText(const std::vector<int>& glyphs, int picNumber, int picDig) {
    QString text;
    for (int glyph : glyphs) {
        if (glyph == picDig) {
            text += '.';
        } else if (glyph == picDig + 1) {
            text += '-';
        } else {
            text += QChar('0' + glyph - picNumber);
        }
    }
    return text;
}

// The left edge of each run of non-background columns on row y.
QList<int> GlyphStarts(const QImage& image, int y) {
    QList<int> starts;
    QColor previous = kBackColor;
    for (int x = 0; x < image.width(); ++x) {
        const QColor c = PixelAt(image, x, y);
        if (c != kBackColor && c != previous) {
            starts << x;
        }
        previous = c;
    }
    return starts;
}

} // namespace

class TstShowNumber : public QObject {
    Q_OBJECT
private slots:
    void glyphList_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("div10");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 0 << false << "0";
        QTest::newRow("zero in tenths") << 0 << true << "0";
        QTest::newRow("negative tenths") << -55 << true << "-5.5";
        QTest::newRow("below one") << 3 << true << "0.3";
        QTest::newRow("half") << 5 << true << "0.5";
        QTest::newRow("minus half") << -5 << true << "-0.5";
        QTest::newRow("whole tenths drop .0") << 250 << true << "25";
        QTest::newRow("negative whole tenths") << -250 << true << "-25";
        QTest::newRow("ten tenths") << 10 << true << "1";
        QTest::newRow("tenths") << 1234 << true << "123.4";
        QTest::newRow("plain") << 12345 << false << "12345";
        QTest::newRow("plain negative") << -7 << false << "-7";
        QTest::newRow("most negative") << INT_MIN << false << "-2147483648";
        QTest::newRow("most negative tenths") << INT_MIN << true << "-214748364.8";
    }
    void glyphList() {
        QFETCH(int, value);
        QFETCH(bool, div10);
        QFETCH(QString, shown);
        QCOMPARE(GlyphText(DigitGlyphs(value, div10, kDigit0, kPoint), kDigit0, kPoint), shown);
        // Other picture numbers move the whole set.
        QCOMPARE(GlyphText(DigitGlyphs(value, div10, 101, 150), 101, 150), shown);
    }

    void glyphsAreCentredByDigitWidth_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("div10");
        QTest::addColumn<QList<int>>("starts");
        // 100 px wide: two digits (20 px) start at 40.
        QTest::newRow("two digits") << 12 << false << QList<int>{40, 50};
        // "0.5" is centred as three digit widths (30 px, start 35) but the point is only 4 px wide.
        QTest::newRow("point sits left of centre") << 5 << true << QList<int>{35, 45, 49};
        QTest::newRow("minus") << -3 << false << QList<int>{40, 50};
        // Wider than the control: starts at 0 and is cut off on the right.
        QTest::newRow("exactly as wide")
            << 1234567891 << false << QList<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
        QTest::newRow("too wide") << -1234567890 << false
                                  << QList<int>{0, 10, 20, 30, 40, 50, 60, 70, 80, 90};
    }
    void glyphsAreCentredByDigitWidth() {
        QFETCH(int, value);
        QFETCH(bool, div10);
        QFETCH(QList<int>, starts);
        const SkinImages skin = MakeSkin();
        ShowNumber display(skin);
        display.SetBackColor(0x00FF00);
        display.resize(100, 30);
        display.SetReferenceHeight(30);
        display.SetDiv10(div10);
        display.SetValue(value);
        const QImage image = Grab(display);
        QCOMPARE(GlyphStarts(image, 15), starts);
        // Vertically centred: 20 px glyphs in 30 px leave 5 above.
        QCOMPARE(PixelAt(image, starts.first(), 4), kBackColor);
        QVERIFY(PixelAt(image, starts.first(), 5) != kBackColor);
        QVERIFY(PixelAt(image, starts.first(), 24) != kBackColor);
        QCOMPARE(PixelAt(image, starts.first(), 25), kBackColor);
    }

    void doublingTheHeightDoublesTheGlyphs() {
        const SkinImages skin = MakeSkin();
        ShowNumber display(skin);
        display.SetBackColor(0x00FF00);
        display.resize(100, 30);
        display.SetReferenceHeight(30);
        display.SetValue(12);
        display.resize(200, 60);
        const QImage image = Grab(display);
        QCOMPARE(GlyphStarts(image, 30), (QList<int>{80, 100}));
        QVERIFY(SameColor(PixelAt(image, 119, 30), DigitColor(2)));
        QCOMPARE(PixelAt(image, 120, 30), kBackColor);
        QCOMPARE(PixelAt(image, 90, 9), kBackColor);
        QVERIFY(SameColor(PixelAt(image, 90, 10), DigitColor(1)));
        QVERIFY(SameColor(PixelAt(image, 90, 49), DigitColor(1)));
    }

    void backPicSetsSizeAndScale() {
        SkinImages skin = MakeSkin();
        AddImages(skin, {{260, QSize(60, 40), QColor(0, 0, 90)}});
        ShowNumber display(skin);
        display.SetBackPic(260);
        QCOMPARE(display.size(), QSize(60, 40));
        QCOMPARE(display.ReferenceHeight(), 40);
        display.SetValue(7);
        QImage image = Grab(display);
        QCOMPARE(PixelAt(image, 1, 1), QColor(0, 0, 90));
        QCOMPARE(PixelAt(image, 25, 10), DigitColor(7)); // one digit, centred: x 25..35, y 10..30
        QCOMPARE(PixelAt(image, 24, 10), QColor(0, 0, 90));
        display.resize(90, 60); // 150 %: background 90 x 60, digit 15 x 30 at (37, 15)
        image = Grab(display);
        QVERIFY(SameColor(PixelAt(image, 89, 59), QColor(0, 0, 90)));
        QVERIFY(SameColor(PixelAt(image, 38, 16), DigitColor(7)));
        QVERIFY(SameColor(PixelAt(image, 51, 44), DigitColor(7)));
        QVERIFY(SameColor(PixelAt(image, 53, 44), QColor(0, 0, 90)));
    }

    void picNumberWithoutBackPicSetsTheHeight() {
        const SkinImages skin = MakeSkin();
        ShowNumber display(skin);
        display.resize(80, 50);
        display.SetPicNumber(kDigit0);
        QCOMPARE(display.size(), QSize(80, 20));
        QCOMPARE(display.ReferenceHeight(), 20);
        QCOMPARE(display.Scale(), 1.0);
    }

    void clickOnRelease() {
        const SkinImages skin = MakeSkin();
        ShowNumber display(skin);
        display.resize(100, 30);
        QSignalSpy clicks(&display, &ShowNumber::Click);
        QTest::mousePress(&display, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 0);
        QTest::mouseRelease(&display, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
        QTest::mouseClick(&display, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
        display.setEnabled(false);
        QTest::mouseClick(&display, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(clicks.count(), 1);
    }
};

QTEST_MAIN(TstShowNumber)
#include "tst_shownumber.moc"
