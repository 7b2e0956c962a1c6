// A late 4-byte answer to an earlier command, arriving while a command with a longer answer waits for its
// acknowledgement, must not be taken as that command's whole answer (found by fuzzing the receive path).
#include "LinkTestWorld.h"

#include "link/FrameProtocol.h"
#include "link/FrameScanner.h"

#include <QTest>

using namespace korva;
using namespace korva::test;

namespace {

// "OK" answer of a single-record write, as the device sends it: 4F 4B 00 9A.
const QByteArray kLateWriteAnswer = Hex("4F4B009A");

class ScanEvents : public FrameScanner::Listener {
public:
    void OnSyncEcho() override {}
    void OnToneReset() override {}
    void OnAcknowledgement() override { events << "ack"; }
    void OnAnswer(QByteArrayView frame) override { events << frame.toByteArray().toHex().toUpper(); }
    void OnChecksumFailure() override {}
    QStringList events;
};

} // namespace

class TstLateReply : public QObject {
    Q_OBJECT
private slots:
    void scannerBeforeAcknowledgement_data() {
        QTest::addColumn<int>("answerLength");
        QTest::addColumn<QStringList>("events");
        const QStringList ackOnly = {"ack"};
        // A 4-byte answer before the acknowledgement is still honoured, as the device may coalesce.
        QTest::newRow("4-byte answer") << 4 << QStringList{"4F4B009A", "ack"};
        QTest::newRow("password, 10 bytes") << 10 << ackOnly;
        QTest::newRow("block 0x80, 37 bytes") << 37 << ackOnly;
        QTest::newRow("block 0x00, 124 bytes") << 124 << ackOnly;
        QTest::newRow("no block, 1 byte") << 1 << ackOnly;
    }
    void scannerBeforeAcknowledgement() {
        QFETCH(int, answerLength);
        QFETCH(QStringList, events);
        ScanEvents log;
        FrameScanner scanner(log);
        scanner.BeginCommand(answerLength);
        scanner.Feed(kLateWriteAnswer + AcknowledgementFrame());
        QCOMPARE(log.events, events);
        QCOMPARE(scanner.ExpectedLength(), answerLength);
    }

    void blockReadIgnoresLateAnswer_data() {
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("answerLength");
        QTest::newRow("block 0x00") << 0x00 << 124;
        QTest::newRow("block 0xC0") << 0xC0 << 49;
    }
    void blockReadIgnoresLateAnswer() {
        QFETCH(int, address);
        QFETCH(int, answerLength);
        LinkWorld w;
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, address, 0, 1000));
        const QByteArray clean = w.comm().Answer();
        QCOMPARE(clean.size(), answerLength);

        w.device.InsertNoiseBeforeNextReply(kLateWriteAnswer);
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, address, 0, 1000));
        QCOMPARE(w.comm().Answer(), clean);
    }
};

QTEST_GUILESS_MAIN(TstLateReply)
#include "tst_latereply.moc"
