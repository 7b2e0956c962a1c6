#include "EditTestSupport.h"

#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QLineEdit>
#include <QTest>
#include <QTimer>

using namespace korva;
using namespace korva::test;

class TestUndoRedo : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void EmptyHistoryDoesNothing();
    void WorkedSequence();
    void NewEditAfterUndoKeepsTheAbandonedLineForRedo();
    void FullHistory_data();
    void FullHistory();
    void UndoOnlineResendsOnlyTheDifferingRecords();
    void RestoreStopsAtTheFirstFailedWrite();
    void PressesDuringARestoreAreIgnored();
    void HistoryStartsAfreshAfterReadingTheDevice();

private:
    TestWorld& W() { return *world_; }
    const MainControls& C() { return world_->C(); }
    UndoHistory& History() { return world_->Context.Undo; }
    void Undo() { emit C().SimpControl4->Click(); }
    void Redo() { emit C().SimpControl7->Click(); }
    int Fbx() { return W().Model().Store.at(0, 0xCF).DATA1; }
    // One recorded edit: the music band 0 frequency typed into its display.
    void TypeBand0Frequency(int index) {
        emit C().ShowNumberDot[0]->Click();
        C().Text1->setText(QString::number(FreqIndexToHz(uint8_t(index))));
        QTest::keyClick(C().Text1, Qt::Key_Return);
    }
    void SetSlider(int index, int value) {
        C().MyScrollBar[size_t(index)]->SetValue(value);
        emit C().MyScrollBar[size_t(index)]->Change();
    }

    std::unique_ptr<TestWorld> world_;
};

void TestUndoRedo::init() {
    world_ = std::make_unique<TestWorld>();
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
}

void TestUndoRedo::cleanup() {
    world_.reset();
}

void TestUndoRedo::EmptyHistoryDoesNothing() {
    const ParamStore before = W().Model().Store;
    Undo();
    Redo();
    QVERIFY(W().Model().Store == before);
    QCOMPARE(History().UndoPosition(), -1);
    QCOMPARE(History().UndoTop(), -1);
}

void TestUndoRedo::WorkedSequence() {
    struct Step {
        std::function<void()> action;
        int fbx, position, top;
    };
    const Step steps[] = {
        {[this] { emit C().btnDown2->Click(); }, 1, 0, 0}, // edit A
        {[this] { emit C().btnDown2->Click(); }, 2, 1, 1}, // edit B
        {[this] { Undo(); }, 1, 0, 2},
        {[this] { Undo(); }, 0, -1, 2},
        {[this] { Redo(); }, 1, 0, 2},
        {[this] { Redo(); }, 2, 1, 2},
        {[this] { Redo(); }, 2, 1, 2}, // 1 + 2 > 2: nothing
    };
    int n = 0;
    for (const Step& step : steps) {
        step.action();
        const QByteArray where = QByteArray::number(n++);
        QVERIFY2(Fbx() == step.fbx, where);
        QVERIFY2(C().btnFBX->Value() == step.fbx, where);
        QVERIFY2(History().UndoPosition() == step.position, where);
        QVERIFY2(History().UndoTop() == step.top, where);
    }
}

void TestUndoRedo::NewEditAfterUndoKeepsTheAbandonedLineForRedo() {
    emit C().btnDown2->Click();
    emit C().btnDown2->Click();
    Undo();
    Undo();
    QCOMPARE(Fbx(), 0);
    // A new edit on the undone state: the bypass switch.
    C().btnEQByPass->SetValue(1);
    emit C().btnEQByPass->Click();
    QCOMPARE(W().Model().Store.at(0, 0x02).DATA1, uint8_t(1));
    // Redo jumps back to the snapshot taken at the first undo: after B, bypass off.
    Redo();
    QCOMPARE(Fbx(), 2);
    QCOMPARE(W().Model().Store.at(0, 0x02).DATA1, uint8_t(0));
    QCOMPARE(C().btnEQByPass->Value(), 0);
}

void TestUndoRedo::FullHistory_data() {
    QTest::addColumn<int>("edits");
    QTest::addColumn<int>("undos");
    QTest::addColumn<int>("earliestIndex");
    QTest::newRow("29 edits: back to the start") << 29 << 29 << 19;
    QTest::newRow("30 edits: the start is gone") << 30 << 29 << 101;
}

void TestUndoRedo::FullHistory() {
    QFETCH(int, edits);
    QFETCH(int, undos);
    QFETCH(int, earliestIndex);
    QCOMPARE(W().Model().Store.at(0, 0x03).DATA1, uint8_t(19));
    for (int k = 1; k <= edits; ++k) {
        TypeBand0Frequency(100 + k);
        QCOMPARE(W().Model().Store.at(0, 0x03).DATA1, uint8_t(100 + k));
    }
    int done = 0;
    while (History().UndoPosition() != -1 && done < 40) {
        Undo();
        ++done;
    }
    QCOMPARE(done, undos);
    QCOMPARE(W().Model().Store.at(0, 0x03).DATA1, uint8_t(earliestIndex));
    QCOMPARE(C().ShowNumberDot[0]->Value(), int(FreqIndexToHz(uint8_t(earliestIndex))));
    Undo(); // nothing left
    QCOMPARE(W().Model().Store.at(0, 0x03).DATA1, uint8_t(earliestIndex));
}

void TestUndoRedo::UndoOnlineResendsOnlyTheDifferingRecords() {
    QVERIFY(OnlineAndCleared(W()));
    W().Model().CurrentGroup = 3;
    const uint8_t level = W().Model().Store.at(3, 0x40).DATA1;
    // One burst over two sliders: a group record and a Common one.
    SetSlider(7, 10);
    SetSlider(25, 66);
    QCOMPARE(History().UndoPosition(), 0);
    W().Device.ClearRecordings();

    Undo();
    // Group 0 first (the Common block lives there), then group 3; each the whole stored record.
    const std::vector<QByteArray> undone{StoredRecordFrame(W(), 0, 0xC0), StoredRecordFrame(W(), 3, 0x40)};
    QCOMPARE(RecordWrites(W()), undone);
    QCOMPARE(W().Model().Store.at(3, 0x40).DATA1, level);
    QCOMPARE(C().MyScrollBar[7]->Value(), int(level));
    QVERIFY(W().Device.Memory().Store == W().Model().Store);

    W().Device.ClearRecordings();
    Redo();
    const std::vector<QByteArray> redone{WriteFrame(0, 0xC0, 66), WriteFrame(3, 0x40, 10)};
    QCOMPARE(RecordWrites(W()), redone);
    QVERIFY(W().Device.Memory().Store == W().Model().Store);
}

void TestUndoRedo::RestoreStopsAtTheFirstFailedWrite() {
    QVERIFY(OnlineAndCleared(W()));
    W().Comm().TimeOuter1().setInterval(5);
    W().Model().CurrentGroup = 3;
    const uint8_t master = W().Model().Store.at(0, 0xC0).DATA1;
    SetSlider(7, 10);
    SetSlider(25, 66);
    W().Device.ClearRecordings();
    W().Device.SetReplyFilter([](const QByteArray& frame) { return uint8_t(frame[2]) != 0xC0; });

    Undo();
    QCOMPARE(int(RecordWrites(W()).size()), 8); // the first record, tried eight times
    QVERIFY(!W().Comm().IsOnline());
    QCOMPARE(W().Model().Store.at(0, 0xC0).DATA1, master);      // restored before its write failed
    QCOMPARE(W().Model().Store.at(3, 0x40).DATA1, uint8_t(10)); // not reached: keeps its value
    QCOMPARE(History().UndoPosition(), -1);                     // moved as if complete
    QCOMPARE(int(W().Messages.Messages().size()), 1);
}

void TestUndoRedo::PressesDuringARestoreAreIgnored() {
    QVERIFY(OnlineAndCleared(W()));
    W().Model().Store.at(0, 0xCF).DATA1 = 0;
    W().Window->RefreshBoundControls(0x04, 255);
    emit C().btnDown2->Click(); // A
    emit C().btnDown2->Click(); // B
    W().Device.ClearRecordings();
    W().Device.DelayNextReplyMs(60);
    int pressesDuringRestore = 0;
    QTimer::singleShot(20, this, [this, &pressesDuringRestore] {
        QVERIFY(History().IsRestoring());
        ++pressesDuringRestore;
        Undo();
        Redo();
        Undo();
    });
    Undo();
    QCOMPARE(pressesDuringRestore, 1);
    QCOMPARE(Fbx(), 1);
    QCOMPARE(History().UndoPosition(), 0);
    QCOMPARE(History().UndoTop(), 2);
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{WriteFrame(0, 0xCF, 1)});
    // The history is intact: the next presses work as usual.
    Undo();
    QCOMPARE(Fbx(), 0);
    Redo();
    Redo();
    QCOMPARE(Fbx(), 2);
    QCOMPARE(W().Device.Memory().Store.at(0, 0xCF).DATA1, uint8_t(2));
}

void TestUndoRedo::HistoryStartsAfreshAfterReadingTheDevice() {
    emit C().btnDown2->Click();
    QCOMPARE(History().UndoPosition(), 0);
    QVERIFY(W().GoOnline());
    const ParamStore read = W().Model().Store;
    Undo();
    QVERIFY(W().Model().Store == read);
    QCOMPARE(History().UndoPosition(), -1);
}

QTEST_MAIN(TestUndoRedo)
#include "tst_undoredo.moc"
