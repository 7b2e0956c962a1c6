#include "model/ChannelTables.h"
#include "model/EffectTables.h"
#include "model/ListText.h"
#include "model/ParamDefaults.h"

#include <QTest>
#include <stdexcept>

using namespace korva;

Q_DECLARE_METATYPE(korva::ParamRecord)

class TstParamStore : public QObject {
    Q_OBJECT
private slots:
    void listNumbers_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "31" << true << 31;
        QTest::newRow("leading blanks") << "  15" << true << 15;
        QTest::newRow("hex") << "&H44" << true << 0x44;
        QTest::newRow("short hex") << "&HC" << true << 0x0C;
        QTest::newRow("lower-case hex") << "&hff" << true << 255;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("prefix only") << "&H" << false << 0;
        QTest::newRow("bad hex digit") << "&HG1" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
    }
    void listNumbers() {
        QFETCH(QString, item);
        QFETCH(bool, ok);
        QFETCH(int, value);
        std::optional<int> v = ParseListNumber(item);
        QCOMPARE(v.has_value(), ok);
        if (ok) {
            QCOMPARE(*v, value);
        }
    }

    void channelTable() {
        const auto& t = ChannelTable();
        QCOMPARE(t[kChannelMic12].BandCount, 15);
        QCOMPARE(t[kChannelMic12].FirstBand, uint8_t(0x44));
        QCOMPARE(t[kChannelMusic].HighCut, kNoAddress);
        QCOMPARE(t[kChannelBass].BandCount, 0);
        QCOMPARE(t[kChannelBass].LowCut, uint8_t(0x1C));
        QCOMPARE(BypassAddressTable()[kChannelRecording], uint8_t(0x25));
        QCOMPARE(CommonDefaultList().size(), size_t(14));
        QCOMPARE(GroupDefaultList().size(), size_t(39));
    }

    void defaults_data() {
        QTest::addColumn<int>("group");
        QTest::addColumn<int>("address");
        QTest::addColumn<ParamRecord>("expected");
        QTest::newRow("mic band 0, group 5") << 5 << 0x44 << ParamRecord{4, 75, 14};
        QTest::newRow("last mic band") << 0 << 0x52 << ParamRecord{233, 75, 14};
        QTest::newRow("bass band despite count 0") << 3 << 0x1F << ParamRecord{11, 75, 14};
        QTest::newRow("common in group 0") << 0 << 0xC5 << ParamRecord{20, 0, 0};
        QTest::newRow("common cell of group 1 unused") << 1 << 0xC5 << ParamRecord{0, 0, 0};
        QTest::newRow("mic high-cut") << 7 << 0x42 << ParamRecord{241, 0, 0};
        QTest::newRow("unlisted address") << 0 << 0x30 << ParamRecord{0, 0, 0};
        QTest::newRow("echo delay") << 2 << 0x81 << ParamRecord{27, 0, 0};
        QTest::newRow("effect low-cut") << 4 << 0x87 << ParamRecord{43, 0, 0};
        QTest::newRow("music band 6") << 6 << 0x09 << ParamRecord{233, 75, 14};
        QTest::newRow("0xCE has no default") << 0 << 0xCE << ParamRecord{0, 0, 0};
    }
    void defaults() {
        QFETCH(int, group);
        QFETCH(int, address);
        QFETCH(ParamRecord, expected);
        ParamModel m;
        InitParamDefaults(m, false);
        QCOMPARE(m.Store.at(group, address), expected);
    }

    void resetCurrentChannelOnly() {
        ParamModel m;
        InitParamDefaults(m, false);
        // Scribble over everything, then reset bass of group 2.
        for (int g = 0; g < kGroupCount; ++g) {
            for (int a = 0; a < kAddressCount; ++a) {
                m.Store.at(g, a) = {9, 9, 9};
            }
        }
        m.MenuShow.fill(1);
        m.CurrentGroup = 2;
        m.CurrentChannel = kChannelBass;
        InitParamDefaults(m, true);
        QCOMPARE(m.Store.at(2, 0x1F), (ParamRecord{11, 75, 14}));
        QCOMPARE(m.Store.at(2, 0x21), (ParamRecord{47, 75, 14}));
        QCOMPARE(m.Store.at(2, 0x1D).DATA1, uint8_t(54));
        QCOMPARE(m.Store.at(2, 0x1C).DATA1, uint8_t(0));
        QCOMPARE(m.Store.at(2, 0x1E), (ParamRecord{9, 9, 9})); // bypass keeps its value
        QCOMPARE(m.Store.at(3, 0x1F), (ParamRecord{9, 9, 9}));
        QCOMPARE(m.Store.at(2, 0x44), (ParamRecord{9, 9, 9}));
        for (int i = 0; i < 256; ++i) {
            QCOMPARE(m.MenuShow[i], uint8_t(1)); // the menu table is no part of a channel reset
        }
    }

    void boundsChecked() {
        ParamStore s;
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.at(8, 0));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.at(0, 256));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, s.at(-1, 0));
    }

    void formatParamValue_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("cellAfter");
        QTest::newRow("echo 0") << 0 << "EchoDly"
                                << "15" << 0;
        QTest::newRow("echo 27 default") << 27 << "EchoDly"
                                         << "230" << 27;
        QTest::newRow("echo 31") << 31 << "EchoDly"
                                 << "275" << 31;
        QTest::newRow("echo 40 clamps cell") << 40 << "EchoDly"
                                             << "275" << 31;
        QTest::newRow("echo 200 clamps cell") << 200 << "EchoDly"
                                              << "275" << 31;
        QTest::newRow("reverb time") << 35 << "RevTime"
                                     << "35" << 35;
        QTest::newRow("value 255") << 255 << "Value"
                                   << "255" << 255;
        QTest::newRow("unknown kind") << 7 << "value"
                                      << "" << 7;
    }
    void formatParamValue() {
        QFETCH(int, byte);
        QFETCH(QString, kind);
        QFETCH(QString, text);
        QFETCH(int, cellAfter);
        uint8_t cell = uint8_t(byte);
        QCOMPARE(FormatParamValue(cell, kind), text);
        QCOMPARE(int(cell), cellAfter);
    }
};

QTEST_APPLESS_MAIN(TstParamStore)
#include "tst_paramstore.moc"
