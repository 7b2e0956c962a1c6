#include "model/UndoHistory.h"

#include <QTest>
#include <vector>

using namespace korva;

namespace {

// One edit: the undo point first, then the store changes, as every edit path does.
void Edit(UndoHistory& h, ParamStore& s, int address, uint8_t value) {
    h.RecordUndoPoint();
    s.at(0, address).DATA1 = value;
}

} // namespace

class TstUndoHistory : public QObject {
    Q_OBJECT
private slots:
    void workedSequence() {
        ParamStore s;
        UndoHistory h(s);
        h.UndoRedoInit();
        QVERIFY(!h.Undo()); // empty history
        Edit(h, s, 1, 10);  // A
        Edit(h, s, 2, 20);  // B
        QCOMPARE(h.UndoPosition(), 1);
        QVERIFY(h.Undo());
        QCOMPARE(s.at(0, 1).DATA1, uint8_t(10));
        QCOMPARE(s.at(0, 2).DATA1, uint8_t(0));
        QCOMPARE(h.UndoTop(), 2);
        QCOMPARE(h.UndoPosition(), 0);
        QVERIFY(h.Undo());
        QCOMPARE(s.at(0, 1).DATA1, uint8_t(0));
        QCOMPARE(h.UndoPosition(), -1);
        QVERIFY(!h.Undo());
        QVERIFY(h.Redo());
        QCOMPARE(s.at(0, 1).DATA1, uint8_t(10));
        QCOMPARE(h.UndoPosition(), 0);
        QVERIFY(h.Redo());
        QCOMPARE(s.at(0, 2).DATA1, uint8_t(20));
        QCOMPARE(h.UndoPosition(), 1);
        QVERIFY(!h.Redo());
    }

    void fullHistory_data() {
        QTest::addColumn<int>("edits");
        QTest::addColumn<bool>("initialReachable");
        QTest::newRow("29 edits") << 29 << true;
        QTest::newRow("30 edits") << 30 << false;
        QTest::newRow("45 edits") << 45 << false;
    }
    void fullHistory() {
        QFETCH(int, edits);
        QFETCH(bool, initialReachable);
        ParamStore s;
        UndoHistory h(s);
        for (int i = 1; i <= edits; ++i) {
            Edit(h, s, 5, uint8_t(i));
        }
        int undos = 0;
        while (h.Undo()) {
            ++undos;
        }
        QCOMPARE(undos, std::min(edits, 29));
        QCOMPARE(s.at(0, 5).DATA1 == 0, initialReachable);
    }

    void redoAfterNewEditJumpsBack() {
        ParamStore s;
        UndoHistory h(s);
        Edit(h, s, 1, 1);
        Edit(h, s, 1, 2);
        Edit(h, s, 1, 3);
        h.Undo(); // saves "3" in slot 3
        h.Undo();
        Edit(h, s, 1, 9); // new line of edits; UndoTop stays 3
        QVERIFY(h.Redo());
        QCOMPARE(s.at(0, 1).DATA1, uint8_t(3)); // the snapshot taken at the first undo
    }

    void restoreSendsOnlyDifferingRecords() {
        ParamStore s;
        UndoHistory h(s);
        h.RecordUndoPoint();
        s.at(3, 0x44) = {100, 70, 14};
        s.at(0, 0xC0).DATA1 = 50;
        std::vector<std::pair<int, int>> sent;
        QVERIFY(h.Undo([&](int g, int a) {
            sent.emplace_back(g, a);
            return true;
        }));
        QCOMPARE(sent, (std::vector<std::pair<int, int>>{{0, 0xC0}, {3, 0x44}}));
    }

    void failedWriteStopsRestore() {
        ParamStore s;
        UndoHistory h(s);
        h.RecordUndoPoint();
        s.at(0, 1).DATA1 = 1;
        s.at(0, 2).DATA1 = 2;
        s.at(1, 3).DATA1 = 3;
        int calls = 0;
        QVERIFY(h.Undo([&](int, int) { return ++calls < 2; }));
        QCOMPARE(calls, 2);
        QCOMPARE(s.at(0, 1).DATA1, uint8_t(0));
        QCOMPARE(s.at(0, 2).DATA1, uint8_t(0)); // the failed one is stored, not sent
        QCOMPARE(s.at(1, 3).DATA1, uint8_t(3)); // after the failure: untouched
        QCOMPARE(h.UndoPosition(), -1);         // moved as if complete
    }

    void pressDuringRestoreIsIgnored() {
        ParamStore s;
        UndoHistory h(s);
        Edit(h, s, 1, 1);
        Edit(h, s, 2, 2);
        bool nestedUndo = true;
        bool nestedRedo = true;
        int position = -2;
        h.Undo([&](int, int) {
            // A second click arriving while the write waits.
            position = h.UndoPosition();
            nestedUndo = h.Undo();
            nestedRedo = h.Redo();
            return true;
        });
        QVERIFY(!nestedUndo);
        QVERIFY(!nestedRedo);
        QCOMPARE(h.UndoPosition(), position);
        QVERIFY(!h.IsRestoring());
        QVERIFY(h.Redo()); // the history still works afterwards
        QCOMPARE(s.at(0, 2).DATA1, uint8_t(2));
    }

    void burstsRecordOnce() {
        ParamStore s;
        UndoHistory h(s);
        h.tmrMoveTimeout.setInterval(60); // the same rule on a short clock
        for (int i = 0; i < 5; ++i) {
            h.RecordUndoPointOnce();
            QTest::qWait(10);
        }
        QCOMPARE(h.UndoPosition(), 0);
        QTRY_VERIFY(!h.EditBurstActive());
        h.RecordUndoPointOnce();
        QCOMPARE(h.UndoPosition(), 1);
    }
};

QTEST_GUILESS_MAIN(TstUndoHistory)
#include "tst_undohistory.moc"
