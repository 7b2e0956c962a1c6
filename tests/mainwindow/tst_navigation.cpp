#include "TestWorld.h"

#include "mainwindow/editing/Navigator.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QLineEdit>
#include <QTest>

using namespace korva;
using korva::test::TestWorld;

using TagMap = QMap<int, QString>;

class TestNavigation : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void ChannelBindsItsPointGrid_data();
    void ChannelBindsItsPointGrid();
    void ChannelButtonsShowOnlyTheChosenOne();
    void PointButtonsWrapAround();
    void SelectPointMarksThePoint();
    void GroupSteps_data();
    void GroupSteps();
    void PanelTabsChooseThePanel();
    void PressOutsideTheTabsDoesNothing();

private:
    std::unique_ptr<TestWorld> world_;
};

void TestNavigation::init() {
    world_ = std::make_unique<TestWorld>();
    // A smaller screen, so that tab areas and the indicator have to be scaled back to design units.
    world_->Context.Display.ScreenPx = QSize(1366, 768);
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
}

void TestNavigation::cleanup() {
    world_.reset();
}

void TestNavigation::ChannelBindsItsPointGrid_data() {
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("pointCount");
    QTest::addColumn<TagMap>("markers");  // btnShowDot1 index -> TagNew
    QTest::addColumn<TagMap>("displays"); // ShowNumberDot index -> TagNew
    QTest::addColumn<QList<int>>("highCutMarkers");
    QTest::addColumn<QString>("bypassTag");

    TagMap musicMarkers{{16, "7"}};
    TagMap musicDisplays{{46, "1,0,7"}};
    for (int p = 0; p < 7; ++p) {
        musicMarkers[p] = QString::number(p);
        for (int f = 0; f < 3; ++f) {
            musicDisplays[3 * p + f] = QStringLiteral("%1,%2,%3").arg(3 + p).arg(f).arg(p);
        }
    }
    QTest::newRow("music") << 0 << 8 << musicMarkers << musicDisplays << QList<int>{} << "&H2";

    TagMap micMarkers{{7, "7"}, {16, "8"}};
    TagMap micDisplays{{21, "85,0,7"}, {46, "84,0,8"}};
    for (int p = 0; p < 7; ++p) {
        micMarkers[p] = QString::number(p);
        for (int f = 0; f < 3; ++f) {
            micDisplays[3 * p + f] = QStringLiteral("%1,%2,%3").arg(0x57 + p).arg(f).arg(p);
        }
    }
    QTest::newRow("microphone 3") << 2 << 9 << micMarkers << micDisplays << QList<int>{7} << "&H56";

    TagMap effectMarkers{{0, "0"}, {1, "1"}, {2, "2"}, {3, "3"}, {16, "4"}};
    TagMap effectDisplays{{9, "130,0,3"}, {46, "135,0,4"}};
    for (int p = 0; p < 3; ++p) {
        for (int f = 0; f < 3; ++f) {
            effectDisplays[3 * p + f] = QStringLiteral("%1,%2,%3").arg(0x89 + p).arg(f).arg(p);
        }
    }
    QTest::newRow("effect") << 3 << 5 << effectMarkers << effectDisplays << QList<int>{3} << "&H88";

    QTest::newRow("bass") << 6 << 2 << TagMap{{0, "0"}, {16, "1"}} << TagMap{{0, "29,0,0"}, {46, "28,0,1"}}
                          << QList<int>{0} << "&H1E";
}

void TestNavigation::ChannelBindsItsPointGrid() {
    QFETCH(int, channel);
    QFETCH(int, pointCount);
    QFETCH(TagMap, markers);
    QFETCH(TagMap, displays);
    QFETCH(QList<int>, highCutMarkers);
    QFETCH(QString, bypassTag);
    const MainControls& c = world_->C();
    // Start from another channel, with another point selected, so that everything has to change.
    world_->Window->Navigation().btnMode_Click(channel == 0 ? 3 : 0);
    world_->Window->Navigation().btnRight1_Click();
    emit c.btnMode[size_t(channel)]->Click();

    QCOMPARE(world_->Model().CurrentChannel, uint8_t(channel));
    QCOMPARE(world_->Context.Eq.PointCount, pointCount);
    QCOMPARE(world_->Context.Eq.SelectedPoint, 0);
    QCOMPARE(c.btnEQByPass->TagNew(), bypassTag);
    for (int i = 0; i < int(c.btnShowDot1.size()); ++i) {
        const SimpControl* marker = c.btnShowDot1[size_t(i)];
        QCOMPARE(marker->TagNew(), markers.value(i));
        QCOMPARE(!marker->isHidden(), markers.contains(i));
        QCOMPARE(marker->UserHightCutPic(), highCutMarkers.contains(i));
        QCOMPARE(marker->Value(), markers.value(i) == u"0" ? 1 : 0);
    }
    const ParamModel& model = world_->Model();
    for (int i = 0; i < int(c.ShowNumberDot.size()); ++i) {
        const ShowNumber* display = c.ShowNumberDot[size_t(i)];
        QCOMPARE(display->TagNew(), displays.value(i));
        QCOMPARE(!display->isHidden(), displays.contains(i));
        if (displays.contains(i) && displays.value(i).section(u',', 1, 1) == u"0") {
            const int address = displays.value(i).section(u',', 0, 0).toInt();
            QCOMPARE(display->Value(), int(FreqIndexToHz(model.Store.at(0, address).DATA1)));
        }
    }
}

void TestNavigation::ChannelButtonsShowOnlyTheChosenOne() {
    const MainControls& c = world_->C();
    c.btnParaShow->SetValue(1);
    c.Text1->show();
    world_->Window->Navigation().btnMode_Click(6);
    for (int i : {0, 2, 3, 6}) {
        QCOMPARE(c.btnMode[size_t(i)]->Value(), i == 6 ? 1 : 0);
    }
    QCOMPARE(c.btnParaShow->Value(), 0);
    QVERIFY(c.Text1->isHidden());
    // Indicator: 7200 twips at design scale, scaled by the window height (720 of 900).
    QCOMPARE(c.btnShowSub1->x(), 384);
    // It keeps its place through a resize.
    world_->Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(world_->Window.get()));
    world_->Window->resize(1582, 900);
    QTRY_COMPARE(c.btnShowSub1->x(), 480);
}

void TestNavigation::PointButtonsWrapAround() {
    const MainControls& c = world_->C();
    Navigator& nav = world_->Window->Navigation();
    nav.btnLeft1_Click();
    QCOMPARE(world_->Context.Eq.SelectedPoint, 7); // the music low-cut
    QCOMPARE(c.btnShowDot1[16]->Value(), 1);
    QCOMPARE(c.btnShowDot1[0]->Value(), 0);
    QCOMPARE(c.btnShowPointN->Value(), 34); // low-cut, offline picture
    QCOMPARE(c.MKnobFreq->Value(), 0);      // music low-cut default index
    QVERIFY(c.tmrDrawWave->isActive());
    nav.btnRight1_Click();
    QCOMPARE(world_->Context.Eq.SelectedPoint, 0);
    QCOMPARE(c.MKnobFreq->Value(), 19);
    QCOMPARE(c.btnShowPointN->Value(), 18);
    nav.btnRight1_Click();
    QCOMPARE(world_->Context.Eq.SelectedPoint, 1);
    QCOMPARE(c.MKnobFreq->Value(), 44);
}

void TestNavigation::SelectPointMarksThePoint() {
    const MainControls& c = world_->C();
    world_->Window->Navigation().SelectPoint(2);
    QCOMPARE(c.btnShowDot1[2]->Value(), 1);
    QCOMPARE(c.btnShowDot1[0]->Value(), 0);
    QCOMPARE(c.MKnobFreq->Value(), 71);
    QCOMPARE(c.MKnobQ->Value(), 14);
    QVERIFY(c.tmrDrawWave->isActive());
    // Offline pictures, then online ones once the processor answers.
    QCOMPARE(c.btnShowPointN->Value(), 20);
    QCOMPARE(c.sLine1->Value(), 1);
    QCOMPARE(c.sLine2->Value(), 1);
    QVERIFY(world_->GoOnline());
    QCOMPARE(c.btnShowPointN->Value(), 2);
    QCOMPARE(c.sLine1->Value(), 0);
    QCOMPARE(c.sLine2->Value(), 0);
    QCOMPARE(c.MShowProgress->Value(), 6);
}

void TestNavigation::GroupSteps_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("down");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("group");
    QTest::addColumn<bool>("sent");
    QTest::newRow("up from 3 online") << 3 << false << true << 2 << true;
    QTest::newRow("up from 0 resends 0") << 0 << false << true << 0 << true;
    QTest::newRow("down from 7 resends 7") << 7 << true << true << 7 << true;
    QTest::newRow("down offline") << 2 << true << false << 3 << false;
}

void TestNavigation::GroupSteps() {
    QFETCH(int, start);
    QFETCH(bool, down);
    QFETCH(bool, online);
    QFETCH(int, group);
    QFETCH(bool, sent);
    const MainControls& c = world_->C();
    if (online) {
        QVERIFY(world_->GoOnline());
    }
    world_->Device.ClearRecordings();
    world_->Model().CurrentGroup = uint8_t(start);
    emit(down ? c.btnDown1 : c.btnUp1)->Click();
    QCOMPARE(world_->Model().CurrentGroup, uint8_t(group));
    QCOMPARE(c.btnShowMode->Value(), group);
    QVERIFY((down ? c.btnDown1 : c.btnUp1)->isEnabled());
    QCOMPARE(world_->FramesOf(kCmdSelectGroup), sent ? 1 : 0);
    if (sent) {
        QCOMPARE(world_->Device.ReceivedFrames().back(),
                 BuildFrame(world_->Model(), kCmdSelectGroup, group, 0, 0));
        QCOMPARE(world_->Device.Memory().CurrentGroup, uint8_t(group));
    }
    QVERIFY(world_->Messages.Messages().empty());
}

void TestNavigation::PanelTabsChooseThePanel() {
    const MainControls& c = world_->C();
    Navigator& nav = world_->Window->Navigation();
    const double zoom = world_->Window->ZoomFactor();
    QCOMPARE(zoom, 0.8);
    emit c.btnParaShow->Click();
    QCOMPARE(c.btnParaShow->Value(), 1);
    QVERIFY(!c.Frame2[0]->isHidden());
    QVERIFY(c.Frame1->isHidden());

    // The tab of panel 2 at 15000 twips across, 500 down, in control pixels at this zoom.
    emit c.SimpControl6[0]->MouseDown(1, 0, float(15000 / 15.0 * zoom), float(500 / 15.0 * zoom));
    QCOMPARE(nav.VisiblePanel(), 2);
    QVERIFY(!c.Frame2[2]->isHidden());
    QVERIFY(c.Frame2[0]->isHidden());
    QVERIFY(c.Frame2[1]->isHidden());

    nav.btnMode_Click(3);
    QVERIFY(!c.Frame1->isHidden());
    for (QWidget* panel : c.Frame2) {
        QVERIFY(panel->isHidden());
    }
    nav.btnParaShow_Click();
    QVERIFY(!c.Frame2[2]->isHidden());
    QVERIFY(c.Frame1->isHidden());
}

void TestNavigation::PressOutsideTheTabsDoesNothing() {
    const MainControls& c = world_->C();
    Navigator& nav = world_->Window->Navigation();
    const double zoom = world_->Window->ZoomFactor();
    nav.btnParaShow_Click();
    // Between tab 1 and tab 2, then below the tabs.
    nav.SimpControl6_MouseDown(0, float(14200 / 15.0 * zoom), float(500 / 15.0 * zoom));
    nav.SimpControl6_MouseDown(0, float(11000 / 15.0 * zoom), float(900 / 15.0 * zoom));
    QCOMPARE(nav.VisiblePanel(), 0);
    QVERIFY(!c.Frame2[0]->isHidden());
}

QTEST_MAIN(TestNavigation)
#include "tst_navigation.moc"
