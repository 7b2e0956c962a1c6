// The communication log window.
#include "link/CommLog.h"
#include "mainwindow/admin/CommIndicator.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace korva;

namespace {

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Window {
    Window() { window.show(); }
    QTemporaryDir folder;
    CommLog log{folder.path()};
    CommIndicator window{log};
};

} // namespace

class TstCommIndicator : public QObject {
    Q_OBJECT
private slots:
    void designAndNames() {
        CommLog log;
        CommIndicator w(log);
        QCOMPARE(w.windowTitle(), QStringLiteral("通信指示器  双击清空显示并保存到文件"));
        auto* text1 = w.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        QVERIFY(text1 && text1->isReadOnly());
        auto* command1 = w.findChild<QPushButton*>(QStringLiteral("Command1"));
        QVERIFY(command1);
        QCOMPARE(command1->text(), QStringLiteral("联机命令显示开关"));
        auto* timer1 = w.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(timer1 && !timer1->isActive());
        QCOMPARE(timer1->interval(), 200);
        QVERIFY(w.isWindow());
        QVERIFY(!w.isModal());
    }

    void loadStartsANewFile() {
        QTemporaryDir folder;
        CommLog log(folder.path());
        QVERIFY(log.AppendLogToFile(QStringLiteral("old")));
        log.SetLogSyncWords(false);
        CommIndicator w(log);
        w.show();
        QVERIFY(!QFile::exists(log.LogFilePath()));
        QVERIFY(log.LogSyncWords());
        QVERIFY(log.CommLogEnabled());
        QVERIFY(w.Timer1().isActive());
    }

    void showsTheLogWithTheCaretAtTheEnd() {
        Window w;
        w.log.AppendAlways(QStringLiteral("发送: FE,00,C5,14,00,00,D7"));
        w.log.AppendAlways(QStringLiteral("接收: FE,23,23,44"));
        QTRY_COMPARE(w.window.Text1().toPlainText(),
                     QStringLiteral("\n发送: FE,00,C5,14,00,00,D7\n接收: FE,23,23,44"));
        QCOMPARE(w.window.Text1().textCursor().position(), w.window.Text1().toPlainText().length());
        // Refreshed only when the length changed.
        w.window.Text1().setPlainText(QStringLiteral("x"));
        QTest::qWait(450);
        QCOMPARE(w.window.Text1().toPlainText(), QStringLiteral("x"));
    }

    void longLogIsFlushedToTheFile() {
        Window w;
        const QString entry(CommIndicator::kFlushLength, QLatin1Char('a'));
        w.log.AppendAlways(entry);
        QTRY_VERIFY(w.log.CommLogText().isEmpty());
        QCOMPARE(w.window.Text1().toPlainText(), QString());
        QCOMPARE(ReadFile(w.log.LogFilePath()), ("\r\n" + entry + "\r\n").toUtf8());
    }

    void doubleClickFlushes() {
        Window w;
        w.log.AppendAlways(QStringLiteral("接收: 01"));
        QTRY_VERIFY(!w.window.Text1().toPlainText().isEmpty());
        QTest::mouseDClick(w.window.Text1().viewport(), Qt::LeftButton);
        QCOMPARE(w.log.CommLogText(), QString());
        QCOMPARE(ReadFile(w.log.LogFilePath()), QStringLiteral("\r\n接收: 01\r\n").toUtf8());
        QTRY_COMPARE(w.window.Text1().toPlainText(), QString());
    }

    void buttonTogglesSyncWordLogging() {
        Window w;
        QVERIFY(w.log.LogSyncWords());
        w.window.Command1().click();
        QVERIFY(!w.log.LogSyncWords());
        w.window.Command1().click();
        QVERIFY(w.log.LogSyncWords());
    }

    void closeStopsCollecting() {
        Window w;
        w.log.AppendAlways(QStringLiteral("接收: 01"));
        w.window.close();
        QVERIFY(!w.window.Timer1().isActive());
        QVERIFY(!w.log.CommLogEnabled());
        QCOMPARE(w.log.CommLogText(), QStringLiteral("\r\n接收: 01")); // kept
        // Reopening loads again and starts a new file.
        QVERIFY(w.log.AppendLogToFile(QStringLiteral("old")));
        w.window.show();
        QVERIFY(w.log.CommLogEnabled());
        QVERIFY(!QFile::exists(w.log.LogFilePath()));
    }

    void textBoxFollowsTheWindow() {
        Window w;
        w.window.resize(700, 500);
        const QSize outer = w.window.frameGeometry().size();
        const QRect expected(0, 0, std::min(outer.width() - 7, w.window.width()),
                             std::min(outer.height() - 23, w.window.height()));
        QCOMPARE(w.window.Text1().geometry(), expected);
    }
};

QTEST_MAIN(TstCommIndicator)
#include "tst_commindicator.moc"
