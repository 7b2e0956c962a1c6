#include "TestWorld.h"

#include "mainwindow/design/ControlRefresher.h"
#include "mainwindow/editing/Navigator.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QTest>
#include <QTimer>

using namespace korva;
using korva::test::TestWorld;

class TestRefresh : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void DisplayFilterTouchesOnlyThatAddress_data();
    void DisplayFilterTouchesOnlyThatAddress();
    void SlidersIgnoreTheFilter();
    void PairsFollowOnlyZeroAndOne_data();
    void PairsFollowOnlyZeroAndOne();
    void SingleButtonsKeepValuesWithoutPicture_data();
    void SingleButtonsKeepValuesWithoutPicture();
    void EchoDelayAboveTheTableIsClampedInTheStore();
    void GroupChangeMovesGroupControlsOnly();
    void PointDisplaysFollowTheirPointFilter();
    void RedrawBitStartsTheRedrawTimer();

private:
    std::unique_ptr<TestWorld> world_;
};

void TestRefresh::init() {
    world_ = std::make_unique<TestWorld>();
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
}

void TestRefresh::cleanup() {
    world_.reset();
}

void TestRefresh::DisplayFilterTouchesOnlyThatAddress_data() {
    QTest::addColumn<uint>("filter");
    QTest::addColumn<QList<int>>("touched");
    QTest::newRow("echo volume 0x83") << 0x83u << QList<int>{2};
    // Displays are matched by address: 0x1A is display 14 (slider 13), 0x19 display 13.
    QTest::newRow("bass after mic 0x1A") << 0x1Au << QList<int>{14};
    QTest::newRow("common 0xC5") << 0xC5u << QList<int>{17};
    QTest::newRow("unbound 0x30") << 0x30u << QList<int>{};
    QList<int> all;
    for (int i = 0; i < 26; ++i) {
        if (i != 6) {
            all << i;
        }
    }
    QTest::newRow("all but the unbound display 6") << 255u << all;
}

void TestRefresh::DisplayFilterTouchesOnlyThatAddress() {
    QFETCH(uint, filter);
    QFETCH(QList<int>, touched);
    const MainControls& c = world_->C();
    for (ShowNumber* number : c.MyNumber) {
        number->SetValue(-1);
    }
    world_->Window->RefreshBoundControls(refresh::kDisplays, filter);
    for (int i = 0; i < int(c.MyNumber.size()); ++i) {
        QCOMPARE(c.MyNumber[size_t(i)]->Value() != -1, touched.contains(i));
    }
}

void TestRefresh::SlidersIgnoreTheFilter() {
    const MainControls& c = world_->C();
    ParamModel& model = world_->Model();
    model.Store.at(0, 0x80).DATA1 = 11;  // slider 0, Group
    model.Store.at(0, 0xC2).DATA1 = 33;  // slider 27, Common
    model.Store.at(0, 0x0A).DATA1 = 150; // slider 18
    for (ScrollBar* slider : c.MyScrollBar) {
        slider->SetValue(1);
    }
    world_->Window->RefreshBoundControls(refresh::kSliders, 0x83);
    QCOMPARE(c.MyScrollBar[0]->Value(), 11);
    QCOMPARE(c.MyScrollBar[27]->Value(), 33);
    QCOMPARE(c.MyScrollBar[18]->Value(), 150);
    QCOMPARE(c.MyScrollBar[2]->Value(), 60); // echo volume default
    QCOMPARE(c.MyScrollBar[6]->Value(), 1);  // unbound: untouched
}

void TestRefresh::PairsFollowOnlyZeroAndOne_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("even");
    QTest::addColumn<int>("odd");
    QTest::newRow("0") << 0 << 1 << 0;
    QTest::newRow("1") << 1 << 0 << 1;
    QTest::newRow("5 leaves both") << 5 << 7 << 7;
    QTest::newRow("2 leaves both") << 2 << 7 << 7;
}

void TestRefresh::PairsFollowOnlyZeroAndOne() {
    QFETCH(int, stored);
    QFETCH(int, even);
    QFETCH(int, odd);
    const MainControls& c = world_->C();
    ParamModel& model = world_->Model();
    model.CurrentGroup = 3;
    model.Store.at(0, 0xCB).DATA1 = uint8_t(stored);
    model.Store.at(3, 0x1B).DATA1 = uint8_t(stored); // MyButton 6, 7 in the current group
    model.Store.at(0, 0x1B).DATA1 = 0;               // group 0 must not be read for them
    for (SimpControl* b : {c.btnSaveMode[0], c.btnSaveMode[1], c.MyButton[6], c.MyButton[7]}) {
        b->SetValue(7);
    }
    world_->Window->RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
    QCOMPARE(c.btnSaveMode[0]->Value(), even);
    QCOMPARE(c.btnSaveMode[1]->Value(), odd);
    QCOMPARE(c.MyButton[6]->Value(), even);
    QCOMPARE(c.MyButton[7]->Value(), odd);
}

void TestRefresh::SingleButtonsKeepValuesWithoutPicture_data() {
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::newRow("start mode 7 shows") << 0xC4 << 7 << 7;
    QTest::newRow("start mode 9 keeps") << 0xC4 << 9 << 4;
    QTest::newRow("start mode 8 keeps") << 0xC4 << 8 << 4;
    QTest::newRow("fbx 3 shows") << 0xCF << 3 << 3;
    QTest::newRow("fbx 4 keeps") << 0xCF << 4 << 4;
    QTest::newRow("input 6 shows") << 0xC3 << 6 << 6;
    QTest::newRow("input 200 shows") << 0xC3 << 200 << 200;
}

void TestRefresh::SingleButtonsKeepValuesWithoutPicture() {
    QFETCH(int, address);
    QFETCH(int, stored);
    QFETCH(int, shown);
    const MainControls& c = world_->C();
    SimpControl* button = address == 0xC4 ? c.btnShowStartMode : address == 0xCF ? c.btnFBX : c.btnInput;
    button->SetValue(4);
    world_->Model().Store.at(0, address).DATA1 = uint8_t(stored);
    world_->Window->RefreshBoundControls(refresh::kButtons, refresh::kNoFilter);
    QCOMPARE(button->Value(), shown);
}

void TestRefresh::EchoDelayAboveTheTableIsClampedInTheStore() {
    world_->Model().Store.at(0, 0x81).DATA1 = 40;
    world_->Window->RefreshBoundControls(refresh::kDisplays, 0x81);
    QCOMPARE(world_->C().MyNumber[1]->Value(), 275);
    QCOMPARE(world_->Model().Store.at(0, 0x81).DATA1, uint8_t(31));
    // The default byte 27 shows 230.
    world_->Model().Store.at(0, 0x81).DATA1 = 27;
    world_->Window->RefreshBoundControls(refresh::kDisplays, 255);
    QCOMPARE(world_->C().MyNumber[1]->Value(), 230);
}

void TestRefresh::GroupChangeMovesGroupControlsOnly() {
    const MainControls& c = world_->C();
    ParamModel& model = world_->Model();
    // Group 1 differs from group 0 in every Group-bound cell; Common cells live in group 0 only.
    for (int a = 0; a < 0xC0; ++a) {
        model.Store.at(1, a).DATA1 = uint8_t(model.Store.at(0, a).DATA1 == 5 ? 6 : 5);
    }
    for (int a = 0xC0; a < 0x100; ++a) {
        model.Store.at(1, a).DATA1 = 77; // never read
    }
    std::vector<int> before;
    for (ShowNumber* n : c.MyNumber) {
        before.push_back(n->Value());
    }
    std::vector<int> slidersBefore;
    for (ScrollBar* s : c.MyScrollBar) {
        slidersBefore.push_back(s->Value());
    }
    world_->Window->Navigation().btnDown1_Click();
    QCOMPARE(model.CurrentGroup, uint8_t(1));
    QCOMPARE(c.btnShowMode->Value(), 1);
    const BindingTable& bindings = world_->Window->Bindings();
    for (size_t i = 0; i < c.MyNumber.size(); ++i) {
        const auto& b = bindings.Display(int(i));
        if (!b) {
            continue;
        }
        QVERIFY2((c.MyNumber[i]->Value() != before[i]) == (b->Scope == BindingScope::Group),
                 qPrintable(QStringLiteral("MyNumber(%1)").arg(i)));
    }
    for (size_t i = 0; i < c.MyScrollBar.size(); ++i) {
        const auto& b = bindings.Slider(int(i));
        if (!b) {
            continue;
        }
        QVERIFY2((c.MyScrollBar[i]->Value() != slidersBefore[i]) == (b->Scope == BindingScope::Group),
                 qPrintable(QStringLiteral("MyScrollBar(%1)").arg(i)));
    }
}

void TestRefresh::PointDisplaysFollowTheirPointFilter() {
    const MainControls& c = world_->C();
    ParamModel& model = world_->Model();
    // Music band 3 (address 0x06) and band 4 (0x07): change both in the store.
    model.Store.at(0, 0x06) = {131, 74, 31}; // 1000 Hz, +0.2 dB, Q 4
    model.Store.at(0, 0x07) = {141, 0, 30};  // 2000 Hz, +15 dB, Q 3.0
    world_->Window->RefreshBoundControls(refresh::kPointGrid, 3);
    QCOMPARE(c.ShowNumberDot[9]->Value(), 1000);
    QCOMPARE(c.ShowNumberDot[10]->Value(), 2);
    QCOMPARE(c.ShowNumberDot[11]->Value(), 40);
    QCOMPARE(c.ShowNumberDot[12]->Value(), 2500); // point 4 not refreshed yet
    world_->Window->RefreshBoundControls(refresh::kPointGrid, refresh::kNoFilter);
    QCOMPARE(c.ShowNumberDot[12]->Value(), 2000);
    QCOMPARE(c.ShowNumberDot[13]->Value(), 150);
    QCOMPARE(c.ShowNumberDot[14]->Value(), 30);
}

void TestRefresh::RedrawBitStartsTheRedrawTimer() {
    QTimer* timer = world_->C().tmrDrawWave;
    QTRY_VERIFY(!timer->isActive());
    world_->Window->RefreshBoundControls(refresh::kDisplays, refresh::kNoFilter);
    QVERIFY(!timer->isActive());
    world_->Window->RefreshBoundControls(refresh::kRedraw, refresh::kNoFilter);
    QVERIFY(timer->isActive());
}

QTEST_MAIN(TestRefresh)
#include "tst_refresh.moc"
