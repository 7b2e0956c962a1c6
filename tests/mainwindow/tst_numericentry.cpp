#include "EditTestSupport.h"

#include "mainwindow/graph/GraphInteraction.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/editing/Navigator.h"
#include "mainwindow/editing/NumericEntry.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"

#include <QLineEdit>
#include <QTest>

using namespace korva;
using namespace korva::test;

class TestNumericEntry : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    // The rules alone.
    void EntryText_data();
    void EntryText();
    void WhatCountsAsANumber_data();
    void WhatCountsAsANumber();
    void StoredIndex_data();
    void StoredIndex();

    // In the window.
    void ClickOpensTheBoxOverTheDisplay();
    void EnterStoresAndSends_data();
    void EnterStoresAndSends();
    void SecondEnterDuringTheWriteAppliesNothing();
    void LettersGiveTheWarning();
    void EmptyTextOnlyCloses();
    void LostFocusDropsTheText();

private:
    TestWorld& W() { return *world_; }
    const MainControls& C() { return world_->C(); }
    void Type(int display, const QString& text) {
        emit C().ShowNumberDot[size_t(display)]->Click();
        C().Text1->setText(text);
        QTest::keyClick(C().Text1, Qt::Key_Return);
    }

    std::unique_ptr<TestWorld> world_;
};

void TestNumericEntry::init() {
    world_ = std::make_unique<TestWorld>();
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
}

void TestNumericEntry::cleanup() {
    world_.reset();
}

void TestNumericEntry::EntryText_data() {
    QTest::addColumn<int>("display");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("text");
    QTest::newRow("frequency") << 0 << 1000 << "1000";
    QTest::newRow("gain") << 1 << -32 << "-3.2";
    QTest::newRow("flat gain") << 4 << 0 << "0.0";
    QTest::newRow("Q") << 44 << 14 << "1.4";
    QTest::newRow("right cut column") << 45 << 8000 << "8000";
    QTest::newRow("low-cut column") << 46 << 230 << "230";
}

void TestNumericEntry::EntryText() {
    QFETCH(int, display);
    QFETCH(int, shown);
    QFETCH(QString, text);
    QCOMPARE(EntryTextFor(display, shown), text);
}

void TestNumericEntry::WhatCountsAsANumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << "25000" << true << 25000.0;
    QTest::newRow("signed fraction") << "-3.4" << true << -3.4;
    QTest::newRow("plus, no leading digit") << "+.5" << true << 0.5;
    QTest::newRow("trailing point") << "2." << true << 2.0;
    QTest::newRow("blanks around") << " 7 " << true << 7.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("unit") << "100Hz" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("nan") << "nan" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("comma") << "1,5" << false << 0.0;
    QTest::newRow("sign alone") << "-" << false << 0.0;
    QTest::newRow("blank") << "  " << false << 0.0;
}

void TestNumericEntry::WhatCountsAsANumber() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> parsed = ParseEntryNumber(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber) {
        QCOMPARE(*parsed, value);
    }
}

void TestNumericEntry::StoredIndex_data() {
    QTest::addColumn<int>("dataIndex");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("index");
    QTest::newRow("25000 Hz is 20 kHz") << 0 << 25000.0 << 0 << 0 << 241;
    QTest::newRow("5 Hz is 18 Hz") << 0 << 5.0 << 0 << 0 << 0;
    QTest::newRow("12345 Hz on the grid") << 0 << 12345.0 << 0 << 0 << 225;
    QTest::newRow("high-cut of microphone 1-2") << 0 << 5000.0 << 1 << 1 << 201;
    QTest::newRow("low-cut of music") << 0 << 400.0 << 2 << 0 << 54;
    QTest::newRow("gain 3.3 to the even index") << 1 << 3.3 << 0 << 0 << 58;
    QTest::newRow("gain 0.3 to the even index") << 1 << 0.3 << 0 << 0 << 74;
    QTest::newRow("gain -20 is -15") << 1 << -20.0 << 0 << 0 << 150;
    QTest::newRow("gain 99 is +15") << 1 << 99.0 << 0 << 0 << 0;
    QTest::newRow("Q 2.25 to the even index") << 2 << 2.25 << 0 << 0 << 22;
    QTest::newRow("Q 0.01 is 0.1") << 2 << 0.01 << 0 << 0 << 1;
    QTest::newRow("Q 40 is 15") << 2 << 40.0 << 0 << 0 << 75;
    QTest::newRow("Q 4") << 2 << 4.0 << 0 << 0 << 31;
    // Between 3.0 and 4 the nearer of the two, never a Q below 3.
    QTest::newRow("Q 3.4 is 3.0") << 2 << 3.4 << 0 << 0 << 30;
    QTest::newRow("Q 3.5 is 3.0") << 2 << 3.5 << 0 << 0 << 30;
    QTest::newRow("Q 3.6 is 4") << 2 << 3.6 << 0 << 0 << 31;
    // From 4 on only whole Qs exist (31, 35 .. 75); a fraction goes to the nearest, ties to the even one.
    QTest::newRow("Q 4.5 is 4") << 2 << 4.5 << 0 << 0 << 31;
    QTest::newRow("Q 5.5 is 6") << 2 << 5.5 << 0 << 0 << 39;
    QTest::newRow("Q 12.75 is 13") << 2 << 12.75 << 0 << 0 << 67;
    QTest::newRow("Q 14.9 is 15") << 2 << 14.9 << 0 << 0 << 75;
}

void TestNumericEntry::StoredIndex() {
    QFETCH(int, dataIndex);
    QFETCH(double, value);
    QFETCH(int, kind);
    QFETCH(int, channel);
    QFETCH(int, index);
    QCOMPARE(int(EntryIndexFor(dataIndex, value, EqPointKind(kind), channel)), index);
}

void TestNumericEntry::ClickOpensTheBoxOverTheDisplay() {
    // A smaller screen: the window is zoomed to 0.8 and the offset with it.
    world_ = std::make_unique<TestWorld>();
    W().Context.Display.ScreenPx = QSize(1366, 768);
    QVERIFY2(W().Load(), qPrintable(W().Error));
    const double zoom = W().Window->ZoomFactor();
    QCOMPARE(zoom, 0.8);
    ShowNumber* display = C().ShowNumberDot[7]; // band 2 gain
    display->setVisible(true);
    emit display->Click();
    QLineEdit* text1 = C().Text1;
    QVERIFY(!text1->isHidden());
    const QPoint expected = display->mapTo(W().Window.get(), QPoint(0, 0)) + QPoint(5, 5); // 100, 90 twips
    QCOMPARE(text1->mapTo(W().Window.get(), QPoint(0, 0)), expected);
    QCOMPARE(text1->text(), QStringLiteral("0.0"));
    QCOMPARE(text1->selectedText(), QStringLiteral("0.0"));
    QCOMPARE(W().Window->GraphEditing().NumericEditTarget, QStringLiteral("5,1,2"));
}

void TestNumericEntry::EnterStoresAndSends_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("display");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("slot");
    QTest::addColumn<ParamRecord>("record");
    QTest::newRow("25000 Hz") << 0 << 6 << "25000" << 0x05 << 2 << ParamRecord{241, 75, 14};
    QTest::newRow("Q 2.25") << 0 << 8 << "2.25" << 0x05 << 2 << ParamRecord{71, 75, 22};
    QTest::newRow("gain -3.3") << 0 << 1 << "-3.3" << 0x03 << 0 << ParamRecord{19, 92, 14};
    QTest::newRow("music low-cut limited") << 0 << 46 << "1000" << 0x01 << 7 << ParamRecord{54, 0, 0};
    QTest::newRow("effect high-cut") << 3 << 9 << "990" << 0x82 << 3 << ParamRecord{131, 0, 0};
}

void TestNumericEntry::EnterStoresAndSends() {
    QFETCH(int, channel);
    QFETCH(int, display);
    QFETCH(QString, text);
    QFETCH(int, address);
    QFETCH(int, slot);
    QFETCH(ParamRecord, record);
    QVERIFY(OnlineAndCleared(W()));
    W().Model().CurrentGroup = 6;
    W().Window->Navigation().btnMode_Click(channel);
    Type(display, text);

    QCOMPARE(W().Model().Store.at(6, address), record);
    QCOMPARE(W().Model().Store.at(0, address), W().Device.Memory().Store.at(0, address)); // group 0 alone
    QCOMPARE(RecordWrites(W()), std::vector<QByteArray>{StoredRecordFrame(W(), 6, address)});
    QCOMPARE(W().Context.Eq.SelectedPoint, slot);
    QCOMPARE(C().MKnobFreq->Value(), int(record.DATA1));
    QVERIFY(C().Text1->isHidden());
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    QVERIFY(W().Messages.Messages().empty());
}

void TestNumericEntry::SecondEnterDuringTheWriteAppliesNothing() {
    QVERIFY(OnlineAndCleared(W()));
    RecordWhileWriting(W(), [this] { QTest::keyClick(C().Text1, Qt::Key_Return); });
    Type(6, QStringLiteral("5000"));
    QCOMPARE(int(RecordWrites(W()).size()), 1);
    QCOMPARE(W().Context.Undo.UndoPosition(), 0);
    QCOMPARE(W().Model().Store.at(0, 0x05).DATA1, uint8_t(171));
}

void TestNumericEntry::LettersGiveTheWarning() {
    QVERIFY(OnlineAndCleared(W()));
    const ParamStore before = W().Model().Store;
    Type(6, QStringLiteral("abc"));
    QCOMPARE(int(W().Messages.Messages().size()), 1);
    QCOMPARE(W().Messages.Messages()[0].Text, QStringLiteral("请输入数字!"));
    QCOMPARE(W().Messages.Messages()[0].Icon, MessageIcon::Warning);
    QVERIFY(C().Text1->isHidden());
    QVERIFY(W().Model().Store == before);
    QVERIFY(W().Device.ReceivedFrames().empty());
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
}

void TestNumericEntry::EmptyTextOnlyCloses() {
    const ParamStore before = W().Model().Store;
    Type(6, QString());
    QVERIFY(C().Text1->isHidden());
    QVERIFY(W().Messages.Messages().empty());
    QVERIFY(W().Model().Store == before);
    QCOMPARE(W().Context.Undo.UndoPosition(), -1);
}

void TestNumericEntry::LostFocusDropsTheText() {
    W().Window->show();
    QVERIFY(QTest::qWaitForWindowActive(W().Window.get()));
    emit C().ShowNumberDot[6]->Click();
    QTRY_VERIFY(C().Text1->hasFocus());
    C().Text1->setText(QStringLiteral("5000"));
    C().Picture1->setFocus();
    QTRY_VERIFY(C().Text1->isHidden());
    QCOMPARE(W().Model().Store.at(0, 0x05).DATA1, uint8_t(71));
    // A later Enter on the hidden box applies nothing.
    QTest::keyClick(C().Text1, Qt::Key_Return);
    QCOMPARE(W().Model().Store.at(0, 0x05).DATA1, uint8_t(71));
}

QTEST_MAIN(TestNumericEntry)
#include "tst_numericentry.moc"
