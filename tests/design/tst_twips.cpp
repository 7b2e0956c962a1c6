#include "design/Twips.h"

#include <QTest>

using namespace korva;

class TestTwips : public QObject {
    Q_OBJECT
private slots:
    void RoundsToTheNearestPixelTiesToEven_data();
    void RoundsToTheNearestPixelTiesToEven();
};

void TestTwips::RoundsToTheNearestPixelTiesToEven_data() {
    QTest::addColumn<double>("twips");
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("pixels");
    QTest::newRow("window width") << 23730.0 << 1.0 << 1582;
    QTest::newRow("two thirds up, not cut off") << 100.0 << 1.0 << 7;
    QTest::newRow("one third down") << 350.0 << 1.0 << 23;
    QTest::newRow("tie down to even") << 75.0 << 0.5 << 2;
    QTest::newRow("tie up to even") << 105.0 << 0.5 << 4;
}

void TestTwips::RoundsToTheNearestPixelTiesToEven() {
    QFETCH(double, twips);
    QFETCH(double, scale);
    QFETCH(int, pixels);
    QCOMPARE(TwipsToPixels(twips, scale), pixels);
    const QRect rect = TwipsToPixels(QRect(int(twips), int(twips), int(twips), int(twips)), scale, scale);
    QCOMPARE(rect, QRect(pixels, pixels, pixels, pixels));
}

QTEST_GUILESS_MAIN(TestTwips)
#include "tst_twips.moc"
