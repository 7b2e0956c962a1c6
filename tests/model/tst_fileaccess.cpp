// File names from the system's bytes to text and back: every byte sequence survives the round trip, valid
// UTF-8 reads as Qt reads it, and a message shows what is not text as escapes on one line.
#include "model/FileAccess.h"

#include <QTest>

using namespace korva;

class TstFileAccess : public QObject {
    Q_OBJECT
private slots:
    void namesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("room.PA") << "room.PA";
        QTest::newRow("Chinese") << QByteArray("备份.PA") << "备份.PA";
        QTest::newRow("outside the basic plane") << QByteArray("\xF0\x9F\x8E\xA4.PA") << "\U0001F3A4.PA";
        QTest::newRow("a lone byte") << QByteArray("bad\xFFname.PA") << "bad\\xFFname.PA";
        QTest::newRow("a cut-off sequence") << QByteArray("\xE5\xA4.PA") << "\\xE5\\xA4.PA";
        QTest::newRow("an overlong slash") << QByteArray("\xC0\xAF") << "\\xC0\\xAF";
        // The bytes of the very surrogate that stands for a byte: decoding them would make two names one.
        QTest::newRow("an encoded surrogate") << QByteArray("\xED\xB2\x80") << "\\xED\\xB2\\x80";
        QTest::newRow("past U+10FFFF") << QByteArray("\xF4\x90\x80\x80") << "\\xF4\\x90\\x80\\x80";
        QTest::newRow("a line end") << QByteArray("a\nb\x7F") << "a\\x0Ab\\x7F";
        QTest::newRow("a control character in UTF-8") << QByteArray("a\xC2\x85") << "a\\u0085";
    }
    void namesKeepTheirBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString path = PathFromBytes(bytes);
        QCOMPARE(PathBytes(path), bytes);
        QCOMPARE(DisplayPath(path), shown);
        if (QString::fromUtf8(bytes).toUtf8() == bytes) {
            QCOMPARE(path, QString::fromUtf8(bytes)); // valid names read as Qt reads them
        }
    }
};

QTEST_APPLESS_MAIN(TstFileAccess)
#include "tst_fileaccess.moc"
