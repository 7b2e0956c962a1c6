// The communication log text and its file.
#include "link/CommLog.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;

namespace {
QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TstCommLog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void entries() {
        CommLog log;
        log.Append(QStringLiteral("发送: FE"));
        QCOMPARE(log.CommLogText(), QString()); // only while the log window is loaded
        log.SetCommLogEnabled(true);
        log.Append(QStringLiteral("发送: FE"));
        log.SetCommLogEnabled(false);
        log.AppendAlways(QStringLiteral("校验失败！从下一个数据开始继续校验。"));
        QCOMPARE(log.CommLogText(), QStringLiteral("\r\n发送: FE\r\n校验失败！从下一个数据开始继续校验。"));
    }

    void fileInTheProgramFolder() {
        QTemporaryDir folder;
        CommLog log(folder.path());
        QCOMPARE(log.LogFilePath(), folder.filePath(QStringLiteral("CommIndicator.txt")));
        QVERIFY(log.AppendLogToFile(QStringLiteral("\r\n已进入联机！")));
        log.AppendAlways(QStringLiteral("接收: FF"));
        QVERIFY(log.FlushToFile());
        QCOMPARE(log.CommLogText(), QString());
        QCOMPARE(ReadFile(log.LogFilePath()),
                 QStringLiteral("\r\n已进入联机！\r\n\r\n接收: FF\r\n").toUtf8());
        log.DeleteLogFile();
        QVERIFY(!QFile::exists(log.LogFilePath()));
    }

    void readOnlyProgramFolderFallsBackToAppData() {
        QTemporaryDir folder;
        CommLog log(folder.filePath(QStringLiteral("not-a-folder")));
        const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QDir(dataFolder).removeRecursively();
        QCOMPARE(log.LogFilePath(), QDir(dataFolder).filePath(QStringLiteral("CommIndicator.txt")));
        QVERIFY(QDir(dataFolder).exists()); // created
        QVERIFY(log.AppendLogToFile(QStringLiteral("x")));
        QCOMPARE(ReadFile(log.LogFilePath()), QByteArray("x\r\n"));
        log.DeleteLogFile();
    }

    void unwritableFileIsReportedOnceAndTheTextKept() {
        QTemporaryDir folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("CommIndicator.txt"))); // a folder in its place
        CommLog log(folder.path());
        log.AppendAlways(QStringLiteral("接收: 01"));
        QVERIFY(!log.FlushToFile());
        QVERIFY(!log.FlushToFile());
        const QStringList lines = log.CommLogText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("接收: 01"));
        QVERIFY(lines[1].startsWith(QStringLiteral("无法写入日志文件")));
        // Once the file can be written again the kept text reaches it.
        QVERIFY(QDir(folder.path()).rmdir(QStringLiteral("CommIndicator.txt")));
        QVERIFY(log.FlushToFile());
        QVERIFY(ReadFile(log.LogFilePath()).startsWith(QStringLiteral("\r\n接收: 01\r\n无法写入").toUtf8()));
    }
};

QTEST_GUILESS_MAIN(TstCommLog)
#include "tst_commlog.moc"
