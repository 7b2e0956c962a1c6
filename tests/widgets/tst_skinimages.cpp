#include "SyntheticSkin.h"

#include "widgets/SkinImages.h"
#include "widgets/SkinPixelFile.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>

using namespace korva;
using namespace korva::test;

namespace {

// Blue and green device pixels in turn: any magnification or filtering of it shows.
QImage Checkerboard(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 255) : qRgb(0, 255, 0));
        }
    }
    return image;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

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

    void embeddedSkinHasEveryPictureAtTwiceTheResolution() {
        SkinImages skin;
        QVERIFY(skin.LoadSkinImages(SkinImages::DefaultFolder(), 2.0));
        QVERIFY(skin.LoadedCount() > 0);
        for (int number = SkinImages::kFirstNumber; number <= SkinImages::kLastNumber; ++number) {
            if (skin.HasImage(number)) {
                const QImage* fine = skin.ImageFor(number, 2.0);
                QVERIFY2(fine && fine->devicePixelRatio() == 2.0, qPrintable(QString::number(number)));
            }
        }
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

    // A display above 100 % draws every picture from the 2x set at the same logical size, whichever set
    // the table decoded at start-up; it falls back to the 1x picture only when there is no fitting 2x one.
    void drawsThePictureMadeForTheDisplay_data() {
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QString>("fine"); // the 2x file: none, fitting, or of a stale size
        QTest::addColumn<double>("loadedFor");
        QTest::addColumn<bool>("drawsFine");
        QTest::newRow("100 %") << 1.0 << "fitting" << 1.0 << false;
        QTest::newRow("125 %: 2x scaled down") << 1.25 << "fitting" << 1.0 << true;
        QTest::newRow("150 %: 2x scaled down") << 1.5 << "fitting" << 1.0 << true;
        QTest::newRow("200 %") << 2.0 << "fitting" << 1.0 << true;
        QTest::newRow("200 %, started at 200 %") << 2.0 << "fitting" << 2.0 << true;
        QTest::newRow("100 %, started at 200 %") << 1.0 << "fitting" << 2.0 << false;
        QTest::newRow("300 %: the finest there is") << 3.0 << "fitting" << 1.0 << true;
        QTest::newRow("200 %, no 2x picture") << 2.0 << "none" << 2.0 << false;
        QTest::newRow("200 %, stale 2x picture") << 2.0 << "stale" << 2.0 << false;
    }
    void drawsThePictureMadeForTheDisplay() {
        QFETCH(double, ratio);
        QFETCH(QString, fine);
        QFETCH(double, loadedFor);
        QFETCH(bool, drawsFine);
        QTemporaryDir dir;
        QVERIFY(SolidImage(QSize(4, 3), Qt::red).save(dir.filePath("101.png")));
        if (fine != "none") {
            const QImage twoX = Checkerboard(fine == "fitting" ? QSize(8, 6) : QSize(6, 6));
            QVERIFY(WriteFile(dir.filePath("101@2x.argb"), skinfile::Encode(twoX)));
        }
        SkinImages skin;
        QVERIFY(skin.LoadSkinImages(dir.path(), loadedFor));
        QCOMPARE(skin.NaturalSize(101), QSize(4, 3));

        const int side = int(std::ceil(10 * ratio));
        QImage canvas(side, side, QImage::Format_ARGB32);
        canvas.setDevicePixelRatio(ratio);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        skin.DrawSkinImage(101, painter, 2, 2);
        painter.end();

        const QRect target = QRectF(2 * ratio, 2 * ratio, 4 * ratio, 3 * ratio).toAlignedRect();
        int red = 0;
        for (int y = target.top(); y <= target.bottom(); ++y) {
            for (int x = target.left(); x <= target.right(); ++x) {
                const QRgb c = canvas.pixel(x, y);
                red += qRed(c) > 128 && qGreen(c) < 100 && qBlue(c) < 100 ? 1 : 0;
            }
        }
        QCOMPARE(red > 0, !drawsFine);
        if (drawsFine && ratio == 2.0) {
            // One 2x pixel on one device pixel: exactly the checkerboard.
            QImage drawn = canvas.copy(QRect(4, 4, 8, 6)).convertToFormat(QImage::Format_RGB32);
            drawn.setDevicePixelRatio(1);
            QCOMPARE(drawn, Checkerboard({8, 6}));
        }
    }
};

QTEST_MAIN(TstSkinImages)
#include "tst_skinimages.moc"
