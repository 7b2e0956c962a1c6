#include "EditTestSupport.h"

#include "mainwindow/editing/EditHandlers.h"
#include "mainwindow/graph/FrameRateTest.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/editing/Navigator.h"
#include "model/ParamDefaults.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <utility>

using namespace korva;
using namespace korva::test;

class TestPanelEdits : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void SliderDragSendsOneWritePerChange();
    void SliderTargets_data();
    void SliderTargets();
    void UnboundSliderDoesNothing();
    void SwitchPairs_data();
    void SwitchPairs();
    void FeedbackSteps_data();
    void FeedbackSteps();
    void PressDuringALockDoesNotClick_data();
    void PressDuringALockDoesNotClick();
    void BypassSwitch_data();
    void BypassSwitch();
    void WindowLockGivesTheFocusBack();
    void ResetOnlineSendsEveryPointInSlotOrder();
    void ResetOfflineSendsNothing();
    void ResetStopsAtTheFirstFailedWrite();
    void FrameRateTestCountsRedraws();
    void FrameRateTestStopsWhenTheWindowCloses();
    void FrameRateTestEndsWithTheWindow();

private:
    TestWorld& W() { return *world_; }
    const MainControls& C() { return world_->C(); }
    // Whether `widget` was enabled at the moment each frame reached the processor.
    void ProbeEnabled(QWidget* widget) {
        RecordWhileWriting(W(), [this, widget] { enabledDuringWrites_.push_back(widget->isEnabled()); });
    }
    void ShortenAckTimeout() { W().Comm().TimeOuter1().setInterval(5); }

    std::unique_ptr<TestWorld> world_;
    std::vector<bool> enabledDuringWrites_;
};

void TestPanelEdits::init() {
    world_ = std::make_unique<TestWorld>();
    enabledDuringWrites_.clear();
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
}

void TestPanelEdits::cleanup() {
    world_.reset();
}

void TestPanelEdits::SliderDragSendsOneWritePerChange() {
    QVERIFY(OnlineAndCleared(W()));
    W().Model().CurrentGroup = 2;
    ScrollBar* slider = C().MyScrollBar[7]; // "Group,&H40"
    ProbeEnabled(slider);
    // The slider raises Change once for every new position of a drag.
    for (int value : {60, 61, 63, 70}) {
        slider->SetValue(value);
        emit slider->Change();
    }
    const std::vector<QByteArray> writes = RecordWrites(W());
    QCOMPARE(int(writes.size()), 4);
    QCOMPARE(writes[0], WriteFrame(2, 0x40, 60));
    QCOMPARE(writes[3], WriteFrame(2, 0x40, 70));
    QCOMPARE(enabledDuringWrites_, std::vector<bool>(4, false));
    QVERIFY(slider->isEnabled());
    QCOMPARE(W().Model().Store.at(2, 0x40).DATA1, uint8_t(70));
    QCOMPARE(W().Device.Memory().Store.at(2, 0x40).DATA1, uint8_t(70));
    QCOMPARE(C().MyNumber[7]->Value(), 70);
    QCOMPARE(W().Context.Undo.UndoPosition(), 0); // one burst, one undo point
}

void TestPanelEdits::SliderTargets_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("display");
    QTest::addColumn<bool>("sent");
    QTest::newRow("group slider") << 13 << 3 << 0x1A << 14 << true;
    QTest::newRow("master volume is Common") << 25 << 0 << 0xC0 << 23 << true;
    for (int i = 19; i <= 24; ++i) {
        static const int addresses[] = {0xC5, 0xC8, 0xC6, 0xC9, 0xC7, 0xCA};
        QTest::addRow("power-on limit %d", i) << i << 0 << addresses[i - 19] << i - 2 << false;
    }
}

void TestPanelEdits::SliderTargets() {
    QFETCH(int, index);
    QFETCH(int, group);
    QFETCH(int, address);
    QFETCH(int, display);
    QFETCH(bool, sent);
    QVERIFY(OnlineAndCleared(W()));
    W().Model().CurrentGroup = 3;
    ScrollBar* slider = C().MyScrollBar[size_t(index)];
    slider->SetValue(41);
    emit slider->Change();
    QCOMPARE(W().Model().Store.at(group, address).DATA1, uint8_t(41));
    QCOMPARE(C().MyNumber[size_t(display)]->Value(), 41);
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    const std::vector<QByteArray> expected =
        sent ? std::vector<QByteArray>{WriteFrame(group, address, 41)} : std::vector<QByteArray>{};
    QCOMPARE(RecordWrites(W()), expected);
}

void TestPanelEdits::UnboundSliderDoesNothing() {
    QVERIFY(OnlineAndCleared(W()));
    const ParamStore before = W().Model().Store;
    C().MyScrollBar[6]->SetValue(12);
    emit C().MyScrollBar[6]->Change();
    QVERIFY(W().Model().Store == before);
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
    QVERIFY(W().Device.ReceivedFrames().empty());
}

void TestPanelEdits::SwitchPairs_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("address");
    QTest::newRow("effect into centre OFF") << 1 << 0x14;
    QTest::newRow("effect into surround ON") << 2 << 0x0D;
    QTest::newRow("effect into recording OFF") << 5 << 0x24;
    QTest::newRow("bass phase 180") << 7 << 0x1B;
}

void TestPanelEdits::SwitchPairs() {
    QFETCH(int, button);
    QFETCH(int, address);
    QVERIFY(OnlineAndCleared(W()));
    W().Model().CurrentGroup = 4;
    // Something in the other bytes, to see that the whole stored record travels.
    W().Model().Store.at(4, address) = {uint8_t(1 - button % 2), 7, 9};
    ProbeEnabled(C().MyButton[size_t(button)]);
    emit C().MyButton[size_t(button)]->Click();

    const int value = button % 2;
    QCOMPARE(W().Model().Store.at(4, address), (ParamRecord{uint8_t(value), 7, 9}));
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{WriteFrame(4, address, value, 7, 9)});
    QCOMPARE(enabledDuringWrites_, std::vector<bool>{false});
    QVERIFY(C().MyButton[size_t(button)]->isEnabled());
    const int even = button - value;
    QCOMPARE(C().MyButton[size_t(even)]->Value(), 1 - value);
    QCOMPARE(C().MyButton[size_t(even + 1)]->Value(), value);
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
}

void TestPanelEdits::FeedbackSteps_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("down");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("undoPoint");
    QTest::newRow("up at 0 still sends 0") << 0 << false << 0 << false;
    QTest::newRow("up from 2") << 2 << false << 1 << false;
    QTest::newRow("down from 0") << 0 << true << 1 << true;
    QTest::newRow("down at 3 records and sends 3") << 3 << true << 3 << true;
}

void TestPanelEdits::FeedbackSteps() {
    QFETCH(int, start);
    QFETCH(bool, down);
    QFETCH(int, value);
    QFETCH(bool, undoPoint);
    QVERIFY(OnlineAndCleared(W()));
    W().Model().Store.at(0, 0xCF).DATA1 = uint8_t(start);
    W().Window->RefreshBoundControls(0x04, 255);
    QCOMPARE(C().btnFBX->Value(), start);
    ProbeEnabled(W().Window.get());
    emit(down ? C().btnDown2 : C().btnUp2)->Click();

    QCOMPARE(C().btnFBX->Value(), value);
    QCOMPARE(W().Model().Store.at(0, 0xCF).DATA1, uint8_t(value));
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{WriteFrame(0, 0xCF, value)});
    QCOMPARE(enabledDuringWrites_, std::vector<bool>{false});
    QVERIFY(W().Window->isEnabled());
    QCOMPARE(W().Context.Undo.UndoPosition(), undoPoint ? 0 : -1);
}

void TestPanelEdits::PressDuringALockDoesNotClick_data() {
    QTest::addColumn<bool>("pressedDuringTheLock");
    QTest::addColumn<int>("fbx"); // after both presses
    QTest::addColumn<QByteArray>("write");
    // A quick double press: the second press comes while the first one's write has the window locked.
    QTest::newRow("pressed while locked, released after") << true << 1 << WriteFrame(0, 0xCF, 1);
    // Held while another edit locks the window (btnUp2 at 0 sends 0).
    QTest::newRow("held across a lock") << false << 0 << WriteFrame(0, 0xCF, 0);
}

void TestPanelEdits::PressDuringALockDoesNotClick() {
    QFETCH(bool, pressedDuringTheLock);
    QFETCH(int, fbx);
    QFETCH(QByteArray, write);
    QVERIFY(OnlineAndCleared(W()));
    W().Model().Store.at(0, 0xCF).DATA1 = 0;
    W().Window->RefreshBoundControls(0x04, 255);
    SimpControl* arrow = C().btnDown2;
    const QPointF at(2, 2);
    if (pressedDuringTheLock) {
        bool pressed = false;
        RecordWhileWriting(W(), [&] {
            if (!std::exchange(pressed, true)) {
                Press(arrow, at);
            }
        });
        Press(arrow, at);
        Release(arrow, at);
        QVERIFY(pressed);
    } else {
        Press(arrow, at);
        emit C().btnUp2->Click();
        QCOMPARE(arrow->Value(), 0); // the lock ended the press: no pressed look left behind
    }
    Release(arrow, at);
    QCOMPARE(W().Model().Store.at(0, 0xCF).DATA1, uint8_t(fbx));
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{write});
}

void TestPanelEdits::BypassSwitch_data() {
    QTest::addColumn<bool>("online");
    QTest::newRow("online") << true;
    QTest::newRow("offline") << false;
}

void TestPanelEdits::BypassSwitch() {
    QFETCH(bool, online);
    if (online) {
        QVERIFY(OnlineAndCleared(W()));
    }
    W().Window->Navigation().btnMode_Click(3); // effect: bypass at 0x88
    W().Model().CurrentGroup = 5;
    SimpControl* bypass = C().btnEQByPass;
    bypass->SetActionType(SimpControl::kToggle);
    ProbeEnabled(W().Window.get());
    QTRY_VERIFY(!C().tmrDrawWave->isActive());
    Press(bypass, QPointF(2, 2));
    Release(bypass, QPointF(2, 2));

    QCOMPARE(bypass->Value(), 1);
    QCOMPARE(W().Model().Store.at(5, 0x88).DATA1, uint8_t(1));
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    QVERIFY(C().tmrDrawWave->isActive());
    QVERIFY(W().Window->isEnabled());
    if (online) {
        QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{WriteFrame(5, 0x88, 1)});
        QCOMPARE(enabledDuringWrites_, std::vector<bool>{false});
    } else {
        QVERIFY(W().Device.ReceivedFrames().empty());
    }
    // Undo puts the switch back.
    emit C().SimpControl4->Click();
    QCOMPARE(W().Model().Store.at(5, 0x88).DATA1, uint8_t(0));
    QCOMPARE(bypass->Value(), 0);
}

void TestPanelEdits::WindowLockGivesTheFocusBack() {
    W().Window->show();
    QVERIFY(QTest::qWaitForWindowActive(W().Window.get()));
    C().Picture1->setFocus();
    QTRY_VERIFY(C().Picture1->hasFocus());
    QVERIFY(OnlineAndCleared(W())); // the read locks the window too
    QVERIFY(C().Picture1->hasFocus());
    ProbeEnabled(W().Window.get());
    emit C().btnDown2->Click();
    QCOMPARE(enabledDuringWrites_, std::vector<bool>{false});
    QVERIFY(C().Picture1->hasFocus()); // the cursor keys still reach the graph

    // A locked slider hands the focus on while it writes, and gets it back...
    ScrollBar* slider = C().MyScrollBar[25];
    slider->setFocus();
    QVERIFY(slider->hasFocus());
    RecordWhileWriting(W(), [slider] { QVERIFY(!slider->hasFocus()); });
    slider->SetValue(30);
    emit slider->Change();
    QVERIFY(slider->hasFocus());
    // ...unless the user has put it elsewhere meanwhile.
    RecordWhileWriting(W(), [this] { C().Picture1->setFocus(); });
    slider->SetValue(31);
    emit slider->Change();
    QVERIFY(C().Picture1->hasFocus());
}

void TestPanelEdits::ResetOnlineSendsEveryPointInSlotOrder() {
    QVERIFY(OnlineAndCleared(W()));
    ParamModel& model = W().Model();
    model.CurrentGroup = 1;
    for (int address = 0x01; address <= 0x09; ++address) {
        model.Store.at(1, address) = {50, 60, 20};
    }
    model.Store.at(2, 0x03) = {50, 60, 20}; // another group keeps its values
    ProbeEnabled(W().Window.get());
    emit C().btnReset->Click();

    ParamModel defaults;
    defaults.CurrentGroup = 1;
    InitParamDefaults(defaults, false);
    std::vector<QByteArray> expected;
    for (int address : {0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x01}) {
        QCOMPARE(model.Store.at(1, address).DATA1, defaults.Store.at(1, address).DATA1);
        expected.push_back(StoredRecordFrame(W(), 1, address));
    }
    QCOMPARE(model.Store.at(1, 0x05), defaults.Store.at(1, 0x05)); // a band gets all three bytes back
    QCOMPARE(RecordWrites(W()), expected);
    QCOMPARE(enabledDuringWrites_, std::vector<bool>(8, false));
    QVERIFY(W().Window->isEnabled());
    QCOMPARE(model.Store.at(1, 0x02), (ParamRecord{50, 60, 20})); // the bypass is not a point
    QCOMPARE(model.Store.at(2, 0x03), (ParamRecord{50, 60, 20}));
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    QCOMPARE(C().MKnobFreq->Value(), 19); // the screen shows the defaults
    // The front-panel menu ticks read from the processor are no part of a channel reset.
    QVERIFY(model.MenuShow == W().Device.Memory().MenuShow);
}

void TestPanelEdits::ResetOfflineSendsNothing() {
    W().Model().Store.at(0, 0x05) = {99, 10, 30};
    emit C().btnReset->Click();
    QCOMPARE(W().Model().Store.at(0, 0x05).DATA1, uint8_t(71));
    QCOMPARE(C().ShowNumberDot[6]->Value(), 400); // band 2 frequency
    QVERIFY(W().Device.ReceivedFrames().empty());
    QVERIFY(W().Window->isEnabled());
}

void TestPanelEdits::ResetStopsAtTheFirstFailedWrite() {
    QVERIFY(OnlineAndCleared(W()));
    ShortenAckTimeout();
    W().Device.SetReplyFilter([](const QByteArray& frame) { return uint8_t(frame[2]) != 0x05; });
    emit C().btnReset->Click();

    std::vector<int> addresses;
    for (const QByteArray& frame : RecordWrites(W())) {
        addresses.push_back(uint8_t(frame[2]));
    }
    // 0x03 and 0x04 go through, 0x05 is tried eight times, nothing after it.
    QCOMPARE(addresses, (std::vector<int>{0x03, 0x04, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05}));
    QVERIFY(!W().Comm().IsOnline());
    QCOMPARE(int(W().Messages.Messages().size()), 1);
    QCOMPARE(W().Messages.Messages()[0].Text, QStringLiteral("与目标通信连接超时，已断开连接。"));
    QVERIFY(W().Window->isEnabled());
}

void TestPanelEdits::FrameRateTestCountsRedraws() {
    QCheckBox* check = C().Check2;
    GraphPresenter& graph = W().Window->Graph();
    C().Timer1->setInterval(100);
    check->click();
    QVERIFY(check->isChecked());
    QVERIFY(W().Window->Editing().FrameRate().IsRunning());
    const int before = graph.RedrawCount();
    QTRY_VERIFY(graph.RedrawCount() > before + 3);
    // Each second (here: each 100 ms) the caption shows the redraws of that time.
    QTRY_VERIFY(check->text() != QStringLiteral("帧率测试"));
    bool isNumber = false;
    QVERIFY(check->text().toInt(&isNumber) > 0 && isNumber);

    check->click(); // unchecking stops it
    QVERIFY(!W().Window->Editing().FrameRate().IsRunning());
    QVERIFY(!C().Timer1->isActive());
    QCOMPARE(check->text(), QStringLiteral("帧率测试"));
    const int stopped = graph.RedrawCount();
    QTest::qWait(20);
    QCOMPARE(graph.RedrawCount(), stopped);
}

void TestPanelEdits::FrameRateTestStopsWhenTheWindowCloses() {
    W().Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(W().Window.get()));
    C().Check2->click();
    GraphPresenter& graph = W().Window->Graph();
    const int before = graph.RedrawCount();
    QTRY_VERIFY(graph.RedrawCount() > before);
    QVERIFY(W().Window->close());
    QVERIFY(!W().Window->Editing().FrameRate().IsRunning());
    QVERIFY(!C().Timer1->isActive());
    const int closed = graph.RedrawCount();
    QTest::qWait(20);
    QCOMPARE(graph.RedrawCount(), closed); // nothing is drawn once the window is gone
    world_.reset();                        // and tearing the window down with it is safe
}

void TestPanelEdits::FrameRateTestEndsWithTheWindow() {
    C().Check2->click();
    QVERIFY(W().Window->Editing().FrameRate().IsRunning());
    world_.reset(); // destroyed while running, without a close
    QTest::qWait(10);
}

QTEST_MAIN(TestPanelEdits)
#include "tst_paneledits.moc"
