// A headless session end to end against the virtual processor: the read is the device memory byte for
// byte, a download reads back equal, a download that stops half-way says which blocks went through and a
// second one completes it, single writes send the window's frames, and a session runs on any thread.
#include "link/FrameProtocol.h"
#include "processor/DeviceSession.h"
#include "sim/VirtualProcessor.h"

#include <QTest>
#include <thread>

using namespace korva;

namespace {

// A 7-byte single frame written out independently of the code under test.
QByteArray SingleFrame(int commandAndGroup, int address, int d1, int d2, int d3) {
    QByteArray f;
    for (int b : {0xFE, commandAndGroup, address, d1, d2, d3}) {
        f.append(char(b));
    }
    int sum = 0;
    for (char c : f) {
        sum += uint8_t(c);
    }
    f.append(char((sum & 0xFF) >= 0xFD ? 0 : sum & 0xFF));
    return f;
}

// Changes bytes all over the image: every downloaded byte of group 6 and the Common block. Values stay
// below 0xFD: the link reserves 0xFD..0xFF, so an answer cannot carry them.
ParamImage Retuned() {
    ParamImage image = ParamImage::Defaults();
    int v = 0;
    for (const ImageCell& cell : DownloadedCells()) {
        if (cell.Group == 5 || cell.Address >= kFirstCommonAddress) {
            cell.Set(image, uint8_t(1 + v++ % 200));
        }
    }
    return image;
}

int CommandOf(const QByteArray& frame) {
    return uint8_t(frame[1]) >> 4;
}

} // namespace

class TstDeviceSession : public QObject {
    Q_OBJECT
private slots:
    void readIsTheDeviceMemory_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("found");
        QTest::newRow("first found") << "" << true;
        QTest::newRow("named") << sim::VirtualProcessor::kDevicePath << true;
        QTest::newRow("another path") << "sim:elsewhere" << false;
    }
    void readIsTheDeviceMemory() {
        QFETCH(QString, path);
        QFETCH(bool, found);
        sim::VirtualProcessor device;
        DeviceSession session(device, path.toStdString());
        std::vector<std::pair<int, int>> progress;
        session.SetProgress([&](int done, int total) { progress.push_back({done, total}); });
        ParamImage image;
        QCOMPARE(session.ReadAll(image), found);
        if (!found) {
            QVERIFY(session.LastError().contains(path));
            QVERIFY(device.ReceivedFrames().empty());
            return;
        }
        const ParamImage memory = ParamImage::Of(device.Memory());
        QVERIFY(!(memory == ParamImage::Defaults())); // the tuned setting, so equality means something
        QCOMPARE(CompareImages(memory, image, ReadCells()).size(), size_t(0));
        QCOMPARE(progress.back(), std::make_pair(28, 28));
    }

    void downloadReadsBackEqual() {
        sim::VirtualProcessor device;
        DeviceSession session(device);
        const ParamImage image = Retuned();
        std::vector<ImageDifference> diffs;
        QVERIFY2(session.DownloadAndVerify(image, diffs), qPrintable(session.LastError()));
        QCOMPARE(CompareImages(image, ParamImage::Of(device.Memory()), DownloadedCells()).size(), size_t(0));
        QVERIFY(session.LastDownload().Finished);
        QCOMPARE(session.LastDownload().Acknowledged.size(), size_t(25));
        std::vector<int> commands;
        for (const QByteArray& f : device.ReceivedFrames()) {
            commands.push_back(CommandOf(f));
        }
        QCOMPARE(std::count(commands.begin(), commands.end(), kCmdWriteBlock), 25);
        QCOMPARE(std::find(commands.begin(), commands.end(), kCmdFinishDownload) - commands.begin(),
                 std::find(commands.begin(), commands.end(), kCmdWriteBlock) - commands.begin() + 25);

        // Someone changes one byte on the processor: the read-back names it.
        device.Memory().Store.at(2, 0x46).DATA1 = 200;
        QVERIFY(session.ReadBack(image, diffs));
        QCOMPARE(diffs.size(), size_t(1));
        QCOMPARE(diffs[0].Name, QStringLiteral("g3.mic12.eq3.freq"));
        QCOMPARE(diffs[0].NewText, QStringLiteral("7900 Hz"));
    }

    void aDownloadStoppedHalfWayNamesItsBlocksAndARerunCompletes_data() {
        QTest::addColumn<int>("answered"); // commands of the download the processor answers
        QTest::newRow("stops in group 3") << 7;
        QTest::newRow("finish command unanswered") << 25;
    }
    void aDownloadStoppedHalfWayNamesItsBlocksAndARerunCompletes() {
        QFETCH(int, answered);
        sim::VirtualProcessor device;
        DeviceSession session(device);
        QVERIFY(session.Connect());
        int writes = 0;
        device.SetReplyFilter([&](const QByteArray& frame) {
            const int command = CommandOf(frame);
            return (command != kCmdWriteBlock && command != kCmdFinishDownload) || ++writes <= answered;
        });
        const ParamImage image = Retuned();
        QVERIFY(!session.Download(image));
        const DownloadReport& report = session.LastDownload();
        QCOMPARE(int(report.Acknowledged.size()), answered);
        QVERIFY(report.Unanswered);
        QCOMPARE(report.Unanswered->Command, answered < 25 ? int(kCmdWriteBlock) : int(kCmdFinishDownload));
        QVERIFY(!report.Finished);
        QVERIFY2(session.LastError().contains(QStringLiteral("已写入 %1/25 块").arg(answered)),
                 qPrintable(session.LastError()));
        if (answered == 7) {
            QVERIFY(session.LastError().contains(QStringLiteral("MODEL 3 块 0x00 没有应答")));
        }

        device.SetReplyFilter({});
        std::vector<ImageDifference> diffs;
        QVERIFY2(session.DownloadAndVerify(image, diffs), qPrintable(session.LastError()));
        QVERIFY(session.LastDownload().Finished);
    }

    void singleWritesSendTheWindowsFrame_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("raw");
        QTest::addColumn<bool>("sent");
        QTest::newRow("slider value") << "music.volume" << 33 << true;
        QTest::newRow("switch pair sends the whole record") << "g2.route.centre" << 1 << true;
        QTest::newRow("band gain sends the whole record") << "g3.mic12.eq3.gain" << 80 << true;
        QTest::newRow("bypass sends the value") << "g8.effect.bypass" << 1 << true;
        QTest::newRow("power-on group travels only with a download") << "system.start_group" << 2 << false;
        QTest::newRow("byte above the range") << "echo.delay" << 32 << false;
    }
    void singleWritesSendTheWindowsFrame() {
        QFETCH(QString, name);
        QFETCH(int, raw);
        QFETCH(bool, sent);
        sim::VirtualProcessor device;
        DeviceSession session(device);
        QVERIFY(session.Connect());
        const ParamRef ref = *ResolveParamName(name, 0);
        const int group = ref.Def->Scope == ParamScope::Common ? 0 : ref.Group;
        const ParamRecord before = device.Memory().Store.at(group, ref.Def->Address);
        const size_t framesBefore = device.ReceivedFrames().size();

        QCOMPARE(session.WriteParameter(ref, uint8_t(raw)), sent);
        if (!sent) {
            QVERIFY(!session.LastError().isEmpty());
            QCOMPARE(device.ReceivedFrames().size(), framesBefore);
            return;
        }
        ParamRecord expected = ref.Def->Send == ParamSend::WholeRecord ? before : ParamRecord{};
        (ref.Def->Field == 0 ? expected.DATA1 : ref.Def->Field == 1 ? expected.DATA2 : expected.DATA3) =
            uint8_t(raw);
        const QByteArray frame =
            SingleFrame(group, ref.Def->Address, expected.DATA1, expected.DATA2, expected.DATA3);
        QCOMPARE(device.ReceivedFrames().back().toHex(), frame.toHex());
        QCOMPARE(DeviceSession::WriteFrame(ref, uint8_t(raw), before).toHex(), frame.toHex());
        uint8_t readBack = 0;
        QVERIFY(session.ReadParameter(ref, readBack));
        QCOMPARE(int(readBack), raw);
    }

    void runsOnAThreadOfItsOwn() {
        sim::VirtualProcessor device;
        bool ok = false;
        ParamImage image;
        std::thread worker([&] {
            DeviceSession session(device);
            ok = session.ReadAll(image);
        });
        worker.join();
        QVERIFY(ok);
        QCOMPARE(CompareImages(ParamImage::Of(device.Memory()), image, ReadCells()).size(), size_t(0));
    }
};

QTEST_GUILESS_MAIN(TstDeviceSession)
#include "tst_devicesession.moc"
