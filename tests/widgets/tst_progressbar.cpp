#include "SyntheticSkin.h"

#include "widgets/C_ProgressBar.h"

#include <QTest>

using namespace korva;
using namespace korva::test;

class TstProgressBar : public QObject {
    Q_OBJECT
private slots:
    void percentAndCaption_data() {
        QTest::addColumn<int>("maxValue");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("caption");
        QTest::newRow("start") << 25 << 0 << 0 << "正在通信, 完成0%";
        QTest::newRow("12 of 25") << 25 << 12 << 12 << "正在通信, 完成48%";
        QTest::newRow("truncated") << 3 << 2 << 2 << "正在通信, 完成66%";
        QTest::newRow("done") << 25 << 25 << 25 << "正在通信, 完成100%";
        QTest::newRow("overrun is full") << 25 << 28 << 25 << "正在通信, 完成100%";
        QTest::newRow("negative") << 25 << -4 << 0 << "正在通信, 完成0%";
        QTest::newRow("nothing to do") << 0 << 5 << 0 << "正在通信, 完成0%";
    }
    void percentAndCaption() {
        QFETCH(int, maxValue);
        QFETCH(int, value);
        QFETCH(int, stored);
        QFETCH(QString, caption);
        C_ProgressBar bar;
        bar.SetMaxValue(maxValue);
        bar.SetValue(value);
        QCOMPARE(bar.Value(), stored);
        QCOMPARE(bar.Caption(), caption);
    }

    void startsAtHundredAndStaysLow() {
        C_ProgressBar bar;
        QCOMPARE(bar.MaxValue(), 100);
        bar.resize(300, 40);
        QCOMPARE(bar.height(), 25);
    }

    void drawing_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("column");
        QTest::addColumn<QColor>("color");
        // 202 px wide: the interior is x 1..200 (200 px), 100 steps.
        QTest::newRow("empty bar is grey") << 0 << 1 << QColor(192, 192, 192);
        QTest::newRow("filled starts red") << 48 << 1 << QColor(255, 0, 0);
        QTest::newRow("grey right after the fill") << 48 << 97 << QColor(192, 192, 192);
        QTest::newRow("full bar ends blue") << 100 << 200 << QColor(0, 0, 255);
        QTest::newRow("frame") << 50 << 0 << QColor(255, 255, 0);
        QTest::newRow("right frame") << 50 << 201 << QColor(255, 255, 0);
    }
    void drawing() {
        QFETCH(int, value);
        QFETCH(int, column);
        QFETCH(QColor, color);
        C_ProgressBar bar;
        bar.resize(202, 25);
        bar.SetValue(value);
        // Row 22 lies below the caption.
        QVERIFY(SameColor(PixelAt(Grab(bar), column, 22), color, 3));
    }

    void gradientIsUncoveredNotStretched() {
        // The colour at a column is the same whatever the progress: the fill uncovers a fixed gradient.
        C_ProgressBar bar;
        bar.resize(202, 25);
        bar.SetValue(100);
        const QColor full = PixelAt(Grab(bar), 90, 22);
        bar.SetValue(50);
        const QImage half = Grab(bar);
        QVERIFY(SameColor(PixelAt(half, 90, 22), full, 3));
        QVERIFY(full.red() > 100 && full.blue() > 100);
        QCOMPARE(PixelAt(half, 0, 0), QColor(255, 255, 0));
        QCOMPARE(PixelAt(half, 100, 24), QColor(255, 255, 0));
    }
};

QTEST_MAIN(TstProgressBar)
#include "tst_progressbar.moc"
