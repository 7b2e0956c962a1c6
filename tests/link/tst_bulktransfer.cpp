// The whole-memory read and download against the virtual processor.
#include "LinkTestWorld.h"

#include "link/FrameProtocol.h"

#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

namespace {

constexpr int kBlocks[] = {0x00, 0x40, 0x80};

// A 7-byte frame written out independently of the code under test.
QString SingleFrame(int commandAndGroup, int address) {
    const int sum = 0xFE + commandAndGroup + address;
    const int checksum = (sum & 0xFF) >= 0xFD ? 0 : (sum & 0xFF);
    return QString::asprintf("FE%02X%02X000000%02X", commandAndGroup, address, checksum);
}

QStringList ExpectedReadFrames() {
    QStringList frames{SingleFrame(0x10, 0xC0)};
    for (int g = 0; g < 8; ++g) {
        for (int first : kBlocks) {
            frames << SingleFrame(0x10 | g, first);
        }
    }
    for (int first : kBlocks) {
        frames << SingleFrame(0x50, first);
    }
    return frames;
}

bool InTransferredBlock(int address) {
    return address <= 0x28 || (address >= 0x40 && address <= 0x5D) || (address >= 0x80 && address <= 0x8B);
}

// Marks every cell of the client's store that no transfer may touch.
void MarkUntransferred(ParamModel& model) {
    for (int g = 0; g < 8; ++g) {
        for (int a = 0; a < 256; ++a) {
            const bool common = a >= 0xC0 && a <= 0xCF && g == 0;
            if (!InTransferredBlock(a) && !common) {
                model.Store.at(g, a) = {0xAB, 0xCD, 0xEF};
            }
        }
    }
}

void CheckUntransferredKept(const ParamModel& model) {
    for (int g = 0; g < 8; ++g) {
        for (int a = 0; a < 256; ++a) {
            const bool common = a >= 0xC0 && a <= 0xCF && g == 0;
            if (!InTransferredBlock(a) && !common) {
                QCOMPARE(model.Store.at(g, a), (ParamRecord{0xAB, 0xCD, 0xEF}));
            }
        }
    }
}

} // namespace

class TstBulkTransfer : public QObject {
    Q_OBJECT
private slots:
    void fullReadOrderAndContent() {
        LinkWorld w;
        MarkUntransferred(w.model);
        QVERIFY(w.link.Supervisor().GoOnline());
        QStringList frames = w.DeviceFrames();
        QCOMPARE(frames.takeFirst(), QStringLiteral("FEF00033002344"));
        QCOMPARE(frames, ExpectedReadFrames());

        const ParamModel& device = w.device.Memory();
        for (int a = 0xC0; a <= 0xCF; ++a) {
            QCOMPARE(w.model.Store.at(0, a), device.Store.at(0, a));
        }
        for (int g = 0; g < 8; ++g) {
            for (int a = 0; a < 0xC0; ++a) {
                if (InTransferredBlock(a)) {
                    QCOMPARE(w.model.Store.at(g, a), device.Store.at(g, a));
                }
            }
        }
        for (int a = 0; a < 0xC0; ++a) {
            QCOMPARE(w.model.MenuShow[size_t(a)],
                     InTransferredBlock(a) ? device.MenuShow[size_t(a)] : uint8_t(0));
        }
        CheckUntransferredKept(w.model);
        // The tuned setting is visibly different from the defaults the client started with.
        QCOMPARE(w.model.Store.at(0, 0xC0).DATA1, uint8_t(32));

        QCOMPARE(w.comm().ProgressCount(), 28);
        QCOMPARE(w.ui.progressMaximum, 25);
        QVERIFY(!w.ui.progressVisible);
        QCOMPARE(w.ui.enabledChanges, (std::vector<bool>{false, true}));
        QCOMPARE(w.ui.refreshes, (std::vector<std::pair<int, int>>{{0xFF, 255}}));
        QCOMPARE(w.ui.undoInits, 1);
        QCOMPARE(w.ui.indicator, RecordingLinkUi::kLinkIndicatorOnline);
        QVERIFY(w.comm().IsOnline());
        QVERIFY(w.messages.shown.empty());
    }

    void readFailingInGroup5() {
        LinkWorld w;
        const ParamModel before = w.model;
        // The device stops answering once group 5 is asked for.
        w.device.SetReplyFilter([](const QByteArray& frame) { return uint8_t(frame[1]) != 0x15; });
        QVERIFY(w.link.Supervisor().GoOnline());

        QStringList frames = w.DeviceFrames();
        QCOMPARE(frames.size(), 1 + 1 + 5 * 3 + 8);
        QCOMPARE(frames.last(), SingleFrame(0x15, 0x00));
        const ParamModel& device = w.device.Memory();
        for (int g = 0; g < 8; ++g) {
            for (int first : kBlocks) {
                for (int i = 0; i < BlockRecordCount(first); ++i) {
                    const ParamRecord& expected =
                        g < 5 ? device.Store.at(g, first + i) : before.Store.at(g, first + i);
                    QCOMPARE(w.model.Store.at(g, first + i), expected);
                }
            }
        }
        QCOMPARE(w.model.Store.at(0, 0xC0), device.Store.at(0, 0xC0));
        QCOMPARE(w.model.MenuShow, before.MenuShow);
        QCOMPARE(w.ui.refreshes.size(), size_t(1));
        QCOMPARE(w.ui.undoInits, 1);
        QCOMPARE(w.ui.enabledChanges.back(), true);
        QVERIFY(!w.ui.progressVisible);
        QCOMPARE(w.messages.Texts(), QStringList{"与目标通信连接超时，已断开连接。"});
        QVERIFY(!w.comm().IsOnline());
        QCOMPARE(w.ui.indicator, RecordingLinkUi::kLinkIndicatorOffline);
    }

    void download_data() {
        QTest::addColumn<bool>("afterImport");
        QTest::addColumn<QString>("lastFrame");
        QTest::addColumn<int>("progressCount");
        QTest::newRow("download button: finish, bar at 100 %") << false << "FE30000000002E" << 25;
        QTest::newRow("after import: select the current group") << true << "FE430000000041" << 26;
    }
    void download() {
        QFETCH(bool, afterImport);
        QFETCH(QString, lastFrame);
        QFETCH(int, progressCount);
        LinkWorld w;
        w.comm().MarkOnline();
        w.model.CurrentGroup = 3;
        for (int g = 0; g < 8; ++g) {
            w.model.Store.at(g, 0x44) = {uint8_t(100 + g), 70, 9};
        }
        w.model.Store.at(0, 0xC2).DATA1 = 77;
        w.model.Store.at(0, 0xD0).DATA1 = 99; // never travels
        w.model.Store.at(2, 0x30).DATA1 = 99; // never travels
        w.model.MenuShow[0x44] = 1;           // the menu table is not part of the download
        const ParamModel deviceBefore = w.device.Memory();

        w.link.Bulk().DownloadAllToDevice(afterImport);

        QStringList frames = w.DeviceFrames();
        QCOMPARE(frames.size(), 26);
        QCOMPARE(frames.last(), lastFrame);
        QVERIFY(frames.first().startsWith(QStringLiteral("FE20C035")));
        int index = 1;
        for (int g = 0; g < 8; ++g) {
            for (int first : kBlocks) {
                QVERIFY(frames[index++].startsWith(QString::asprintf("FE2%X%02X", g, first)));
            }
        }
        const ParamModel& device = w.device.Memory();
        for (int g = 0; g < 8; ++g) {
            QCOMPARE(device.Store.at(g, 0x44), (ParamRecord{uint8_t(100 + g), 70, 9}));
        }
        QCOMPARE(device.Store.at(0, 0xC2).DATA1, uint8_t(77));
        QCOMPARE(device.Store.at(0, 0xD0), deviceBefore.Store.at(0, 0xD0));
        QCOMPARE(device.Store.at(2, 0x30), deviceBefore.Store.at(2, 0x30));
        QCOMPARE(device.MenuShow, deviceBefore.MenuShow);
        QCOMPARE(device.CurrentGroup, uint8_t(afterImport ? 3 : 0));
        QCOMPARE(w.device.Firmware().FinishedDownloads(), afterImport ? 0 : 1);

        QCOMPARE(w.comm().ProgressCount(), progressCount);
        QCOMPARE(w.ui.progressMaximum, 25);
        if (!afterImport) {
            QCOMPARE(w.ui.progressValues.back(), 25);
        }
        QVERIFY(!w.ui.progressVisible);
        QCOMPARE(w.ui.enabledChanges, (std::vector<bool>{false, true}));
        QVERIFY(w.ui.refreshes.empty());
        QVERIFY(w.messages.shown.empty());
    }

    void downloadStopsAtFirstFailure() {
        LinkWorld w;
        w.comm().MarkOnline();
        w.device.SetReplyFilter([](const QByteArray& frame) { return uint8_t(frame[1]) != 0x21; });
        w.link.Bulk().DownloadAllToDevice(false);
        const QStringList frames = w.DeviceFrames();
        QCOMPARE(frames.size(), 1 + 3 + 8);
        QCOMPARE(w.messages.Texts(), QStringList{"与目标通信连接超时，已断开连接。"});
        QCOMPARE(w.ui.enabledChanges.back(), true);
        QVERIFY(!w.ui.progressVisible);
    }

    void offlineTransfersAreRefused_data() {
        QTest::addColumn<int>("operation");
        QTest::newRow("read") << 0;
        QTest::newRow("download") << 1;
        QTest::newRow("download after import") << 2;
    }
    void offlineTransfersAreRefused() {
        QFETCH(int, operation);
        LinkWorld w;
        if (operation == 0) {
            w.link.Bulk().ReadAllFromDevice();
        } else {
            w.link.Bulk().DownloadAllToDevice(operation == 2);
        }
        QVERIFY(w.device.ReceivedReports().empty());
        QCOMPARE(w.messages.Texts(), QStringList{"还没有连接到目标机。"});
        QCOMPARE(w.messages.shown[0].Icon, MessageIcon::Warning);
        QVERIFY(w.ui.enabledChanges.empty());
        QVERIFY(!w.ui.progressVisible);
        QCOMPARE(w.ui.undoInits, 0);
    }

    void progressTimerFollowsTheBar() {
        LinkWorld w;
        w.comm().MarkOnline();
        QTimer& timer6 = w.link.Bulk().Timer6();
        // Slow replies so that the 200 ms refresh ticks during the transfer.
        w.device.SetReplyFilter([&w](const QByteArray&) {
            w.device.DelayNextReplyMs(12);
            return true;
        });
        w.link.Bulk().DownloadAllToDevice(true);
        // 0 at the start, then the timer's copies of ProgressCount.
        QVERIFY(w.ui.progressValues.size() >= 2);
        QCOMPARE(w.ui.progressValues.front(), 0);
        QVERIFY(w.ui.progressValues[1] > 0 && w.ui.progressValues[1] <= 26);
        QVERIFY(timer6.isActive());
        QTRY_VERIFY_WITH_TIMEOUT(!timer6.isActive(), 1000); // first tick after the bar was hidden
    }
};

QTEST_GUILESS_MAIN(TstBulkTransfer)
#include "tst_bulktransfer.moc"
