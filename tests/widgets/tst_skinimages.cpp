#include "SyntheticSkin.h"

#include "widgets/SkinImages.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;
using namespace korva::test;

class TstSkinImages : public QObject {
    Q_OBJECT
private slots:
    void loadsEveryPresentImageAndReportsUndecodableOnes() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QVERIFY(SolidImage(QSize(7, 5), Qt::red).save(dir.filePath("101.png")));
        QVERIFY(SolidImage(QSize(3, 9), Qt::blue).save(dir.filePath("400.png")));
        QFile broken(dir.filePath("150.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not a png at all");
        broken.close();
        // Numbers past the shipped range and other names are not skin images.
        QVERIFY(SolidImage(QSize(2, 2), Qt::green).save(dir.filePath("100.png")));

        SkinImages skin;
        QVERIFY(skin.LoadSkinImages(dir.path()));
        QVERIFY(skin.IsLoaded());
        QCOMPARE(skin.NaturalSize(101), QSize(7, 5));
        QCOMPARE(skin.NaturalSize(400), QSize(3, 9));
        QVERIFY(!skin.HasImage(150));
        QVERIFY(!skin.HasImage(100));
        QCOMPARE(skin.LoadedCount(), 2);
        QCOMPARE(skin.UndecodableNumbers(), std::vector<int>{150});
        QVERIFY(skin.LastError().contains("150"));
    }

    void onlyTheFirstLoadDecodes() {
        QTemporaryDir dir;
        SkinImages skin;
        QVERIFY(skin.LoadSkinImages(dir.path()));
        QVERIFY(SolidImage(QSize(4, 4), Qt::red).save(dir.filePath("120.png")));
        QVERIFY(skin.LoadSkinImages(dir.path()));
        QVERIFY(!skin.HasImage(120));
        QVERIFY(skin.LastError().isEmpty());
    }

    void embeddedSkinLoadsCleanly() {
        // Whatever skin the program was built with, every embedded picture must decode.
        SkinImages skin;
        QVERIFY(skin.LoadSkinImages());
        QVERIFY2(skin.UndecodableNumbers().empty(), qPrintable(skin.LastError()));
    }

    void tableHoldsNumbers101To600_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("held");
        QTest::newRow("first") << 101 << true;
        QTest::newRow("last") << 600 << true;
        QTest::newRow("below") << 100 << false;
        QTest::newRow("above") << 601 << false;
        QTest::newRow("negative") << -1 << false;
    }
    void tableHoldsNumbers101To600() {
        QFETCH(int, number);
        QFETCH(bool, held);
        SkinImages skin;
        skin.SetImage(number, SolidImage(QSize(5, 4), Qt::red));
        QCOMPARE(skin.HasImage(number), held);
        QCOMPARE(skin.NaturalSize(number), held ? QSize(5, 4) : QSize(0, 0));
        QImage canvas(10, 10, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        skin.DrawSkinImage(number, painter, 0, 0);
        skin.DrawSkinImage(300, painter, 0, 0); // an empty slot draws nothing
        painter.end();
        QCOMPARE(PixelAt(canvas, 2, 2), held ? QColor(Qt::red) : QColor(Qt::white));
        QCOMPARE(PixelAt(canvas, 7, 7), QColor(Qt::white));
    }

    void drawsAtNaturalOrGivenSize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("natural") << 0 << 0 << QRect(3, 2, 8, 6);
        QTest::newRow("stretched") << 16 << 12 << QRect(3, 2, 16, 12);
        QTest::newRow("natural width only") << 0 << 3 << QRect(3, 2, 8, 3);
    }
    void drawsAtNaturalOrGivenSize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, expected);
        SkinImages skin;
        AddImages(skin, {{200, QSize(8, 6), Qt::red}});
        QImage canvas(30, 30, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        skin.DrawSkinImage(200, painter, 3, 2, width, height);
        painter.end();
        QCOMPARE(InkBox(canvas, Qt::white), expected);
    }

    void drawsPartOfAnImage() {
        SkinImages skin;
        QImage twoTone(10, 4, QImage::Format_ARGB32_Premultiplied);
        twoTone.fill(Qt::red);
        QPainter(&twoTone).fillRect(5, 0, 5, 4, Qt::blue);
        skin.SetImage(210, twoTone);
        QImage canvas(20, 10, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        skin.DrawSkinImagePart(210, painter, QRectF(0, 0, 5, 4), QRectF(5, 0, 5, 4));
        painter.end();
        QCOMPARE(PixelAt(canvas, 0, 0), QColor(Qt::blue));
        QCOMPARE(PixelAt(canvas, 4, 3), QColor(Qt::blue));
        QCOMPARE(PixelAt(canvas, 5, 0), QColor(Qt::white));
    }

    void labelTextSizeFollowsItsFirstCharacter() {
        // Chinese labels are drawn larger (and bold) than Latin ones, starting at the given position.
        const auto inkBox = [](const QString& text) {
            SkinImages skin;
            QImage canvas(200, 60, QImage::Format_ARGB32);
            canvas.fill(Qt::black);
            QPainter painter(&canvas);
            skin.DrawSkinText(painter, text, 0xFFAAAAAA, QStringLiteral("20, 10"));
            painter.end();
            return InkBox(canvas, Qt::black);
        };
        const QRect latin = inkBox(QStringLiteral("-15dB"));
        const QRect chinese = inkBox(QStringLiteral("中中"));
        QVERIFY(!latin.isEmpty());
        QVERIFY(latin.left() >= 20 && latin.top() >= 10);
        QVERIFY(chinese.left() >= 20 && chinese.top() >= 10);
        QVERIFY2(chinese.height() > latin.height(),
                 qPrintable(QStringLiteral("%1 vs %2").arg(chinese.height()).arg(latin.height())));
    }

    void labelTextUsesTheGivenColourAndAlpha() {
        SkinImages skin;
        QImage canvas(100, 40, QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        skin.DrawSkinText(painter, QStringLiteral("中"), 0xB0FFFFFF, QStringLiteral("2,2"));
        painter.end();
        int strongest = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x) {
                strongest = std::max(strongest, qAlpha(canvas.pixel(x, y)));
            }
        }
        QCOMPARE(strongest, 0xB0);
    }
};

QTEST_MAIN(TstSkinImages)
#include "tst_skinimages.moc"
