// Connection supervision: handshake, keep-alive sync word, time-outs, reconnect.
#include "LinkTestWorld.h"

#include "link/FrameProtocol.h"

#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

namespace {

const QString kOffline = QStringLiteral("与目标通信连接超时，已断开连接。");

// Short periods so that the keep-alive and its time-out can be watched in a test.
void UseShortPeriods(ConnectionSupervisor& s) {
    s.tmrKeepConnect().setInterval(40);
    s.tmrConnectTimeOut().setInterval(250);
}

} // namespace

class TstSupervision : public QObject {
    Q_OBJECT
private slots:
    void handshakeBringsTheLinkUp() {
        LinkWorld w;
        w.log().SetCommLogEnabled(true);
        QVERIFY(w.link.Supervisor().GoOnline());
        QVERIFY(w.comm().IsOnline());
        QVERIFY(!w.comm().HandshakeMode());
        QCOMPARE(w.ui.indicator, RecordingLinkUi::kLinkIndicatorOnline);
        QVERIFY(w.log().CommLogText().startsWith(
            QStringLiteral("\r\n发送: FE,F0,00,33,00,23,44\r\n接收: FE,23,23,44\r\n接收: "
                           "33,00,12,45\r\n已进入联机！\r\n发送: FE,10,C0")));
        QVERIFY(w.link.Supervisor().tmrKeepConnect().isActive());
    }

    void handshakeFailsSilently_data() {
        QTest::addColumn<int>("fault");
        QTest::newRow("no answer at all") << 0;
        QTest::newRow("wrong answer") << 1;
    }
    void handshakeFailsSilently() {
        QFETCH(int, fault);
        LinkWorld w;
        if (fault == 0) {
            w.device.SetSilent(true);
        } else {
            w.device.TransformNextAnswer([](const QByteArray&) { return Hex("34 00 12 46"); });
        }
        QVERIFY(!w.link.Supervisor().GoOnline());
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1));
        QVERIFY(!w.comm().IsOnline());
        QVERIFY(!w.comm().HandshakeMode());
        QVERIFY(w.messages.shown.empty());
        QCOMPARE(w.ui.undoInits, 0);
    }

    void connectTimerGoesOnlineAndKeepsRunning() {
        LinkWorld w;
        QTimer& connectTimer = w.link.Supervisor().CommConnect();
        QCOMPARE(connectTimer.interval(), 100);
        w.link.Start();
        QTRY_VERIFY_WITH_TIMEOUT(w.comm().IsOnline(), 2000);
        QTRY_VERIFY(connectTimer.isActive());
        QCOMPARE(connectTimer.interval(), 2000);
        QCOMPARE(w.ui.undoInits, 1);
    }

    void syncWordLogging_data() {
        QTest::addColumn<bool>("logSyncWords");
        QTest::addColumn<QString>("log");
        QTest::newRow("shown") << true << "\r\n发送: FF 同步字\r\n接收: FF\r\n接收: 7E";
        QTest::newRow("hidden") << false << "\r\n接收: 7E";
    }
    void syncWordLogging() {
        QFETCH(bool, logSyncWords);
        QFETCH(QString, log);
        LinkWorld w;
        w.log().SetCommLogEnabled(true);
        w.log().SetLogSyncWords(logSyncWords);
        w.link.Supervisor().SendSyncWord();
        QCOMPARE(w.device.SyncWordsReceived(), 1);
        w.device.SendBytes(Hex("7E")); // a marker after the echo
        QTRY_VERIFY(w.log().CommLogText().endsWith(QStringLiteral("7E")));
        QCOMPARE(w.log().CommLogText(), log);
    }

    void keepAliveWhileOnline() {
        LinkWorld w;
        UseShortPeriods(w.link.Supervisor());
        QTest::qWait(150);
        QCOMPARE(w.device.SyncWordsReceived(), 0); // offline: no keep-alive
        w.comm().MarkOnline();
        QTest::qWait(600);
        QVERIFY(w.device.SyncWordsReceived() >= 5);
        QVERIFY(w.comm().IsOnline()); // every echo disarms the time-out
        QVERIFY(w.messages.shown.empty());
    }

    void missingEchoesTakeTheLinkOffline() {
        LinkWorld w;
        UseShortPeriods(w.link.Supervisor());
        w.comm().MarkOnline();
        w.device.SetEchoSyncWords(false);
        // Keep-alives every 40 ms must not push the 250 ms time-out further away.
        QTRY_VERIFY_WITH_TIMEOUT(!w.comm().IsOnline(), 1000);
        QCOMPARE(w.messages.Texts(), QStringList{kOffline});
        QCOMPARE(w.ui.indicator, RecordingLinkUi::kLinkIndicatorOffline);
        QTest::qWait(400);
        QCOMPARE(w.messages.shown.size(), size_t(1));
    }

    void unplugAndReplugWhileSupervised() {
        LinkWorld w;
        ConnectionSupervisor& s = w.link.Supervisor();
        UseShortPeriods(s);
        w.link.Start();
        QTRY_VERIFY_WITH_TIMEOUT(w.comm().IsOnline(), 2000);
        s.CommConnect().setInterval(100); // retry quickly from here on
        w.device.Unplug();
        QTRY_VERIFY_WITH_TIMEOUT(!w.comm().IsOnline(), 2000);
        QCOMPARE(w.messages.Texts(), QStringList{kOffline});
        s.CommConnect().stop();
        s.CommConnect().setInterval(100);
        s.CommConnect().start();
        w.device.Replug();
        QTRY_VERIFY_WITH_TIMEOUT(w.comm().IsOnline(), 5000);
        QCOMPARE(w.ui.undoInits, 2); // read again after coming back
        QCOMPARE(w.messages.shown.size(), size_t(1));
    }

    void noHandshakeWhileACommandWaits() {
        LinkWorld w;
        w.device.DelayNextReplyMs(250);
        w.link.Start(); // first attempt after 100 ms, in the middle of the wait below
        QVERIFY(w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QCOMPARE(w.DeviceFrames(), QStringList{"FE00C5140000D7"});
        QVERIFY(w.link.Supervisor().CommConnect().isActive()); // tries again later
    }

    // The periods and time-outs the processor lives with, as the protocol fixes them.
    void timingTheDeviceSees_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("ms");
        QTest::newRow("acknowledgement wait") << "TimeOuter1" << 300;
        QTest::newRow("keep-alive period") << "tmrKeepConnect" << 1000;
        QTest::newRow("sync time-out") << "tmrConnectTimeOut" << 5000;
        QTest::newRow("first connection attempt") << "CommConnect" << 100;
        QTest::newRow("later connection attempts") << "CommConnect after a tick" << 2000;
        QTest::newRow("handshake answer") << "command 15" << 500;
        QTest::newRow("block answer") << "command 1" << 1000;
        QTest::newRow("download finish answer") << "command 3" << 4000;
    }
    void timingTheDeviceSees() {
        QFETCH(QString, what);
        QFETCH(int, ms);
        LinkWorld w;
        ConnectionSupervisor& s = w.link.Supervisor();
        int measured = -1;
        if (what == u"TimeOuter1") {
            measured = w.comm().TimeOuter1().interval();
        } else if (what == u"tmrKeepConnect") {
            measured = s.tmrKeepConnect().interval();
        } else if (what == u"tmrConnectTimeOut") {
            measured = s.tmrConnectTimeOut().interval();
        } else if (what == u"CommConnect") {
            measured = s.CommConnect().interval();
        } else if (what == u"CommConnect after a tick") {
            w.device.SetSilent(true);
            w.link.Start();
            QTRY_COMPARE(w.device.ReceivedFrames().size(), size_t(1));
            measured = s.CommConnect().interval();
        } else {
            // The answer wait runs with the time-out its command was sent with.
            if (what == u"command 15") {
                w.device.TransformNextAnswer([](const QByteArray&) { return Hex("34 00 12 46"); });
                QVERIFY(!s.GoOnline());
            } else {
                w.comm().MarkOnline();
                if (what == u"command 1") {
                    w.link.Bulk().ReadAllFromDevice();
                } else {
                    w.link.Bulk().DownloadAllToDevice(false);
                }
                QVERIFY(w.comm().IsOnline());
            }
            measured = w.comm().TimeOuter().interval();
        }
        QCOMPARE(measured, ms);
    }

    void closeStopsEverything() {
        LinkWorld w;
        w.link.Start();
        QTRY_VERIFY_WITH_TIMEOUT(w.comm().IsOnline(), 2000);
        QVERIFY(w.link.PrepareClose());
        ConnectionSupervisor& s = w.link.Supervisor();
        QVERIFY(!s.CommConnect().isActive());
        QVERIFY(!s.tmrKeepConnect().isActive());
        QVERIFY(!s.tmrConnectTimeOut().isActive());
        QVERIFY(w.comm().AppClosing());
    }
};

QTEST_GUILESS_MAIN(TstSupervision)
#include "tst_supervision.moc"
