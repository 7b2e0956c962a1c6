// The USB transport against the virtual processor: id matching, report framing both ways, write retries,
// reconnects.
#include "LinkTestWorld.h"

#include "link/USB_Comm.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

namespace {

struct UsbWorld {
    explicit UsbWorld(bool autoRead = true) {
        usb.SetVendorID(USB_Comm::kKorvaVendorID);
        usb.SetProductID(USB_Comm::kKorvaProductID);
        usb.SetAutoReadData(autoRead);
    }
    sim::VirtualProcessor device;
    RecordingMessages messages;
    USB_Comm usb{device, messages};
};

QByteArray InputReport(const QByteArray& head) {
    QByteArray report = head;
    report.resize(kHidReportLength, '\0');
    return report;
}

} // namespace

class TstUsbComm : public QObject {
    Q_OBJECT
private slots:
    void idMatching_data() {
        QTest::addColumn<QString>("vendor");
        QTest::addColumn<QString>("product");
        QTest::addColumn<bool>("found");
        QTest::newRow("hex ids") << "&H483"
                                 << "&H6850" << true;
        QTest::newRow("decimal ids") << "1155"
                                     << "26704" << true;
        QTest::newRow("compared as 16 bits") << "&H10483"
                                             << "&H6850" << true;
        QTest::newRow("other vendor") << "&H484"
                                      << "&H6850" << false;
        QTest::newRow("other product") << "&H483"
                                       << "&H6851" << false;
        QTest::newRow("not a number") << "&HXYZ"
                                      << "&H6850" << false;
        // An empty product id falls back to the defaults &H473/&H3023, which the decoy carries.
        QTest::newRow("empty product: defaults") << "&H483"
                                                 << "" << true;
    }
    void idMatching() {
        QFETCH(QString, vendor);
        QFETCH(QString, product);
        QFETCH(bool, found);
        UsbWorld w(false);
        w.device.AddOtherDevice(0x0483, 0x1234);
        w.device.AddOtherDevice(0x0473, 0x3023);
        w.usb.SetVendorID(vendor);
        w.usb.SetProductID(product);
        QSignalSpy plug(&w.usb, &USB_Comm::Plug);
        QCOMPARE(w.usb.Connect(), found);
        QCOMPARE(plug.count(), 1);
        QCOMPARE(plug.at(0).at(0).toBool(), found);
    }

    void outputReportChunking_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("chunks");
        QTest::newRow("7 bytes") << 7 << QList<int>{7};
        QTest::newRow("63 bytes") << 63 << QList<int>{63};
        QTest::newRow("64 bytes") << 64 << QList<int>{63, 1};
        QTest::newRow("128 bytes") << 128 << QList<int>{63, 63, 2};
    }
    void outputReportChunking() {
        QFETCH(int, size);
        QFETCH(QList<int>, chunks);
        UsbWorld w(false);
        QByteArray data;
        for (int i = 0; i < size; ++i) {
            data.append(char(i + 1));
        }
        QVERIFY(w.usb.SendData(data)); // connects by itself
        const auto& reports = w.device.ReceivedReports();
        QCOMPARE(int(reports.size()), int(chunks.size()));
        int offset = 0;
        for (size_t r = 0; r < reports.size(); ++r) {
            const int n = chunks[qsizetype(r)];
            QByteArray expected = QByteArray("\x01", 1) + char(n) + data.mid(offset, n);
            expected.resize(kHidReportLength, '\0');
            QCOMPARE(reports[r].toHex(), expected.toHex());
            offset += n;
        }
    }

    void sendWithoutDeviceFails() {
        UsbWorld w(false);
        w.device.Unplug();
        QSignalSpy plug(&w.usb, &USB_Comm::Plug);
        QVERIFY(!w.usb.SendData("\xFF"));
        QCOMPARE(plug.count(), 1);
        QVERIFY(!w.usb.SendData(QByteArray()));
    }

    void writeFailureRetriedOnceAfterReconnect_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("plugs");
        QTest::newRow("one failure") << 1 << true << 2;
        QTest::newRow("two failures") << 2 << false << 2;
    }
    void writeFailureRetriedOnceAfterReconnect() {
        QFETCH(int, failures);
        QFETCH(bool, ok);
        QFETCH(int, plugs);
        UsbWorld w(false);
        QVERIFY(w.usb.Connect());
        w.device.FailNextWrites(failures);
        QSignalSpy plug(&w.usb, &USB_Comm::Plug);
        QCOMPARE(w.usb.SendData(QByteArray(7, 'x')), ok);
        QCOMPARE(plug.count(), plugs - 1);
        QCOMPARE(int(w.device.ReceivedReports().size()), ok ? 1 : 0);
        QVERIFY(w.messages.shown.empty());
    }

    void writeErrorShowsMessageAndKeepsRunning() {
        UsbWorld w(false);
        QVERIFY(w.usb.Connect());
        w.device.ThrowOnNextWrites(3);
        QVERIFY(!w.usb.SendData(QByteArray(7, 'x')));
        QVERIFY(w.usb.SendData(QByteArray(7, 'x'))); // third throw, then the retry goes through
        QCOMPARE(w.messages.Texts(), QStringList{"操作USB设备失败！"});
        QCOMPARE(w.messages.shown[0].Icon, MessageIcon::Warning);
        // After a good write the next failure is reported again.
        w.device.ThrowOnNextWrites(2);
        QVERIFY(!w.usb.SendData(QByteArray(7, 'x')));
        QCOMPARE(w.messages.shown.size(), size_t(2));
    }

    void inputReports_data() {
        QTest::addColumn<QByteArray>("report");
        QTest::addColumn<QByteArray>("packet");
        QTest::newRow("acknowledgement") << InputReport(Hex("02 04 FE232344")) << Hex("FE232344");
        QTest::newRow("empty report") << InputReport(Hex("02 00 FE232344")) << QByteArray();
        QTest::newRow("wrong report id") << InputReport(Hex("03 04 FE232344")) << QByteArray();
        QTest::newRow("length beyond the room") << InputReport(Hex("02 40 FE232344")) << QByteArray();
        QTest::newRow("length beyond a short report") << Hex("02 05 FE232344") << QByteArray();
        QByteArray full = Hex("02 3F");
        full.append(QByteArray(63, char(0x11)));
        QTest::newRow("full report") << full << QByteArray(63, char(0x11));
    }
    void inputReports() {
        QFETCH(QByteArray, report);
        QFETCH(QByteArray, packet);
        UsbWorld w;
        QVERIFY(w.usb.Connect());
        QSignalSpy arrival(&w.usb, &USB_Comm::DataArrival);
        w.device.SendRawReport(report);
        w.device.SendBytes(Hex("7E")); // a marker after it
        QTRY_VERIFY(!arrival.isEmpty() && arrival.last().at(0).toByteArray() == Hex("7E"));
        QList<QByteArray> packets;
        for (const auto& args : arrival) {
            packets << args.at(0).toByteArray();
        }
        packets.removeLast();
        QCOMPARE(packets, packet.isEmpty() ? QList<QByteArray>{} : QList<QByteArray>{packet});
    }

    void burstDeliveredInOneTick() {
        UsbWorld w;
        QVERIFY(w.usb.Connect());
        QSignalSpy arrival(&w.usb, &USB_Comm::DataArrival);
        w.device.SendBytes(QByteArray(150, char(0x22))); // three reports
        QTRY_VERIFY(!arrival.isEmpty());
        QCOMPARE(arrival.count(), 3);
    }

    void firstTickConnects() {
        UsbWorld w;
        QCOMPARE(w.usb.InputReportLength(), 0);
        QTRY_VERIFY(w.usb.IsOpen());
        QCOMPARE(w.usb.InputReportLength(), kHidReportLength);
        QCOMPARE(w.usb.OutputReportLength(), kHidReportLength);
    }

    void noDeviceIsNotSearchedEveryPoll() {
        UsbWorld w;
        w.device.Unplug();
        QTest::qWait(300);
        QVERIFY(w.device.Enumerations() <= 2);
        w.device.Replug();
        QTRY_VERIFY_WITH_TIMEOUT(w.usb.IsOpen(), 2000);
    }

    void readDataOnlyWithoutAutoRead() {
        UsbWorld w;
        QByteArray out;
        QVERIFY(!w.usb.ReadData(out));
        w.usb.SetAutoReadData(false);
        QVERIFY(w.usb.Connect());
        w.device.SendBytes(Hex("FE232344"));
        QVERIFY(w.usb.ReadData(out));
        QCOMPARE(out.left(5), Hex("04 FE232344"));
        QVERIFY(!w.usb.ReadData(out)); // nothing more
    }

    void replugFoundByTheWritePath() {
        UsbWorld w(false);
        QVERIFY(w.usb.Connect());
        w.device.Unplug();
        QVERIFY(!w.usb.SendData("\xFF"));
        w.device.Replug();
        // The old handle stays dead; the failed write reconnects at once.
        QVERIFY(w.usb.SendData("\xFF"));
        QCOMPARE(w.device.SyncWordsReceived(), 1);
    }

    void replugFoundByThePeriodicReconnect() {
        UsbWorld w;
        QTRY_VERIFY(w.usb.IsOpen());
        w.device.Unplug();
        QSignalSpy plug(&w.usb, &USB_Comm::Plug);
        QTRY_VERIFY_WITH_TIMEOUT(!plug.isEmpty(), 2000);
        QCOMPARE(plug.last().at(0).toBool(), false);
        w.device.Replug();
        QTRY_VERIFY_WITH_TIMEOUT(plug.last().at(0).toBool(), 2000);
        QSignalSpy arrival(&w.usb, &USB_Comm::DataArrival);
        w.device.SendBytes(Hex("FE232344"));
        QTRY_COMPARE(arrival.count(), 1);
    }

    void periodicReconnectWaitsForExchange() {
        UsbWorld w;
        QTRY_VERIFY(w.usb.IsOpen());
        QSignalSpy plug(&w.usb, &USB_Comm::Plug);
        w.usb.SetExchangeInFlight(true);
        QCOMPARE(w.usb.Timer1().interval(), USB_Comm::kEagerPollIntervalMs);
        QTest::qWait(700); // more than 101 polls of 5 ms
        QCOMPARE(plug.count(), 0);
        w.usb.SetExchangeInFlight(false);
        QCOMPARE(w.usb.Timer1().interval(), USB_Comm::kPollIntervalMs);
        QTRY_VERIFY_WITH_TIMEOUT(plug.count() == 1, 2000);
    }
};

QTEST_GUILESS_MAIN(TstUsbComm)
#include "tst_usbcomm.moc"
