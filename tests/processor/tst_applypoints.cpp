// A set of EQ point records applied at once through the processor service, against the virtual processor:
// one undo step, one whole-record write per changed point, and nothing at all for a set it refuses.
#include "ProcessorTestWorld.h"

#include <QTest>

using namespace korva;
using Outcome = PointsApplied::Outcome;

namespace {

constexpr int kGroup = 2;
constexpr int kAsStored = -1;

// Records as quadruples address, DATA1, DATA2, DATA3; DATA1 kAsStored keeps the stored record.
std::vector<PointRecord> Records(const ParamModel& model, const QList<int>& quads) {
    std::vector<PointRecord> records;
    for (qsizetype i = 0; i + 3 < quads.size(); i += 4) {
        PointRecord r{uint8_t(quads[i]), model.Cell(kGroup, quads[i])};
        if (quads[i + 1] != kAsStored) {
            r.Record = {uint8_t(quads[i + 1]), uint8_t(quads[i + 2]), uint8_t(quads[i + 3])};
        }
        records.push_back(r);
    }
    return records;
}

// FE, command 0 with the group, address, the three bytes, checksum (a sum that would be a frame marker is
// sent as 0): written out apart from the code under test.
QString WriteFrameHex(int address, int d1, int d2, int d3) {
    QByteArray f;
    int sum = 0;
    for (int b : {0xFE, kGroup, address, d1, d2, d3}) {
        f.append(char(b));
        sum += b;
    }
    f.append(char((sum & 0xFF) >= 0xFD ? 0 : sum & 0xFF));
    return QString::fromLatin1(f.toHex().toUpper());
}

} // namespace

class TstApplyPoints : public QObject {
    Q_OBJECT
private slots:
    void applyPointRecords_data() {
        QTest::addColumn<bool>("online");
        QTest::addColumn<QList<int>>("records");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("changed"); // records stored, each one write when online
        // Music: bands 0x03.., low-cut 0x01 (0..54); microphone 1-2 bands from 0x0E.
        QTest::newRow("two of three changed") << true << QList<int>{0x03, 70, 60, 20, 0x04, kAsStored, 0, 0,
                                                                    0x05, 150, 90, 31}
                                              << int(Outcome::Sent) << 2;
        QTest::newRow("offline: stored only") << false << QList<int>{0x03, 70, 60, 20, 0x01, 40, 75, 14}
                                              << int(Outcome::Offline) << 2;
        QTest::newRow("low-cut alone") << true << QList<int>{0x01, 54, 75, 14} << int(Outcome::Sent) << 1;
        QTest::newRow("nothing differs") << true << QList<int>{0x03, kAsStored, 0, 0, 0x01, kAsStored, 0, 0}
                                         << int(Outcome::Unchanged) << 0;
        QTest::newRow("gain index 151") << true << QList<int>{0x03, 70, 60, 20, 0x04, 70, 151, 20}
                                        << int(Outcome::Refused) << 0;
        QTest::newRow("Q index 0") << true << QList<int>{0x03, 70, 60, 0} << int(Outcome::Refused) << 0;
        QTest::newRow("low-cut above its range") << true << QList<int>{0x01, 55, 75, 14}
                                                 << int(Outcome::Refused) << 0;
        QTest::newRow("two channels") << true << QList<int>{0x03, 70, 60, 20, 0x0E, 70, 60, 20}
                                      << int(Outcome::Refused) << 0;
        QTest::newRow("not an EQ point") << true << QList<int>{0x80, 3, 0, 0} << int(Outcome::Refused) << 0;
        QTest::newRow("one point twice") << true << QList<int>{0x03, 70, 60, 20, 0x03, 71, 60, 20}
                                         << int(Outcome::Refused) << 0;
    }
    void applyPointRecords() {
        QFETCH(bool, online);
        QFETCH(QList<int>, records);
        QFETCH(int, outcome);
        QFETCH(int, changed);
        test::ProcessorWorld w;
        if (online) {
            QVERIFY(w.link.Supervisor().GoOnline());
        }
        w.device.ClearRecordings();
        const ParamStore before = w.model.Store;
        const std::vector<PointRecord> set = Records(w.model, records);
        int announced = 0;
        QObject::connect(&w.processor, &Processor::ParameterChanged, [&](int group, int, int origin) {
            QCOMPARE(group, kGroup);
            QCOMPARE(origin, 7);
            ++announced;
        });

        const PointsApplied applied = w.processor.ApplyPointRecords(kGroup, set, 7);

        QCOMPARE(int(applied.Result), outcome);
        QCOMPARE(applied.Changed, changed);
        QCOMPARE(announced, changed);
        QCOMPARE(applied.Reason.isEmpty(), outcome != int(Outcome::Refused));
        QCOMPARE(w.processor.History().UndoPosition(), changed > 0 ? 0 : -1);
        if (changed == 0) {
            QVERIFY(w.model.Store == before);
        } else {
            for (const PointRecord& r : set) {
                QCOMPARE(w.model.Cell(kGroup, r.Address), r.Record);
            }
        }
        // One whole-record write per changed point, in the order given.
        QStringList expected;
        for (const PointRecord& r : set) {
            if (online && changed > 0 && before.at(kGroup, r.Address) != r.Record) {
                const ParamRecord& d = r.Record;
                expected << WriteFrameHex(r.Address, d.DATA1, d.DATA2, d.DATA3);
            }
        }
        QCOMPARE(w.DeviceFrames(), expected);
        QCOMPARE(applied.Written, int(expected.size()));
        QVERIFY(w.messages.shown.empty());
    }
};

QTEST_GUILESS_MAIN(TstApplyPoints)
#include "tst_applypoints.moc"
