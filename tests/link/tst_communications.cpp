// The command exchange end to end: Communications over USB_Comm against the virtual processor.
#include "LinkTestWorld.h"

#include "link/FrameProtocol.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

namespace {

const QString kOffline = QStringLiteral("与目标通信连接超时，已断开连接。");
const QString kChecksumLine = QStringLiteral("校验失败！从下一个数据开始继续校验。");

// The answer the device gives to a block read, from its own memory.
QByteArray BlockAnswer(const ParamModel& memory, int group, int first) {
    QByteArray data;
    for (int i = 0; i < BlockRecordCount(first); ++i) {
        const ParamRecord& r = memory.Store.at(first >= 0xC0 ? 0 : group, first + i);
        data.append(char(r.DATA1)).append(char(r.DATA2)).append(char(r.DATA3));
    }
    return data + char(FrameChecksum(data));
}

} // namespace

class TstCommunications : public QObject {
    Q_OBJECT
private slots:
    void commandFrames_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("answer");
        QTest::newRow("write record") << 0 << 0 << 0xC5 << 0xFF << "FE00C5140000D7"
                                      << "4F4B009A";
        QTest::newRow("handshake") << 15 << 0 << 0 << 0x33 << "FEF00033002344"
                                   << "33001245";
        QTest::newRow("read password") << 7 << 0 << 0 << 0 << "FE70000000006E"
                                       << "4B4F525641323032344B";
        QTest::newRow("select group") << 4 << 5 << 0 << 0 << "FE450000000043"
                                      << "4F4B049E";
        QTest::newRow("finish download") << 3 << 0 << 0 << 0 << "FE30000000002E"
                                         << "4F4B039D";
        QTest::newRow("write block 0x80 of group 3")
            << 2 << 3 << 0x80 << 0
            << "FE2380290010200111210212220313230414240515250616260717270818280919290A1A2A0B1B2BD0"
            << "4F4B029C";
        QTest::newRow("checksum FD sent as 0") << 0 << 0 << 0x01 << 0xFE << "FE0001FE000000"
                                               << "4F4B009A";
    }
    void commandFrames() {
        QFETCH(int, command);
        QFETCH(int, group);
        QFETCH(int, address);
        QFETCH(int, value);
        QFETCH(QString, frame);
        QFETCH(QString, answer);
        LinkWorld w;
        for (int i = 0; i < 12; ++i) {
            w.model.Store.at(3, 0x80 + i) = {uint8_t(i), uint8_t(0x10 + i), uint8_t(0x20 + i)};
        }
        QVERIFY(w.comm().SendCommand(command, group, address, value, 1000));
        QCOMPARE(w.DeviceFrames(), QStringList{frame});
        QCOMPARE(QString::fromLatin1(w.comm().Answer().toHex().toUpper()), answer);
        QVERIFY(w.messages.shown.empty());
    }

    void blockReadAnswers_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("address");
        QTest::newRow("common block") << 1 << 0 << 0xC0;
        QTest::newRow("block 0x00 of group 6") << 1 << 6 << 0x00;
        QTest::newRow("block 0x40 of group 1") << 1 << 1 << 0x40;
        QTest::newRow("menu block 0x00") << 5 << 0 << 0x00;
    }
    void blockReadAnswers() {
        QFETCH(int, command);
        QFETCH(int, group);
        QFETCH(int, address);
        LinkWorld w;
        QVERIFY(w.comm().SendCommand(command, group, address, 0, 1000));
        QByteArray expected;
        if (command == kCmdReadMenuBlock) {
            QByteArray data;
            for (int i = 0; i < BlockRecordCount(address); ++i) {
                data.append(char(w.device.Memory().MenuShow[size_t(address + i)])).append("\x23\x23");
            }
            expected = data + char(FrameChecksum(data));
        } else {
            expected = BlockAnswer(w.device.Memory(), group, address);
        }
        QCOMPARE(w.comm().AnswerLength(), BlockRecordCount(address) * 3 + 1);
        QCOMPARE(w.comm().Answer().toHex(), expected.toHex());
    }

    void answerChecksumZero_data() {
        QTest::addColumn<int>("data1");
        QTest::addColumn<int>("data2");
        QTest::newRow("sum FD") << 0x7F << 0x7E;
        QTest::newRow("sum FE") << 0x7F << 0x7F;
        QTest::newRow("sum FF") << 0x80 << 0x7F;
    }
    void answerChecksumZero() {
        QFETCH(int, data1);
        QFETCH(int, data2);
        LinkWorld w;
        for (int i = 0; i < 12; ++i) {
            w.device.Memory().Store.at(2, 0x80 + i) = {};
        }
        w.device.Memory().Store.at(2, 0x80) = {uint8_t(data1), uint8_t(data2), 0};
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 2, 0x80, 0, 1000));
        QCOMPARE(w.comm().Answer().size(), 37);
        QCOMPARE(uint8_t(w.comm().Answer().at(1)), uint8_t(data2));
        QCOMPARE(w.comm().Answer().back(), '\0');
    }

    void logEntriesOfOneWrite() {
        LinkWorld w;
        w.log().SetCommLogEnabled(true);
        QVERIFY(w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QCOMPARE(w.log().CommLogText(), QStringLiteral("\r\n发送: FE,00,C5,14,00,00,D7"
                                                       "\r\n接收: FE,23,23,44"
                                                       "\r\n接收: 4F,4B,00,9A"));
    }

    void ackAndAnswerInOnePacket() {
        LinkWorld w;
        w.device.SetCoalesceReplies(true);
        w.log().SetCommLogEnabled(true);
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, 0xC0, 0, 1000));
        const QStringList lines = w.log().CommLogText().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines[1].startsWith(QStringLiteral("接收: FE,23,23,44,")));
        QCOMPARE(w.comm().Answer(), BlockAnswer(w.device.Memory(), 0, 0xC0));
    }

    void strayByteBeforeAck_data() {
        QTest::addColumn<bool>("logEnabled");
        QTest::addColumn<QString>("log");
        QTest::newRow("log window open") << true
                                         << "\r\n发送: FE,00,C5,14,00,00,D7\r\n" + kChecksumLine +
                                                "\r\n接收: 12,FE,23,23,44\r\n接收: 4F,4B,00,9A";
        QTest::newRow("checksum line kept even when closed") << false << "\r\n" + kChecksumLine;
    }
    void strayByteBeforeAck() {
        QFETCH(bool, logEnabled);
        QFETCH(QString, log);
        LinkWorld w;
        w.log().SetCommLogEnabled(logEnabled);
        w.device.InsertNoiseBeforeNextReply(Hex("12"));
        QVERIFY(w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QCOMPARE(w.log().CommLogText(), log);
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1));
    }

    // Line noise that happens to form a 4-byte frame with a valid checksum, just before the acknowledgement:
    // a write would take it for its (early) answer, but a block read's answer is far longer, so it is
    // skipped, and the read gets its own answer.
    void fourByteNoiseIsNoBlockReadAnswer_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("address");
        QTest::newRow("common block") << int(kCmdReadBlock) << 0xC0;
        QTest::newRow("block 0x40") << int(kCmdReadBlock) << 0x40;
        QTest::newRow("password") << int(kCmdReadPassword) << 0x00;
    }
    void fourByteNoiseIsNoBlockReadAnswer() {
        QFETCH(int, command);
        QFETCH(int, address);
        LinkWorld w;
        const QByteArray noise = Hex("01 02 03 06");
        w.device.InsertNoiseBeforeNextReply(noise);
        QVERIFY(w.comm().SendCommand(command, 0, address, 0, 1000));
        const QByteArray answer = w.comm().Answer();
        QCOMPARE(answer.size(), AnswerLengthFor(command, address));
        QVERIFY(!answer.startsWith(noise));
        QVERIFY(HasValidChecksum(answer));
        if (command == kCmdReadBlock) {
            QCOMPARE(answer.toHex(), BlockAnswer(w.device.Memory(), 0, address).toHex());
        }
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1));
        QVERIFY(!w.log().CommLogText().contains(kChecksumLine)); // its checksum is right
    }

    void syncAndToneBytesInsideAnswer() {
        LinkWorld w;
        w.device.TransformNextAnswer([](const QByteArray& answer) {
            QByteArray a = answer;
            a.insert(20, char(0xFD));
            a.insert(5, char(0xFF));
            return a;
        });
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, 0xC0, 0, 1000));
        QCOMPARE(w.comm().Answer(), BlockAnswer(w.device.Memory(), 0, 0xC0));
        QCOMPARE(w.ui.toneResets, 1);
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1));
    }

    void syncEchoStopsConnectTimeOut() {
        LinkWorld w;
        QTimer& timeout = w.link.Supervisor().tmrConnectTimeOut();
        timeout.start();
        w.usb().Connect();
        w.device.SendBytes(Hex("FF"));
        QTRY_VERIFY(!timeout.isActive());
        QCOMPARE(w.ui.toneResets, 0);
        w.device.SendToneReset();
        QTRY_COMPARE(w.ui.toneResets, 1);
        // Every command disarms it too.
        timeout.start();
        QVERIFY(w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QVERIFY(!timeout.isActive());
    }

    void syncPacketsInTheLog_data() {
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<bool>("logSyncWords");
        QTest::addColumn<QString>("log");
        QTest::newRow("lone FF hidden") << Hex("FF") << false << "\r\n接收: 7E";
        QTest::newRow("lone FF shown") << Hex("FF") << true << "\r\n接收: FF\r\n接收: 7E";
        QTest::newRow("FF,FF always shown") << Hex("FFFF") << false << "\r\n接收: FF,FF\r\n接收: 7E";
    }
    void syncPacketsInTheLog() {
        QFETCH(QByteArray, packet);
        QFETCH(bool, logSyncWords);
        QFETCH(QString, log);
        LinkWorld w;
        w.usb().Connect();
        w.log().SetCommLogEnabled(true);
        w.log().SetLogSyncWords(logSyncWords);
        w.device.SendBytes(packet);
        w.device.SendBytes(Hex("7E")); // a marker: once it is logged the packet before it was handled
        QTRY_VERIFY(w.log().CommLogText().endsWith(QStringLiteral("7E")));
        QCOMPARE(w.log().CommLogText(), log);
    }

    void retriesUntilAnswered_data() {
        QTest::addColumn<int>("lostAnswers");
        QTest::newRow("one lost") << 1;
        QTest::newRow("seven lost, the eighth send answered") << 7;
    }
    void retriesUntilAnswered() {
        QFETCH(int, lostAnswers);
        LinkWorld w;
        w.comm().MarkOnline();
        w.device.DropNextAnswers(lostAnswers);
        const int progressBefore = w.comm().ProgressCount();
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, 0xC0, 0, 30));
        QCOMPARE(int(w.device.ReceivedFrames().size()), lostAnswers + 1);
        QStringList frames = w.DeviceFrames();
        frames.removeDuplicates();
        QCOMPARE(frames.size(), 1); // resent unchanged
        QCOMPARE(w.comm().ProgressCount(), progressBefore + 1);
        QVERIFY(w.messages.shown.empty());
        QVERIFY(w.comm().IsOnline());
    }

    void corruptAnswerIsResent() {
        LinkWorld w;
        w.device.CorruptNextAnswerChecksums(1);
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, 0xC0, 0, 30));
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(2));
        QVERIFY(w.log().CommLogText().contains(kChecksumLine));
    }

    void lostAckIsResent() {
        LinkWorld w;
        // The write's answer still comes, but without the acknowledgement the attempt fails after 300 ms.
        w.device.DropNextAcks(1);
        QVERIFY(w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(2));
    }

    void eightFailuresTakeTheLinkOfflineOnce() {
        LinkWorld w;
        w.comm().MarkOnline();
        const int updatesBefore = w.ui.selectionUpdates;
        w.device.DropNextAnswers(100);
        QVERIFY(!w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 20));
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(8));
        QCOMPARE(w.messages.Texts(), QStringList{kOffline});
        QCOMPARE(w.messages.shown[0].Icon, MessageIcon::Warning);
        QVERIFY(!w.comm().IsOnline());
        QCOMPARE(w.ui.indicator, RecordingLinkUi::kLinkIndicatorOffline);
        QCOMPARE(w.ui.selectionUpdates, updatesBefore + 1);
        // A second failure while already offline does not repeat the message.
        QVERIFY(!w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 20));
        QCOMPARE(w.messages.shown.size(), size_t(1));
    }

    void handshakeModeIsOneSilentAttempt() {
        LinkWorld w;
        w.device.SetSilent(true);
        w.comm().SetHandshakeMode(true);
        QVERIFY(!w.comm().SendCommand(kCmdHandshake, 0, 0, 0x33, 500));
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1));
        QVERIFY(w.messages.shown.empty());
    }

    void closingEndsTheWaitWithoutMessage() {
        LinkWorld w;
        w.comm().MarkOnline();
        w.device.DelayNextReplyMs(3000);
        bool busyDuringWait = false;
        QTimer::singleShot(30, [&]() {
            busyDuringWait = w.comm().LinkBusy();
            QVERIFY(!w.link.PrepareClose()); // still unwinding
        });
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QVERIFY(clock.elapsed() < 1000);
        QVERIFY(busyDuringWait);
        QVERIFY(!w.comm().LinkBusy());
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1)); // no further attempts were sent
        QVERIFY(w.messages.shown.empty());                     // a close is not a time-out
        QVERIFY(w.comm().IsOnline());
        // Once closing, commands fail at once and send nothing.
        QVERIFY(!w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QCOMPARE(w.device.ReceivedFrames().size(), size_t(1));
        QVERIFY(w.link.PrepareClose());
    }

    void reentrantCommandsKeepTheirOwnAnswers_data() {
        QTest::addColumn<int>("innerCommand");
        QTest::addColumn<int>("innerAddress");
        QTest::addColumn<int>("innerValue");
        QTest::addColumn<QString>("innerFrame");
        QTest::newRow("read inside read") << 1 << 0x80 << 0 << "FE10800000008E";
        QTest::newRow("write inside read") << 0 << 0xC5 << 0xFF << "FE00C5140000D7";
    }
    void reentrantCommandsKeepTheirOwnAnswers() {
        QFETCH(int, innerCommand);
        QFETCH(int, innerAddress);
        QFETCH(int, innerValue);
        QFETCH(QString, innerFrame);
        LinkWorld w;
        w.device.DelayNextReplyMs(40);
        bool innerOk = false;
        QByteArray innerAnswer;
        QTimer::singleShot(10, [&]() {
            innerOk = w.comm().SendCommand(innerCommand, 0, innerAddress, innerValue, 1000);
            innerAnswer = w.comm().Answer();
        });
        const bool outerOk = w.comm().SendCommand(kCmdReadBlock, 0, 0xC0, 0, 1000);
        const QByteArray outerAnswer = w.comm().Answer();
        QVERIFY(outerOk);
        QVERIFY(innerOk);
        QCOMPARE(outerAnswer.toHex(), BlockAnswer(w.device.Memory(), 0, 0xC0).toHex());
        const QByteArray expectedInner =
            innerCommand == kCmdReadBlock ? BlockAnswer(w.device.Memory(), 0, innerAddress) : Hex("4F4B009A");
        QCOMPARE(innerAnswer.toHex(), expectedInner.toHex());
        QCOMPARE(w.DeviceFrames(), (QStringList{"FE10C0000000CE", innerFrame}));
        QVERIFY(w.messages.shown.empty());
    }

    void hugePacketDoesNotOverflow() {
        LinkWorld w;
        w.comm().ProcessReceivedBytes(QByteArray(20000, char(0x01)));
        QVERIFY(w.comm().Scanner().RxCount() < FrameScanner::kRxBufferSize);
        QVERIFY(w.comm().SendCommand(kCmdReadBlock, 0, 0xC0, 0, 1000));
    }

    void bytesBeforeTheFirstCommand() {
        LinkWorld w;
        QCOMPARE(w.comm().Scanner().ExpectedLength(), 4);
        w.comm().ProcessReceivedBytes(Hex("FE232344 4F4B"));
        QCOMPARE(w.comm().Scanner().RxCount(), 2);
        QVERIFY(w.messages.shown.empty());
    }

    void reportWriteErrorDuringCommand() {
        LinkWorld w;
        w.comm().MarkOnline();
        w.device.ThrowOnNextWrites(2); // the first attempt's write and its retry
        QVERIFY(w.comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000));
        QCOMPARE(w.messages.Texts(), QStringList{"操作USB设备失败！"});
        QVERIFY(w.comm().IsOnline());
    }
};

QTEST_GUILESS_MAIN(TstCommunications)
#include "tst_communications.moc"
