// Parameter images: which bytes a download, a read and a preset file carry, the comparison that names
// each changed byte, and preset files read and written with the window's rules.
#include "model/PresetFile.h"
#include "ops/ParamImage.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;

class TstParamImage : public QObject {
    Q_OBJECT
private slots:
    void cellSetsMatchTheTransfersAndTheFile() {
        QCOMPARE(DownloadedCells().size(), size_t(3 * (16 + 8 * (41 + 30 + 12))));
        QCOMPARE(ReadCells().size(), DownloadedCells().size() + size_t(41 + 30 + 12));
        QCOMPARE(PresetCells().size(), PresetKeyOrder().size() - 1 - 8 * 9); // no Type, cuts once
    }

    void aSingleChangedByteIsNamed_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("line");
        QTest::newRow("band frequency") << 0 << 0x46 << 0 << false << 131
                                        << "g1.mic12.eq3.freq MODEL 1 话筒1-2 EQ3 频率: 64 Hz → 1000 Hz";
        QTest::newRow("band gain of a bass band") << 1 << 0x1F << 1 << false << 150
                                                  << "g2.bass.eq1.gain MODEL 2 低音 EQ1 增益: 0.0 dB → -15.0 dB";
        QTest::newRow("common level") << 0 << 0xC5 << 0 << false << 30
                                      << "limit.music_min 开机音量限制 音乐最小: 20 → 30";
        QTest::newRow("echo delay") << 7 << 0x81 << 0 << false << 0 << "g8.echo.delay MODEL 8 回声延时: 230 ms → 15 ms";
        QTest::newRow("unnamed byte") << 3 << 0x80 << 1 << false << 7 << "g4.0x80.data2 MODEL 4 地址 0x80 DATA2: 0 → 7";
        QTest::newRow("unnamed common byte") << 0 << 0xD0 - 1 << 2 << false << 9 << "0xCF.data3 地址 0xCF DATA3: 0 → 9";
        QTest::newRow("menu entry") << 0 << 0x44 << 0 << true << 1 << "menu.0x44 菜单显示 0x44: 0 → 1";
    }
    void aSingleChangedByteIsNamed() {
        QFETCH(int, group);
        QFETCH(int, address);
        QFETCH(int, field);
        QFETCH(bool, menu);
        QFETCH(int, value);
        QFETCH(QString, line);
        const ParamImage before = ParamImage::Defaults();
        ParamImage after = before;
        ImageCell{group, address, field, menu}.Set(after, uint8_t(value));
        const std::vector<ImageDifference> diffs = CompareImages(before, after, ReadCells());
        QCOMPARE(diffs.size(), size_t(1));
        QCOMPARE(diffs[0].Describe(), line);
        QCOMPARE(CompareImages(after, after, ReadCells()).size(), size_t(0));
    }

    void presetFilesRoundTripAndBadOnesChangeNothing_data() {
        QTest::addColumn<QByteArray>("content"); // empty: the saved file itself
        QTest::addColumn<QString>("error");      // beginning of the error; empty: loads
        QTest::newRow("saved file") << QByteArray() << "";
        QTest::newRow("not a preset") << QByteArray("[Main]\r\nType=zul001\r\n") << "您导入的文件不是指定的配置文件。";
        QTest::newRow("missing keys") << QByteArray("[Main]\r\nType=ZUL001\r\nGROUP0.ADDR3.DATA1=19\r\n")
                                      << "导入的数据有错误！";
    }
    void presetFilesRoundTripAndBadOnesChangeNothing() {
        QFETCH(QByteArray, content);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("room.PA"));
        ParamImage saved = ParamImage::Defaults();
        ImageCell{2, 0x46, 2, false}.Set(saved, 30);
        ImageCell{0, 0x10, 0, true}.Set(saved, 1);
        QString why;
        QVERIFY(SavePresetImage(saved, path, &why));
        if (!content.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(content);
        }
        ParamImage loaded = ParamImage::Defaults();
        ImageCell{0, 0xCE, 0, false}.Set(loaded, 3); // a byte no preset file carries
        const ParamImage untouched = loaded;
        const bool ok = LoadPresetImage(path, loaded, &why);
        QCOMPARE(ok, error.isEmpty());
        if (ok) {
            QCOMPARE(CompareImages(saved, loaded, PresetCells()).size(), size_t(0));
            QCOMPARE(ImageCell({0, 0xCE, 0, false}).Get(loaded), uint8_t(3));
        } else {
            QVERIFY2(why.startsWith(error), qPrintable(why));
            QVERIFY(loaded == untouched);
        }
    }
};

QTEST_GUILESS_MAIN(TstParamImage)
#include "tst_paramimage.moc"
