#include "EditTestSupport.h"

#include "eq/GraphLayout.h"
#include "mainwindow/design/DesignLabel.h"
#include "mainwindow/graph/GraphInteraction.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/editing/Navigator.h"
#include "mainwindow/StartupRules.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

namespace {

// Music band 3 at its default: 1000 Hz, 0 dB, marker at (890, 180).
constexpr int kBand1k = 3;
constexpr int kBand1kAddress = 0x06;

} // namespace

class TestGraphEditing : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void PressOnAMarkerSelectsItWithoutMoving();
    void PressBesideThePointStepsIt_data();
    void PressBesideThePointStepsIt();
    void DoubleClickBesideThePointStepsTwice();
    void DragFollowsThePointer_data();
    void DragFollowsThePointer();
    void CutFilterDragStaysInItsRange_data();
    void CutFilterDragStaysInItsRange();
    void DragWritesOncePerRedrawWithTheLatestValues();
    void DragMovedDuringTheWriteSendsTheNewerValuesAfterTheNextRedraw();
    void DragOfflineDropsThePendingWrite();
    void PendingWriteGoesToTheDraggedRecordAfterAChannelChange();
    void FailedDragWriteStaysPendingUntilTheNextRedraw();
    void DragWriteDueDuringTheWholeReadIsDropped();
    void CursorKeys_data();
    void CursorKeys();
    void KnobEdits_data();
    void KnobEdits();
    void WheelNotches_data();
    void WheelNotches();
    void WheelStepDueDuringTheWholeReadIsDropped();
    void ToneSliderOfflineSpringsBack();
    void ToneSliderOnlineSendsItsValue();
    void ResizeGrip_data();
    void ResizeGrip();

private:
    TestWorld& W() { return *world_; }
    const MainControls& C() { return world_->C(); }
    GraphInteraction& G() { return world_->Window->GraphEditing(); }
    const EqState& Eq() { return world_->Context.Eq; }
    QPointF MarkerOf(int slot) { return MarkerCentre(Eq().Geometry, Eq().Points[size_t(slot)]); }
    ParamRecord& Record(int address) { return W().Model().Store.at(W().Model().CurrentGroup, address); }
    // Selects a point by pressing on its marker, then lets go.
    void Grab(int slot) {
        Press(C().Picture1, MarkerOf(slot));
        Release(C().Picture1, MarkerOf(slot));
    }
    void ShortenAckTimeout() { W().Comm().TimeOuter1().setInterval(5); }
    // Goes online; `due` runs while the read of block 0x00 of group 0 waits for its answer, as a timer
    // that falls due then would.
    void GoOnlineWithTimerDueMidRead(std::function<void()> due) {
        W().Device.SetReplyFilter([due](const QByteArray& frame) {
            if (frame.size() == kSingleFrameLength && uint8_t(frame[1]) == (kCmdReadBlock << 4) &&
                uint8_t(frame[2]) == 0x00) {
                QTimer::singleShot(0, due);
            }
            return true;
        });
        QVERIFY(W().GoOnline());
        W().Device.SetReplyFilter(nullptr);
    }

    std::unique_ptr<TestWorld> world_;
};

void TestGraphEditing::init() {
    world_ = std::make_unique<TestWorld>();
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
    QCOMPARE(Eq().Geometry.CanvasWidth, 1547);
    QCOMPARE(MarkerOf(kBand1k), QPointF(890, 180));
}

void TestGraphEditing::cleanup() {
    world_.reset();
}

void TestGraphEditing::PressOnAMarkerSelectsItWithoutMoving() {
    const ParamStore before = W().Model().Store;
    Press(C().Picture1, QPointF(890 + 13, 180 - 13)); // the corner of the hit box
    QVERIFY(G().DraggingPoint);
    QCOMPARE(Eq().SelectedPoint, kBand1k);
    QCOMPARE(C().btnShowDot1[kBand1k]->Value(), 1);
    QCOMPARE(C().MKnobFreq->Value(), 131);
    QCOMPARE(G().LastGraphClick, QPointF(903, 167));
    Release(C().Picture1, QPointF(903, 167));
    QVERIFY(!G().DraggingPoint);
    QVERIFY(W().Model().Store == before);
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
}

void TestGraphEditing::PressBesideThePointStepsIt_data() {
    QTest::addColumn<QPointF>("offset"); // from the selected marker
    QTest::addColumn<int>("freqIndex");
    QTest::addColumn<int>("gainIndex");
    QTest::newRow("14 px right: 1100 Hz") << QPointF(14, 0) << 132 << 75;
    QTest::newRow("14 px left: 990 Hz") << QPointF(-14, 5) << 130 << 75;
    QTest::newRow("below: 0.2 dB down") << QPointF(3, 14) << 131 << 76;
    QTest::newRow("above: 0.2 dB up") << QPointF(-19, -30) << 131 << 74;
    QTest::newRow("diagonal: nothing") << QPointF(25, 25) << 131 << 75;
    QTest::newRow("far right and high: nothing") << QPointF(200, -21) << 131 << 75;
}

void TestGraphEditing::PressBesideThePointStepsIt() {
    QFETCH(QPointF, offset);
    QFETCH(int, freqIndex);
    QFETCH(int, gainIndex);
    QVERIFY(OnlineAndCleared(W()));
    Grab(kBand1k);
    Press(C().Picture1, QPointF(890, 180) + offset);
    Release(C().Picture1, QPointF(890, 180) + offset);

    QCOMPARE(Eq().SelectedPoint, kBand1k);
    QCOMPARE(Record(kBand1kAddress).DATA1, uint8_t(freqIndex));
    QCOMPARE(Record(kBand1kAddress).DATA2, uint8_t(gainIndex));
    QCOMPARE(Eq().Points[kBand1k].FrequencyHz, FreqIndexToHz(uint8_t(freqIndex)));
    const bool stepped = freqIndex != 131 || gainIndex != 75;
    QCOMPARE(int(RecordWrites(W()).size()), stepped ? 1 : 0);
    if (stepped) {
        QCOMPARE(RecordWrites(W())[0], StoredRecordFrame(W(), 0, kBand1kAddress));
        QCOMPARE(C().ShowNumberDot[3 * kBand1k]->Value(), int(FreqIndexToHz(uint8_t(freqIndex))));
    }
    QCOMPARE(W().Context.Undo.UndoPosition(), stepped ? 0 : -1);
}

void TestGraphEditing::DoubleClickBesideThePointStepsTwice() {
    Grab(kBand1k);
    const QPointF beside(990, 180); // far enough for two steps
    Press(C().Picture1, beside);
    Release(C().Picture1, beside);
    SendMouse(C().Picture1, QEvent::MouseButtonDblClick, beside, Qt::LeftButton);
    Release(C().Picture1, beside);
    QCOMPARE(Record(kBand1kAddress).DATA1, uint8_t(133)); // 1200 Hz
}

void TestGraphEditing::DragFollowsThePointer_data() {
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("freqIndex");
    QTest::addColumn<int>("gainIndex");
    QTest::newRow("past the right edge: 20000 Hz") << QPointF(1600, 180) << 241 << 75;
    QTest::newRow("past the left edge: 18 Hz") << QPointF(-40, 180) << 0 << 75;
    QTest::newRow("above the plot: +15 dB") << QPointF(895, -40) << 131 << 0;
    QTest::newRow("below the plot: -15 dB") << QPointF(895, 500) << 131 << 150;
    // 3.33 dB and -3.37 dB: truncated toward 0 dB on the 0.2 dB grid. (x = 895 is 1023 Hz, on the
    // grid 1000 Hz; x = 890 would be 999.9 Hz and so 990 Hz.)
    QTest::newRow("3.33 dB gives 3.2") << QPointF(895, 144.62) << 131 << 59;
    QTest::newRow("-3.37 dB gives -3.2") << QPointF(895, 215.81) << 131 << 91;
    QTest::newRow("12330 Hz on the grid: 12000") << QPointF(1408.5, 180) << 225 << 75;
}

void TestGraphEditing::DragFollowsThePointer() {
    QFETCH(QPointF, to);
    QFETCH(int, freqIndex);
    QFETCH(int, gainIndex);
    Press(C().Picture1, MarkerOf(kBand1k));
    Move(C().Picture1, QPointF(700, 100));
    Move(C().Picture1, to);
    Release(C().Picture1, to);
    QCOMPARE(Record(kBand1kAddress).DATA1, uint8_t(freqIndex));
    QCOMPARE(Record(kBand1kAddress).DATA2, uint8_t(gainIndex));
    QCOMPARE(Record(kBand1kAddress).DATA3, uint8_t(14));
    QCOMPARE(C().MKnobFreq->Value(), freqIndex);
    QCOMPARE(C().MKnobDb->Value(), gainIndex);
    QCOMPARE(C().ShowNumberDot[3 * kBand1k + 1]->Value(), (150 - 2 * gainIndex));
    QCOMPARE(W().Context.Undo.UndoPosition(), 0); // one undo point for the whole drag

    // After the release the pointer no longer drags.
    Move(C().Picture1, QPointF(300, 300));
    QCOMPARE(Record(kBand1kAddress).DATA1, uint8_t(freqIndex));
}

void TestGraphEditing::CutFilterDragStaysInItsRange_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("address");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<int>("freqIndex");
    QTest::newRow("microphone 1-2 high-cut stops at 8 kHz") << 1 << 15 << 0x42 << QPointF(0, 20) << 201;
    QTest::newRow("microphone 3 high-cut stops at 8 kHz") << 2 << 7 << 0x55 << QPointF(10, 340) << 201;
    QTest::newRow("music low-cut stops at 230 Hz") << 0 << 7 << 0x01 << QPointF(1500, 60) << 54;
    QTest::newRow("effect low-cut stops at 990 Hz") << 3 << 4 << 0x87 << QPointF(1500, 300) << 130;
    QTest::newRow("effect high-cut stops at 1 kHz") << 3 << 3 << 0x82 << QPointF(100, 180) << 131;
}

void TestGraphEditing::CutFilterDragStaysInItsRange() {
    QFETCH(int, channel);
    QFETCH(int, slot);
    QFETCH(int, address);
    QFETCH(QPointF, to);
    QFETCH(int, freqIndex);
    QVERIFY(OnlineAndCleared(W()));
    if (channel == 1) {
        // No button shows microphone 1-2; select it in the model.
        W().Model().CurrentChannel = 1;
        W().Window->RefreshBoundControls(0xFF, 255);
    } else {
        W().Window->Navigation().btnMode_Click(channel);
    }
    Record(address).DATA2 = 80; // not flat before: the drag writes 0 dB
    Press(C().Picture1, MarkerOf(slot));
    QCOMPARE(Eq().SelectedPoint, slot);
    Move(C().Picture1, to);
    Release(C().Picture1, to);
    QCOMPARE(Record(address).DATA1, uint8_t(freqIndex));
    QCOMPARE(Record(address).DATA2, uint8_t(75));
    QCOMPARE(Eq().Points[size_t(slot)].GainDb, 0.0f);
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite);
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{StoredRecordFrame(W(), 0, address)});
}

void TestGraphEditing::DragWritesOncePerRedrawWithTheLatestValues() {
    QVERIFY(OnlineAndCleared(W()));
    Press(C().Picture1, MarkerOf(kBand1k));
    // Moves faster than the graph redraws: nothing is sent during the drag itself.
    for (int x = 900; x <= 1100; x += 20) {
        Move(C().Picture1, QPointF(x, 150));
    }
    QCOMPARE(G().PendingPointWrite, uint8_t(kBand1k));
    QVERIFY(RecordWrites(W()).empty());
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite);
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{StoredRecordFrame(W(), 0, kBand1kAddress)});
    QCOMPARE(W().Device.Memory().Store.at(0, kBand1kAddress), Record(kBand1kAddress));
    // Later redraws have nothing left to send.
    W().Window->RefreshBoundControls(0x20, 255);
    QTRY_VERIFY(!C().tmrDrawWave->isActive());
    QCOMPARE(int(RecordWrites(W()).size()), 1);
    Release(C().Picture1, QPointF(1100, 150));
}

void TestGraphEditing::DragMovedDuringTheWriteSendsTheNewerValuesAfterTheNextRedraw() {
    QVERIFY(OnlineAndCleared(W()));
    Press(C().Picture1, MarkerOf(kBand1k));
    Move(C().Picture1, QPointF(1000, 150));
    bool movedOnce = false;
    RecordWhileWriting(W(), [this, &movedOnce] {
        if (!movedOnce) {
            movedOnce = true; // the pointer moves on while the first write waits for its answer
            Move(C().Picture1, QPointF(1200, 120));
        }
    });
    const int redrawsBefore = W().Window->Graph().RedrawCount();
    QTRY_COMPARE(int(RecordWrites(W()).size()), 2);
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite);
    QVERIFY(W().Window->Graph().RedrawCount() - redrawsBefore >= 2);
    QCOMPARE(RecordWrites(W()).back(), StoredRecordFrame(W(), 0, kBand1kAddress));
    QCOMPARE(W().Device.Memory().Store.at(0, kBand1kAddress), Record(kBand1kAddress));
    QTest::qWait(20);
    QCOMPARE(int(RecordWrites(W()).size()), 2);
}

void TestGraphEditing::DragOfflineDropsThePendingWrite() {
    Press(C().Picture1, MarkerOf(kBand1k));
    Move(C().Picture1, QPointF(1000, 150));
    QCOMPARE(G().PendingPointWrite, uint8_t(kBand1k));
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite);
    QVERIFY(W().Device.ReceivedFrames().empty());
    QCOMPARE(Record(kBand1kAddress).DATA1, uint8_t(HzToFreqIndex(Eq().Points[kBand1k].FrequencyHz)));
}

void TestGraphEditing::PendingWriteGoesToTheDraggedRecordAfterAChannelChange() {
    QVERIFY(OnlineAndCleared(W()));
    Press(C().Picture1, MarkerOf(kBand1k));
    Move(C().Picture1, QPointF(1000, 150));
    Release(C().Picture1, QPointF(1000, 150));
    // Another channel before the graph has redrawn: slot 3 is now the effect high-cut.
    W().Window->Navigation().btnMode_Click(3);
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite);
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{StoredRecordFrame(W(), 0, kBand1kAddress)});
    QCOMPARE(W().Device.Memory().Store.at(0, kBand1kAddress), W().Model().Store.at(0, kBand1kAddress));
}

void TestGraphEditing::FailedDragWriteStaysPendingUntilTheNextRedraw() {
    QVERIFY(OnlineAndCleared(W()));
    ShortenAckTimeout();
    W().Device.SetSilent(true);
    Press(C().Picture1, MarkerOf(kBand1k));
    Move(C().Picture1, QPointF(1000, 150));
    QTRY_VERIFY(!W().Comm().IsOnline());
    QCOMPARE(G().PendingPointWrite, uint8_t(kBand1k)); // the write failed: still pending
    W().Window->RefreshBoundControls(0x20, 255);
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite); // offline now: dropped
    QCOMPARE(int(RecordWrites(W()).size()), 8);
}

// A point dragged offline, with the link coming back before the graph redraws: the redraw that falls
// due while the whole memory is read sends nothing. Its write would reach the processor after the block
// holding the point was read, so the screen would show the processor's old value and the processor the
// dragged one; the read's values stand.
void TestGraphEditing::DragWriteDueDuringTheWholeReadIsDropped() {
    Press(C().Picture1, MarkerOf(kBand1k));
    Move(C().Picture1, QPointF(1000, 150));
    Release(C().Picture1, QPointF(1000, 150));
    C().tmrDrawWave->stop(); // the redraw comes later, during the read
    QCOMPARE(G().PendingPointWrite, uint8_t(kBand1k));
    const ParamRecord deviceValue = W().Device.Memory().Store.at(0, kBand1kAddress);
    QVERIFY(Record(kBand1kAddress) != deviceValue);
    GoOnlineWithTimerDueMidRead([this] { C().tmrDrawWave->start(0); });
    QTRY_COMPARE(G().PendingPointWrite, GraphInteraction::kNoPendingWrite);
    QTest::qWait(5);
    QVERIFY(RecordWrites(W()).empty());
    QCOMPARE(Record(kBand1kAddress), deviceValue);
    QCOMPARE(W().Device.Memory().Store.at(0, kBand1kAddress), deviceValue);
}

void TestGraphEditing::CursorKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("startFreq");
    QTest::addColumn<int>("startGain");
    QTest::addColumn<int>("freqIndex");
    QTest::addColumn<int>("gainIndex");
    QTest::addColumn<int>("writes");
    QTest::newRow("down: 0.2 dB lower") << int(Qt::Key_Down) << 131 << 75 << 131 << 76 << 1;
    QTest::newRow("up: 0.2 dB higher") << int(Qt::Key_Up) << 131 << 75 << 131 << 74 << 1;
    QTest::newRow("right: next frequency") << int(Qt::Key_Right) << 131 << 75 << 132 << 75 << 1;
    QTest::newRow("left: previous frequency") << int(Qt::Key_Left) << 131 << 75 << 130 << 75 << 1;
    QTest::newRow("up at +15 dB does nothing") << int(Qt::Key_Up) << 131 << 0 << 131 << 0 << 0;
    QTest::newRow("down at -15 dB keeps 150") << int(Qt::Key_Down) << 131 << 150 << 131 << 150 << 1;
    QTest::newRow("right at 20 kHz keeps 241") << int(Qt::Key_Right) << 241 << 75 << 241 << 75 << 1;
    QTest::newRow("left at 18 Hz does nothing") << int(Qt::Key_Left) << 0 << 75 << 0 << 75 << 0;
    QTest::newRow("other keys edit nothing") << int(Qt::Key_A) << 131 << 75 << 131 << 75 << 0;
}

void TestGraphEditing::CursorKeys() {
    QFETCH(int, key);
    QFETCH(int, startFreq);
    QFETCH(int, startGain);
    QFETCH(int, freqIndex);
    QFETCH(int, gainIndex);
    QFETCH(int, writes);
    QVERIFY(OnlineAndCleared(W()));
    Record(kBand1kAddress) = {uint8_t(startFreq), uint8_t(startGain), 14};
    W().Window->RefreshBoundControls(0xFF, 255);
    W().Window->Navigation().SelectPoint(kBand1k);
    QTest::keyClick(C().Picture1, Qt::Key(key));
    QCOMPARE(Record(kBand1kAddress).DATA1, uint8_t(freqIndex));
    QCOMPARE(Record(kBand1kAddress).DATA2, uint8_t(gainIndex));
    QCOMPARE(int(RecordWrites(W()).size()), writes);
    QCOMPARE(C().ShowNumberDot[3 * kBand1k + 1]->Value(), 150 - 2 * gainIndex);
    QCOMPARE(W().Context.Undo.UndoPosition(), key == Qt::Key_A ? -1 : 0);
    // Keys in a row are one burst: one undo point.
    QTest::keyClick(C().Picture1, Qt::Key(key));
    QCOMPARE(W().Context.Undo.UndoPosition(), key == Qt::Key_A ? -1 : 0);
}

void TestGraphEditing::KnobEdits_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("knob"); // 0 frequency, 1 gain, 2 Q
    QTest::addColumn<int>("turnTo");
    QTest::addColumn<int>("knobValue");
    QTest::addColumn<ParamRecord>("record");
    QTest::newRow("band frequency") << 0 << 3 << 0 << 150 << 150 << ParamRecord{150, 75, 14};
    QTest::newRow("band gain") << 0 << 3 << 1 << 20 << 20 << ParamRecord{131, 20, 14};
    QTest::newRow("band Q 4") << 0 << 3 << 2 << 31 << 31 << ParamRecord{131, 75, 31};
    QTest::newRow("effect low-cut snaps back to 990 Hz")
        << 3 << 4 << 0 << 200 << 130 << ParamRecord{130, 0, 0};
    QTest::newRow("effect high-cut stays at 1 kHz and up")
        << 3 << 3 << 0 << 90 << 131 << ParamRecord{131, 0, 0};
    QTest::newRow("music low-cut stops at 230 Hz") << 0 << 7 << 0 << 60 << 54 << ParamRecord{54, 0, 0};
    QTest::newRow("cut gain stays flat") << 3 << 4 << 1 << 10 << 75 << ParamRecord{43, 75, 0};
    QTest::newRow("cut Q stays 1.4") << 3 << 4 << 2 << 35 << 14 << ParamRecord{43, 0, 14};
}

void TestGraphEditing::KnobEdits() {
    QFETCH(int, channel);
    QFETCH(int, slot);
    QFETCH(int, knob);
    QFETCH(int, turnTo);
    QFETCH(int, knobValue);
    QFETCH(ParamRecord, record);
    QVERIFY(OnlineAndCleared(W()));
    W().Window->Navigation().btnMode_Click(channel);
    W().Window->Navigation().SelectPoint(slot);
    ScrollBar* knobs[] = {C().MKnobFreq, C().MKnobDb, C().MKnobQ};
    ScrollBar* turned = knobs[knob];
    RecordWhileWriting(W(), [this, turned] { QVERIFY(!turned->isEnabled()); });
    const int redraws = W().Window->Graph().RedrawCount();
    turned->SetValue(turnTo);
    emit turned->Change();

    const int address = Eq().Points[size_t(slot)].Address;
    QCOMPARE(turned->Value(), knobValue);
    QCOMPARE(Record(address), record);
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{StoredRecordFrame(W(), 0, address)});
    QVERIFY(turned->isEnabled());
    QTRY_VERIFY(W().Window->Graph().RedrawCount() > redraws);
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    const EqPoint& point = Eq().Points[size_t(slot)];
    QCOMPARE(point.FrequencyHz, FreqIndexToHz(record.DATA1));
    if (point.Kind == EqPointKind::Peak) {
        QCOMPARE(point.GainDb, GainIndexToDb(record.DATA2));
        QCOMPARE(point.Q, QIndexToQ(record.DATA3));
    }
}

void TestGraphEditing::WheelNotches_data() {
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("gainIndex");
    QTest::newRow("one notch towards the user: 0.2 dB down") << -120 << 0 << 0 << 76;
    QTest::newRow("one notch away: 0.2 dB up") << 120 << 0 << 0 << 74;
    QTest::newRow("two notches at once") << -240 << 0 << 0 << 75;
    QTest::newRow("half a notch") << 60 << 0 << 0 << 75;
    QTest::newRow("with Ctrl") << -120 << int(Qt::ControlModifier) << 0 << 75;
    QTest::newRow("with Shift") << 120 << int(Qt::ShiftModifier) << 0 << 75;
    QTest::newRow("with a button held") << -120 << 0 << int(Qt::LeftButton) << 75;
}

void TestGraphEditing::WheelNotches() {
    QFETCH(int, delta);
    QFETCH(int, modifiers);
    QFETCH(int, buttons);
    QFETCH(int, gainIndex);
    C().Picture1->SetWheelHook(true); // as the first activation does
    W().Window->Navigation().SelectPoint(kBand1k);
    Wheel(C().Picture1, delta, Qt::KeyboardModifiers(modifiers), Qt::MouseButtons(buttons));
    QTRY_VERIFY(!C().Timer7->isActive());
    QTest::qWait(15);
    QCOMPARE(Record(kBand1kAddress).DATA2, uint8_t(gainIndex));
    QCOMPARE(W().Context.Undo.UndoPosition(), gainIndex == 75 ? -1 : 0);
}

// A wheel notch whose step falls due while the whole memory is read finds the window locked and is
// dropped like any other input then. Applied, its write would go out between the reads, after the
// point's block was read: the screen would keep the processor's old value, the processor the new one.
void TestGraphEditing::WheelStepDueDuringTheWholeReadIsDropped() {
    C().Picture1->SetWheelHook(true);
    W().Window->Navigation().SelectPoint(kBand1k);
    Wheel(C().Picture1, -120);
    C().Timer7->stop(); // its step falls due during the read instead
    const ParamRecord deviceValue = W().Device.Memory().Store.at(0, kBand1kAddress);
    GoOnlineWithTimerDueMidRead([this] { C().Timer7->start(0); });
    QTRY_VERIFY(!C().Timer7->isActive());
    QTest::qWait(5);
    QVERIFY(RecordWrites(W()).empty());
    QCOMPARE(Record(kBand1kAddress), deviceValue);
    QCOMPARE(W().Device.Memory().Store.at(0, kBand1kAddress), deviceValue);
}

void TestGraphEditing::ToneSliderOfflineSpringsBack() {
    ScrollBar* tone = C().ScrollTone;
    QCOMPARE(tone->Value(), 5);
    tone->SetValue(8);
    emit tone->Change();
    QVERIFY(C().timerToneReset->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(tone->Value(), 5, 400);
    QVERIFY(W().Device.ReceivedFrames().empty());
}

void TestGraphEditing::ToneSliderOnlineSendsItsValue() {
    QVERIFY(OnlineAndCleared(W()));
    ScrollBar* tone = C().ScrollTone;
    RecordWhileWriting(W(), [tone] { QVERIFY(!tone->isEnabled()); });
    tone->SetValue(8);
    emit tone->Change();
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{WriteFrame(0, 0xCE, 8)});
    QVERIFY(tone->isEnabled());
    QVERIFY(!C().timerToneReset->isActive());
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    // The processor resetting its key shift puts the slider back without a write.
    W().Device.SendToneReset();
    QTRY_COMPARE(tone->Value(), 5);
    QCOMPARE(int(RecordWrites(W()).size()), 1);
}

void TestGraphEditing::ResizeGrip_data() {
    QTest::addColumn<int>("buttons");
    QTest::addColumn<float>("y");
    QTest::addColumn<int>("height");
    QTest::newRow("drag down 20 px") << int(Qt::LeftButton) << 20.0f << 920;
    QTest::newRow("drag up 100 px") << int(Qt::LeftButton) << -100.0f << 800;
    QTest::newRow("not below 50 px") << int(Qt::LeftButton) << -880.0f << 900;
    QTest::newRow("no button: nothing") << 0 << 20.0f << 900;
}

void TestGraphEditing::ResizeGrip() {
    QFETCH(int, buttons);
    QFETCH(float, y);
    QFETCH(int, height);
    QCOMPARE(W().Window->height(), 900);
    SendMouse(C().Label1, QEvent::MouseMove, QPointF(3, y), Qt::MouseButtons(buttons));
    QCOMPARE(W().Window->height(), height);
    QCOMPARE(W().Window->width(), WindowWidthForHeight(height));
}

QTEST_MAIN(TestGraphEditing)
#include "tst_graphediting.moc"
