// Frames and checksums byte for byte, and the receive-side frame scanner on its own.
#include "LinkTestWorld.h"

#include "link/FrameProtocol.h"
#include "link/FrameScanner.h"

#include <QTest>

using namespace korva;

namespace {

QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// Records what the scanner finds, as readable events.
class ScanLog : public FrameScanner::Listener {
public:
    void OnSyncEcho() override { events << "sync"; }
    void OnToneReset() override { events << "tone"; }
    void OnAcknowledgement() override { events << "ack"; }
    void OnAnswer(QByteArrayView frame) override {
        events << "answer " + frame.toByteArray().toHex().toUpper();
    }
    void OnChecksumFailure() override { events << "bad"; }
    QStringList events;
};

} // namespace

class TstFrameProtocol : public QObject {
    Q_OBJECT
private slots:
    void singleFrames_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("write record from store") << 0 << 0 << 0xC5 << 0xFF << Hex("FE 00 C5 14 00 00 D7");
        QTest::newRow("write one byte") << 0 << 2 << 0x40 << 50 << Hex("FE 02 40 32 00 00 72");
        QTest::newRow("handshake") << 15 << 0 << 0 << 0x33 << Hex("FE F0 00 33 00 23 44");
        QTest::newRow("read common block") << 1 << 0 << 0xC0 << 0 << Hex("FE 10 C0 00 00 00 CE");
        QTest::newRow("finish download") << 3 << 0 << 0 << 0 << Hex("FE 30 00 00 00 00 2E");
        QTest::newRow("select group 5") << 4 << 5 << 0 << 0 << Hex("FE 45 00 00 00 00 43");
        QTest::newRow("read menu block") << 5 << 0 << 0x40 << 0 << Hex("FE 50 40 00 00 00 8E");
        QTest::newRow("read password") << 7 << 0 << 0 << 0 << Hex("FE 70 00 00 00 00 6E");
        // Sums landing on the reserved values are sent as 0.
        QTest::newRow("sum FD") << 0 << 0 << 0x01 << 0xFE << Hex("FE 00 01 FE 00 00 00");
        QTest::newRow("sum FE") << 0 << 0 << 0x02 << 0xFE << Hex("FE 00 02 FE 00 00 00");
        QTest::newRow("sum FF") << 0 << 0 << 0x03 << 0xFE << Hex("FE 00 03 FE 00 00 00");
        QTest::newRow("sum 1FC kept") << 0 << 0 << 0x00 << 0xFE << Hex("FE 00 00 FE 00 00 FC");
    }
    void singleFrames() {
        QFETCH(int, command);
        QFETCH(int, group);
        QFETCH(int, address);
        QFETCH(int, value);
        QFETCH(QByteArray, frame);
        ParamModel model;
        InitParamDefaults(model, false);
        QCOMPARE(BuildFrame(model, command, group, address, value).toHex(' ').toUpper(),
                 frame.toHex(' ').toUpper());
    }

    void blockFrames() {
        ParamModel model;
        for (int i = 0; i < 12; ++i) {
            model.Store.at(3, 0x80 + i) = {uint8_t(i), uint8_t(0x10 + i), uint8_t(0x20 + i)};
        }
        model.MenuShow[0x81] = 1;
        model.MenuShow[0x85] = 1;
        const QByteArray block = BuildFrame(model, kCmdWriteBlock, 3, 0x80, 0);
        QCOMPARE(block.size(), 41);
        QCOMPARE(block,
                 Hex("FE238029 001020 011121 021222 031323 041424 051525 061626 071727 081828 091929 0A1A2A "
                     "0B1B2B D0"));
        QCOMPARE(BuildFrame(model, kCmdWriteMenuBlock, 0, 0x80, 0),
                 Hex("FE608029 002323 012323 002323 002323 002323 012323 002323 002323 002323 002323 002323 "
                     "002323 51"));
        QCOMPARE(BuildFrame(model, kCmdWriteBlock, 0, 0x00, 0).size(), 128);
        QCOMPARE(BuildFrame(model, kCmdWriteBlock, 0, 0xC0, 0).size(), 53);
        QCOMPARE(BuildFrame(model, kCmdWriteBlock, 0, 0x10, 0), Hex("FE 20 10 05 33"));
    }

    void passwordFrame() {
        ParamModel model;
        const char* password = "KORVA2024";
        for (int i = 0; i < 9; ++i) {
            model.DevicePassword[size_t(i)] = uint8_t(password[i]);
        }
        QCOMPARE(BuildFrame(model, kCmdWritePassword, 0, 0, 0), Hex("FE 80 00 0E 4B4F52564132303234 D7"));
    }

    void answerLengths_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("address");
        QTest::addColumn<int>("length");
        QTest::newRow("read block 0x00") << 1 << 0x00 << 124;
        QTest::newRow("read block 0x40") << 1 << 0x40 << 91;
        QTest::newRow("read common") << 1 << 0xC0 << 49;
        QTest::newRow("read menu 0x80") << 5 << 0x80 << 37;
        QTest::newRow("read unknown block") << 1 << 0x10 << 1;
        QTest::newRow("password") << 7 << 0 << 10;
        QTest::newRow("write") << 0 << 0xC5 << 4;
        QTest::newRow("handshake") << 15 << 0 << 4;
        QTest::newRow("finish") << 3 << 0 << 4;
    }
    void answerLengths() {
        QFETCH(int, command);
        QFETCH(int, address);
        QFETCH(int, length);
        QCOMPARE(AnswerLengthFor(command, address), length);
    }

    void logBytes() {
        QCOMPARE(FormatLogBytes(Hex("FE00C5140000D7")), QStringLiteral("FE,00,C5,14,00,00,D7"));
        QCOMPARE(FormatLogBytes(Hex("0a")), QStringLiteral("0A"));
        QCOMPARE(FormatLogBytes(QByteArray()), QString());
    }

    void scanner_data() {
        QTest::addColumn<int>("answerLength");
        QTest::addColumn<QList<QByteArray>>("packets");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<int>("rxCountAfter");
        QTest::newRow("ack then answer in one packet")
            << 4 << QList<QByteArray>{Hex("FE232344 4F4B009A")} << QStringList{"ack", "answer 4F4B009A"} << 0;
        QTest::newRow("stray byte before ack")
            << 4 << QList<QByteArray>{Hex("12 FE232344")} << QStringList{"bad", "ack"} << 0;
        QTest::newRow("FF and FD taken out of a frame")
            << 4 << QList<QByteArray>{Hex("FE23FF23 44"), Hex("4F FD 4B009A")}
            << QStringList{"sync", "ack", "tone", "answer 4F4B009A"} << 0;
        QTest::newRow("answer split over packets")
            << 10 << QList<QByteArray>{Hex("FE232344 4B4F5256"), Hex("4132303234 4B")}
            << QStringList{"ack", "answer 4B4F525641323032344B"} << 0;
        QTest::newRow("answer checksum 0 for sum FD") << 4 << QList<QByteArray>{Hex("FE232344 F0 0A 03 00")}
                                                      << QStringList{"ack", "answer F00A0300"} << 0;
        QTest::newRow("partial frame waits") << 4 << QList<QByteArray>{Hex("FE23")} << QStringList{} << 2;
        QTest::newRow("write answered before its ack")
            << 4 << QList<QByteArray>{Hex("4F4B009A FE232344")} << QStringList{"answer 4F4B009A", "ack"} << 0;
        // Four bytes that add up are no answer to a read, whose answer is longer: skipped, but their
        // checksum is right, so no checksum failure is reported.
        QTest::newRow("4-byte frame before a read's ack")
            << 10 << QList<QByteArray>{Hex("01020306 FE232344 4B4F525641323032344B")}
            << QStringList{"ack", "answer 4B4F525641323032344B"} << 0;
        // 02 FE 23 23 adds up too; the acknowledgement that starts inside it is still found.
        QTest::newRow("acknowledgement inside a skipped frame")
            << 10 << QList<QByteArray>{Hex("02 FE232344 4B4F525641323032344B")}
            << QStringList{"ack", "answer 4B4F525641323032344B"} << 0;
    }
    void scanner() {
        QFETCH(int, answerLength);
        QFETCH(QList<QByteArray>, packets);
        QFETCH(QStringList, events);
        QFETCH(int, rxCountAfter);
        ScanLog log;
        FrameScanner scanner(log);
        scanner.BeginCommand(answerLength);
        for (const QByteArray& packet : packets) {
            scanner.Feed(packet);
        }
        QCOMPARE(log.events, events);
        QCOMPARE(scanner.RxCount(), rxCountAfter);
    }

    void scannerExpectsAckBeforeFirstCommand() {
        ScanLog log;
        FrameScanner scanner(log);
        QCOMPARE(scanner.ExpectedLength(), 4);
        scanner.Feed(Hex("FE232344"));
        QCOMPARE(log.events, QStringList{"ack"});
    }

    void scannerNeverOverflows() {
        ScanLog log;
        FrameScanner scanner(log);
        scanner.BeginCommand(124);
        // More unconsumed bytes than the buffer holds, with an acknowledgement at the very end.
        QByteArray packet(FrameScanner::kRxBufferSize + 1000, char(0x01));
        packet += Hex("FE232344");
        scanner.Feed(packet);
        QVERIFY(scanner.RxCount() <= FrameScanner::kRxBufferSize);
        QCOMPARE(log.events.count("bad"), FrameScanner::kRxBufferSize + 1000);
        QCOMPARE(log.events.last(), QStringLiteral("ack"));
        QCOMPARE(scanner.ExpectedLength(), 124);
        QCOMPARE(scanner.DroppedBytes(), 0);
    }
};

QTEST_GUILESS_MAIN(TstFrameProtocol)
#include "tst_frameprotocol.moc"
