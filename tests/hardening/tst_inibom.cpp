// A written INI document reads back as it was written, also when its text begins with the bytes of a
// byte-order mark (found by fuzzing: a file with two marks lost its first line's bytes on the next read).
#include "model/IniFile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;

namespace {

const QByteArray kMark("\xEF\xBB\xBF");

IniFile Load(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("doc.ini"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
    file.close();
    IniFile ini;
    ini.SetIniFilePath(path);
    ini.IniSection = QStringLiteral("Main");
    return ini;
}

} // namespace

class TstIniBom : public QObject {
    Q_OBJECT
private slots:
    void writtenDocumentReadsBack_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("type"); // what "Type" reads as, before and after a write-out
        const QByteArray body("[Main]\r\nType=ZUL001\r\n");
        QTest::newRow("no mark") << body << "ZUL001";
        QTest::newRow("one mark: dropped") << kMark + body << "ZUL001";
        // The second mark is text of the first line, which is then no section header.
        QTest::newRow("two marks: the second is kept") << kMark + kMark + body << "NULL";
        QTest::newRow("only marks") << kMark + kMark << "NULL";
    }
    void writtenDocumentReadsBack() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, type);
        QTemporaryDir dir;
        const IniFile first = Load(dir, bytes);
        QCOMPARE(first.IniRead(QStringLiteral("Type"), {}, QStringLiteral("NULL")), type);
        const QByteArray written = first.Serialize();
        const IniFile again = Load(dir, written);
        QCOMPARE(again.IniRead(QStringLiteral("Type"), {}, QStringLiteral("NULL")), type);
        QCOMPARE(again.Serialize(), written);
    }
};

QTEST_GUILESS_MAIN(TstIniBom)
#include "tst_inibom.moc"
