// The virtual processor on its own, through the HID backend interface.
#include "LinkTestWorld.h"

#include "link/FrameProtocol.h"
#include "model/ParamDefaults.h"
#include "sim/VirtualProcessor.h"

#include <QElapsedTimer>
#include <QTest>

using namespace korva;
using namespace korva::test;
using sim::VirtualProcessor;

namespace {

bool Write(HidDevice& device, const QByteArray& payload) {
    QByteArray report(kHidReportLength, '\0');
    report[0] = 0x01;
    report[1] = char(payload.size());
    std::copy(payload.begin(), payload.end(), report.begin() + 2);
    return device.WriteReport(reinterpret_cast<const uint8_t*>(report.constData()), int(report.size()));
}

// The payloads of every report ready now.
QList<QByteArray> ReadAll(HidDevice& device) {
    QList<QByteArray> payloads;
    uint8_t buffer[kHidReportLength];
    while (device.ReadReport(buffer, kHidReportLength, 0) > 0) {
        payloads << QByteArray(reinterpret_cast<const char*>(buffer) + 2, buffer[1]);
    }
    return payloads;
}

std::unique_ptr<HidDevice> OpenProcessor(VirtualProcessor& vp) {
    return vp.Open(VirtualProcessor::kDevicePath);
}

} // namespace

class TstVirtualProcessor : public QObject {
    Q_OBJECT
private slots:
    void enumeration() {
        VirtualProcessor vp;
        vp.AddOtherDevice(0x046D, 0xC077);
        auto list = vp.Enumerate();
        QCOMPARE(list.size(), size_t(2));
        QCOMPARE(list.back().VendorId, uint16_t(0x0483));
        QCOMPARE(list.back().ProductId, uint16_t(0x6850));
        vp.Unplug();
        QCOMPARE(vp.Enumerate().size(), size_t(1));
        QVERIFY(!OpenProcessor(vp));
    }

    void tunedSettingDiffersFromDefaults() {
        VirtualProcessor vp;
        ParamModel defaults;
        InitParamDefaults(defaults, false);
        int differing = 0;
        for (int g = 0; g < kGroupCount; ++g) {
            for (int a = 0; a < kAddressCount; ++a) {
                differing += vp.Memory().Store.at(g, a) == defaults.Store.at(g, a) ? 0 : 1;
            }
        }
        QVERIFY(differing > 50);
        // Different rooms per group, all within the controls' ranges.
        QVERIFY(vp.Memory().Store.at(0, 0x85).DATA1 != vp.Memory().Store.at(7, 0x85).DATA1);
        for (int g = 0; g < kGroupCount; ++g) {
            QVERIFY(vp.Memory().Store.at(g, 0x85).DATA1 <= 60);
            QVERIFY(vp.Memory().Store.at(g, 0x81).DATA1 <= 31);
        }
    }

    void framesSplitOverReportsAreAnswered() {
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        QVERIFY(Write(*device, Hex("FE 10 C0")));
        QVERIFY(ReadAll(*device).isEmpty());
        QVERIFY(Write(*device, Hex("00 00 00 CE")));
        const QList<QByteArray> replies = ReadAll(*device);
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies[0], Hex("FE232344"));
        QCOMPARE(replies[1].size(), 49);
        QVERIFY(HasValidChecksum(replies[1]));
        QCOMPARE(vp.ReceivedFrames(), (std::vector<QByteArray>{Hex("FE10C0000000CE")}));
    }

    void longAnswersTravelIn63ByteReports() {
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        QVERIFY(Write(*device, Hex("FE 13 00 00 00 00 11")));
        const QList<QByteArray> replies = ReadAll(*device);
        QCOMPARE(replies.size(), 3);
        QCOMPARE(replies[1].size(), 63);
        QCOMPARE(replies[2].size(), 61);
        QVERIFY(HasValidChecksum(replies[1] + replies[2]));
    }

    void commandsChangeTheMemory_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("command");
        QTest::newRow("write common record via group 3") << Hex("FE 03 C5 2A 00 00") << 0;
        QTest::newRow("select group 6") << Hex("FE 46 00 00 00 00") << 4;
        QTest::newRow("write password") << (Hex("FE 80 00 0E") + QByteArray("ABCDEFGHI")) << 8;
        QTest::newRow("finish download") << Hex("FE 30 00 00 00 00") << 3;
    }
    void commandsChangeTheMemory() {
        QFETCH(QByteArray, frame);
        QFETCH(int, command);
        frame.append(char(FrameChecksum(frame)));
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        QVERIFY(Write(*device, frame));
        const QList<QByteArray> replies = ReadAll(*device);
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies[0], AcknowledgementFrame());
        // Write answers are 4 bytes that never look like an acknowledgement.
        QCOMPARE(replies[1].size(), 4);
        QVERIFY(!StartsLikeAcknowledgement(replies[1]));
        QVERIFY(HasValidChecksum(replies[1]));
        const ParamModel& m = vp.Memory();
        switch (command) {
        case 0:
            QCOMPARE(m.Store.at(0, 0xC5).DATA1, uint8_t(0x2A));
            QCOMPARE(m.Store.at(3, 0xC5).DATA1, uint8_t(0));
            break;
        case 4:
            QCOMPARE(m.CurrentGroup, uint8_t(6));
            break;
        case 8:
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(m.DevicePassword.data()), 9),
                     QByteArray("ABCDEFGHI"));
            break;
        default:
            QCOMPARE(vp.Firmware().FinishedDownloads(), 1);
        }
    }

    void menuAndPasswordReads() {
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        QVERIFY(Write(*device, Hex("FE 50 00 00 00 00 4E")));
        QList<QByteArray> replies = ReadAll(*device);
        const QByteArray menu = replies[1] + replies.value(2);
        QCOMPARE(menu.size(), 124);
        QCOMPARE(menu.mid(0x1B * 3, 3), Hex("012323"));
        QVERIFY(Write(*device, Hex("FE 70 00 00 00 00 6E")));
        replies = ReadAll(*device);
        QCOMPARE(replies[1], QByteArray("KORVA2024") + char(0x4B));
    }

    void syncWordsAndNoise() {
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        QVERIFY(Write(*device, Hex("FF")));
        QCOMPARE(ReadAll(*device), QList<QByteArray>{Hex("FF")});
        // Noise between frames is ignored; FF inside a frame is data, not a sync word.
        QVERIFY(Write(*device, Hex("12 34 FE 00 10 FF 00 00 0D")));
        QCOMPARE(ReadAll(*device).size(), 2);
        QCOMPARE(vp.SyncWordsReceived(), 1);
        QCOMPARE(vp.Memory().Store.at(0, 0x10).DATA1, uint8_t(0xFF));
        vp.SetEchoSyncWords(false);
        QVERIFY(Write(*device, Hex("FF")));
        QVERIFY(ReadAll(*device).isEmpty());
    }

    void invalidFramesGetNoReply_data() {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("bad checksum") << Hex("FE 10 C0 00 00 00 CF");
        QTest::newRow("block length not fitting its address") << Hex("FE 20 C0 06 00 00 00 00");
    }
    void invalidFramesGetNoReply() {
        QFETCH(QByteArray, frame);
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        QVERIFY(Write(*device, frame));
        QVERIFY(ReadAll(*device).isEmpty());
        QCOMPARE(vp.Firmware().RejectedFrames(), 1);
        QVERIFY(vp.ReceivedFrames().empty());
        // The next good frame is understood.
        QVERIFY(Write(*device, Hex("FE F0 00 33 00 23 44")));
        QCOMPARE(ReadAll(*device).size(), 2);
    }

    void unplugKillsOldHandles() {
        VirtualProcessor vp;
        auto device = OpenProcessor(vp);
        vp.Unplug();
        uint8_t buffer[kHidReportLength];
        QCOMPARE(device->ReadReport(buffer, kHidReportLength, 0), -1);
        QVERIFY(!Write(*device, Hex("FF")));
        vp.Replug();
        QVERIFY(!Write(*device, Hex("FF")));
        auto fresh = OpenProcessor(vp);
        QVERIFY(Write(*fresh, Hex("FF")));
        QCOMPARE(ReadAll(*fresh).size(), 1);
    }

    void closedHandleLosesItsReports() {
        VirtualProcessor vp;
        auto first = OpenProcessor(vp);
        QVERIFY(Write(*first, Hex("FF")));
        first.reset();
        auto second = OpenProcessor(vp);
        QVERIFY(ReadAll(*second).isEmpty());
        QCOMPARE(vp.OpenHandles(), 1);
    }

    void timingModel() {
        VirtualProcessor vp;
        vp.SetTimingModel(true);
        vp.SetReplyDelayMs(2);
        auto device = OpenProcessor(vp);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(Write(*device, Hex("FE 13 00"))); // a frame in three reports
        QVERIFY(Write(*device, Hex("00 00 00"))); // one report per millisecond
        QVERIFY(clock.nsecsElapsed() >= 900'000);
        uint8_t buffer[kHidReportLength];
        QCOMPARE(device->ReadReport(buffer, kHidReportLength, 0), 0); // the reply delay has not passed
        // The frame's last byte completes it; acknowledgement and two answer reports follow 1 ms apart.
        QVERIFY(Write(*device, Hex("11")));
        clock.restart();
        int reports = 0;
        while (device->ReadReport(buffer, kHidReportLength, 5) > 0) {
            ++reports;
        }
        QCOMPARE(reports, 3);
        QVERIFY(clock.nsecsElapsed() >= 3'500'000); // 2 ms delay + 2 report gaps, then a 5 ms wait for none
    }
};

QTEST_GUILESS_MAIN(TstVirtualProcessor)
#include "tst_virtualprocessor.moc"
