// The link as the main window lives it: the lost-link message before any new connection, the log window
// through the window's locks, unplugging during bulk transfers and closing while an exchange waits.
#include "EditTestSupport.h"

#include "link/CommLog.h"
#include "mainwindow/admin/CommIndicator.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/SimpControl.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

namespace {

const QString kOffline = QStringLiteral("与目标通信连接超时，已断开连接。");

// Retries come round quickly; what is tested does not depend on the 300 ms.
constexpr int kQuickAckTimeoutMs = 40;

bool IsBlockFrame(const QByteArray& frame, int command, int group, int first) {
    return frame.size() > 3 && (uint8_t(frame[1]) >> 4) == command && (uint8_t(frame[1]) & 0x0F) == group &&
           uint8_t(frame[2]) == first;
}

// The window shown, online by itself and done reading.
bool ShownAndOnline(TestWorld& world) {
    if (!world.Load()) {
        return false;
    }
    world.C().TimeOuter1->setInterval(kQuickAckTimeoutMs);
    world.Window->show();
    return QTest::qWaitFor([&] { return world.Comm().IsOnline() && world.Window->isEnabled(); }, 3000);
}

} // namespace

class TestWindowLink : public QObject {
    Q_OBJECT
private slots:
    void LostLinkMessageComesFirst_data();
    void LostLinkMessageComesFirst();
    void LogWindowStaysUsableUnderLocks_data();
    void LogWindowStaysUsableUnderLocks();
    void UnplugAndReplugDuringBulkTransfer_data();
    void UnplugAndReplugDuringBulkTransfer();
    void CloseWhileAnExchangeWaits_data();
    void CloseWhileAnExchangeWaits();
};

void TestWindowLink::LostLinkMessageComesFirst_data() {
    QTest::addColumn<bool>("syncTimeOut");
    QTest::addColumn<int>("indicatorUnderMessage");
    // A command's failure shows the message before the link goes offline; the sync time-out after.
    QTest::newRow("write fails for good") << false << 6;
    QTest::newRow("sync word unanswered") << true << 0;
}

// The user leaves the message open for longer than the connection timer's period, and the processor
// answers again meanwhile: nothing goes out until OK, then the link comes back by itself.
void TestWindowLink::LostLinkMessageComesFirst() {
    QFETCH(bool, syncTimeOut);
    QFETCH(int, indicatorUnderMessage);
    TestWorld world;
    QVERIFY(ShownAndOnline(world));
    const MainControls& c = world.C();
    c.tmrConnectTimeOut->setInterval(300);
    size_t framesBefore = 0;
    size_t framesAfter = 0;
    int syncsBefore = 0;
    int syncsAfter = 0;
    int indicator = -1;
    world.Messages.SetWhileShown([&](const RecordingMessageService::Message&) {
        world.Device.SetSilent(false);
        world.Device.SetEchoSyncWords(true);
        framesBefore = world.Device.ReceivedFrames().size();
        syncsBefore = world.Device.SyncWordsReceived();
        QTest::qWait(2300);
        framesAfter = world.Device.ReceivedFrames().size();
        syncsAfter = world.Device.SyncWordsReceived();
        indicator = c.MShowProgress->Value();
    });
    if (syncTimeOut) {
        world.Device.SetEchoSyncWords(false);
    } else {
        world.Device.SetSilent(true);
        emit c.btnDown2->Click(); // an FBX step: a write with the window locked
    }
    QTRY_COMPARE_WITH_TIMEOUT(world.Messages.Messages().size(), size_t(1), 3000);
    QCOMPARE(world.Messages.Messages()[0].Text, kOffline);
    QCOMPARE(framesAfter, framesBefore);
    QCOMPARE(syncsAfter, syncsBefore);
    QCOMPARE(indicator, indicatorUnderMessage);
    world.Messages.SetWhileShown({});
    QTRY_VERIFY_WITH_TIMEOUT(world.Comm().IsOnline() && world.Window->isEnabled(), 4000);
    QCOMPARE(world.FramesOf(kCmdHandshake), 2);
    QCOMPARE(world.Messages.Messages().size(), size_t(1));
}

void TestWindowLink::LogWindowStaysUsableUnderLocks_data() {
    QTest::addColumn<bool>("download");
    QTest::newRow("download") << true;
    QTest::newRow("window-locked write") << false;
}

void TestWindowLink::LogWindowStaysUsableUnderLocks() {
    QFETCH(bool, download);
    TestWorld world;
    QVERIFY(ShownAndOnline(world));
    QTest::keyClick(world.Window.get(), Qt::Key_W);
    CommIndicator* log = world.Window->LogWindow();
    QVERIFY(log && log->isVisible());
    bool probed = false;
    bool windowLocked = false;
    bool logEnabled = false;
    bool switched = false;
    RecordWhileWriting(world, [&] {
        if (probed) {
            return;
        }
        probed = true;
        windowLocked = !world.Window->isEnabled();
        logEnabled = log->isEnabled() && log->Text1().isEnabled();
        const bool before = world.Context.Link.Log().LogSyncWords();
        log->Command1().click(); // does nothing on a disabled button
        switched = world.Context.Link.Log().LogSyncWords() != before;
    });
    if (download) {
        emit world.C().btnUpload->Click();
    } else {
        emit world.C().btnDown2->Click();
    }
    QVERIFY(probed);
    QVERIFY(windowLocked);
    QVERIFY(logEnabled);
    QVERIFY(switched);
    // A window of its own, still closed with the main window.
    world.Window->close();
    QVERIFY(!log->isVisible());
}

void TestWindowLink::UnplugAndReplugDuringBulkTransfer_data() {
    QTest::addColumn<bool>("download");
    QTest::newRow("read after the handshake") << false;
    QTest::newRow("download") << true;
}

// The processor goes away at group 2's second block and comes back later.
void TestWindowLink::UnplugAndReplugDuringBulkTransfer() {
    QFETCH(bool, download);
    TestWorld world;
    const int command = download ? kCmdWriteBlock : kCmdReadBlock;
    bool unplugged = false;
    world.Device.SetReplyFilter([&](const QByteArray& frame) {
        if (unplugged || !IsBlockFrame(frame, command, 2, 0x40)) {
            return true;
        }
        unplugged = true;
        QTimer::singleShot(0, [&] { world.Device.Unplug(); });
        return false;
    });
    if (download) {
        QVERIFY(ShownAndOnline(world));
        world.Model().Store.at(1, 0x80).DATA1 = 99; // travels
        world.Model().Store.at(6, 0x80).DATA1 = 98; // does not
        emit world.C().btnUpload->Click();
    } else {
        QVERIFY(world.Load());
        world.C().TimeOuter1->setInterval(kQuickAckTimeoutMs);
        world.Window->show();
        QTRY_VERIFY(unplugged);
    }
    QTRY_COMPARE(world.Messages.Messages().size(), size_t(1));
    QTRY_VERIFY(world.Window->isEnabled());
    QCOMPARE(world.Messages.Messages()[0].Text, kOffline);
    QVERIFY(!world.Comm().IsOnline());
    QVERIFY(world.C().C_ProgressBar1->isHidden());
    QCOMPARE(world.Context.Undo.UndoPosition(), -1);
    // What travelled before the loss arrived; nothing after it.
    QCOMPARE(world.Model().Store.at(1, 0x80), world.Device.Memory().Store.at(1, 0x80));
    QVERIFY(world.Model().Store.at(6, 0x80) != world.Device.Memory().Store.at(6, 0x80));
    QCOMPARE(world.FramesOf(kCmdFinishDownload), 0);

    world.Device.Replug();
    QTRY_VERIFY_WITH_TIMEOUT(world.Comm().IsOnline() && world.Window->isEnabled(), 5000);
    QCOMPARE(world.Model().Store.at(6, 0x80), world.Device.Memory().Store.at(6, 0x80));
    QCOMPARE(world.Messages.Messages().size(), size_t(1));
}

void TestWindowLink::CloseWhileAnExchangeWaits_data() {
    QTest::addColumn<bool>("download");
    QTest::addColumn<int>("closeAtFrame");
    QTest::newRow("bulk transfer") << true << 5;
    QTest::newRow("window-locked write") << false << 1;
}

void TestWindowLink::CloseWhileAnExchangeWaits() {
    QFETCH(bool, download);
    QFETCH(int, closeAtFrame);
    TestWorld world;
    QVERIFY(ShownAndOnline(world));
    world.Device.ClearRecordings();
    int frames = 0;
    size_t framesAtClose = 0;
    bool closed = true;
    RecordWhileWriting(world, [&] {
        if (++frames == closeAtFrame) {
            QTimer::singleShot(0, [&] {
                framesAtClose = world.Device.ReceivedFrames().size();
                closed = world.Window->close();
            });
        }
    });
    if (download) {
        emit world.C().btnUpload->Click();
    } else {
        emit world.C().btnDown2->Click();
    }
    QTRY_VERIFY(!world.Window->isVisible());
    QVERIFY(!closed); // refused while the exchange unwound, then completed by itself
    QCOMPARE(world.Messages.Messages().size(), size_t(1));
    QCOMPARE(world.Messages.Messages()[0].Text, frmEQ::ClosingWhileBusyText());
    QCOMPARE(world.Device.ReceivedFrames().size(), framesAtClose);
}

QTEST_MAIN(TestWindowLink)
#include "tst_windowlink.moc"
