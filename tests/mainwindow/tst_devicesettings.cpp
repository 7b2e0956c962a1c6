#include "EditTestSupport.h"

#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QTest>

using namespace korva;
using namespace korva::test;

class TestDeviceSettings : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void InputSelect_data();
    void InputSelect();
    void PowerOnGroupSteps_data();
    void PowerOnGroupSteps();
    void StoredOnlySettingsReachTheDeviceWithTheDownload();
    void ModeChangeSendsOneWrite_data();
    void ModeChangeSendsOneWrite();
    void DownloadOfflineSendsNothing();

private:
    TestWorld& W() { return *world_; }
    const MainControls& C() { return world_->C(); }
    uint8_t& Common(int address) { return W().Model().Store.at(0, address).DATA1; }

    std::unique_ptr<TestWorld> world_;
};

void TestDeviceSettings::init() {
    world_ = std::make_unique<TestWorld>();
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
}

void TestDeviceSettings::cleanup() {
    world_.reset();
}

void TestDeviceSettings::InputSelect_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("button"); // 0 down, 1 up
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("sent");
    QTest::newRow("up from 1") << 1 << 1 << 2 << true;
    QTest::newRow("down from 3") << 3 << 0 << 2 << true;
    QTest::newRow("up at 6 stops") << 6 << 1 << 6 << false;
    QTest::newRow("down at 0 stops") << 0 << 0 << 0 << false;
}

void TestDeviceSettings::InputSelect() {
    QFETCH(int, start);
    QFETCH(int, button);
    QFETCH(int, value);
    QFETCH(bool, sent);
    QVERIFY(OnlineAndCleared(W()));
    W().Model().CurrentGroup = 5; // a Common setting: always group 0
    Common(0xC3) = uint8_t(start);
    W().Window->RefreshBoundControls(0x04, 255);
    SimpControl* step = C().btnStartModeI[size_t(button)];
    RecordWhileWriting(W(), [step] { QVERIFY(!step->isEnabled()); });
    emit step->Click();

    QCOMPARE(Common(0xC3), uint8_t(value));
    QCOMPARE(C().btnInput->Value(), value);
    const std::vector<QByteArray> expected =
        sent ? std::vector<QByteArray>{WriteFrame(0, 0xC3, value)} : std::vector<QByteArray>{};
    QCOMPARE(RecordWrites(W()), expected);
    QVERIFY(step->isEnabled());
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
}

void TestDeviceSettings::PowerOnGroupSteps_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("value");
    QTest::newRow("up from 0") << 0 << 1 << 1;
    QTest::newRow("up at 7 stops") << 7 << 1 << 7;
    QTest::newRow("down from 4") << 4 << 0 << 3;
    QTest::newRow("down at 0 stops") << 0 << 0 << 0;
}

void TestDeviceSettings::PowerOnGroupSteps() {
    QFETCH(int, start);
    QFETCH(int, button);
    QFETCH(int, value);
    QVERIFY(OnlineAndCleared(W()));
    Common(0xC4) = uint8_t(start);
    emit C().btnStartModeD[size_t(button)]->Click();
    QCOMPARE(Common(0xC4), uint8_t(value));
    QCOMPARE(C().btnShowStartMode->Value(), value);
    QVERIFY(W().Device.ReceivedFrames().empty());
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
}

void TestDeviceSettings::StoredOnlySettingsReachTheDeviceWithTheDownload() {
    QVERIFY(OnlineAndCleared(W()));
    for (ParamStore* store : {&W().Model().Store, &W().Device.Memory().Store}) {
        store->at(0, 0xC4).DATA1 = 2;
        store->at(0, 0xCB).DATA1 = 0;
    }
    emit C().btnStartModeD[1]->Click();
    emit C().btnSaveMode[1]->Click();
    C().MyScrollBar[19]->SetValue(33);
    emit C().MyScrollBar[19]->Change();
    QCOMPARE(Common(0xCB), uint8_t(1));
    QCOMPARE(C().btnSaveMode[0]->Value(), 0);
    QCOMPARE(C().btnSaveMode[1]->Value(), 1);
    QVERIFY(W().Device.ReceivedFrames().empty());
    QCOMPARE(W().Device.Memory().Store.at(0, 0xC4).DATA1, uint8_t(2));
    QCOMPARE(W().Device.Memory().Store.at(0, 0xCB).DATA1, uint8_t(0));

    emit C().btnUpload->Click();
    const std::vector<QByteArray>& frames = W().Device.ReceivedFrames();
    QCOMPARE(W().FramesOf(kCmdWriteBlock), 25);
    QCOMPARE(uint8_t(frames.back()[1]) >> 4, int(kCmdFinishDownload));
    QCOMPARE(W().Device.Memory().Store.at(0, 0xC4).DATA1, uint8_t(3));
    QCOMPARE(W().Device.Memory().Store.at(0, 0xCB).DATA1, uint8_t(1));
    QCOMPARE(W().Device.Memory().Store.at(0, 0xC5).DATA1, uint8_t(33));
    QVERIFY(W().Messages.Messages().empty());
    QVERIFY(W().Window->isEnabled());
}

void TestDeviceSettings::ModeChangeSendsOneWrite_data() {
    QTest::addColumn<int>("button");
    QTest::newRow("PA") << 1;
    QTest::newRow("Karaoke") << 0;
}

void TestDeviceSettings::ModeChangeSendsOneWrite() {
    QFETCH(int, button);
    QVERIFY(OnlineAndCleared(W()));
    Common(0xCD) = uint8_t(1 - button);
    SimpControl* pressed = C().btnModeChange[size_t(button)];
    RecordWhileWriting(W(), [pressed] { QVERIFY(!pressed->isEnabled()); });
    emit pressed->Click();
    QCOMPARE(Common(0xCD), uint8_t(button));
    QCOMPARE(C().btnModeChange[size_t(button)]->Value(), 1);
    QCOMPARE(C().btnModeChange[size_t(1 - button)]->Value(), 0);
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{WriteFrame(0, 0xCD, button)});
    QCOMPARE(int(W().Device.ReceivedFrames().size()), 1);
    QVERIFY(pressed->isEnabled());
}

void TestDeviceSettings::DownloadOfflineSendsNothing() {
    emit C().btnModeChange[1]->Click();
    emit C().btnStartModeI[1]->Click();
    QCOMPARE(Common(0xCD), uint8_t(1));
    QCOMPARE(Common(0xC3), uint8_t(2));
    emit C().btnUpload->Click();
    QVERIFY(W().Device.ReceivedFrames().empty());
    QCOMPARE(int(W().Messages.Messages().size()), 1);
    QCOMPARE(W().Messages.Messages()[0].Text, QStringLiteral("还没有连接到目标机。"));
    QVERIFY(W().Window->isEnabled());
}

QTEST_MAIN(TestDeviceSettings)
#include "tst_devicesettings.moc"
