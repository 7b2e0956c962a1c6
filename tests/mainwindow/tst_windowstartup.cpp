#include "TestWorld.h"
#include "design/Twips.h"

#include "mainwindow/admin/CommIndicator.h"
#include "mainwindow/graph/GraphInteraction.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "mainwindow/LayoutScaler.h"
#include "mainwindow/StartupRules.h"
#include "widgets/C_ProgressBar.h"
#include "widgets/ScrollBar.h"
#include "widgets/ShowNumber.h"
#include "widgets/SimpControl.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

using namespace korva;
using korva::test::TestDesignText;
using korva::test::TestWorld;

class TestWindowStartup : public QObject {
    Q_OBJECT
private slots:
    void EveryControlExistsUnderItsName_data();
    void EveryControlExistsUnderItsName();
    void LoadLeavesTheDocumentedState();
    void WindowSizeFollowsTheScreen_data();
    void WindowSizeFollowsTheScreen();
    void WindowFitsTheAvailableScreen_data();
    void WindowFitsTheAvailableScreen();
    void ResizeKeepsProportions();
    void DisplayNotAt96DpiEndsTheProgram();
    void FirstActivationOnly();
    void FirstActivationConnectsToTheProcessor();
    void ShownButNeverActivatedGoesOnline();
    void WheelNotchesOverTheGraph_data();
    void WheelNotchesOverTheGraph();
    void CloseOfflineIsImmediate();
    void CloseWhileBusyRetriesByItself();
    void ClosingClosesOwnedWindows();
    void DesignErrorsNameTheirLine_data();
    void DesignErrorsNameTheirLine();
};

void TestWindowStartup::EveryControlExistsUnderItsName_data() {
    QTest::addColumn<QString>("design");
    QTest::newRow("test design") << TestDesignText();
    QTest::newRow("program design") << frmEQ::DefaultDesignText();
}

void TestWindowStartup::EveryControlExistsUnderItsName() {
    QFETCH(QString, design);
    TestWorld world;
    QVERIFY2(world.Create(design), qPrintable(world.Error));
    const QStringList names = {"btnUp1",
                               "btnDown1",
                               "btnShowMode",
                               "btnLeft1",
                               "btnRight1",
                               "btnParaShow",
                               "btnShowSub1",
                               "btnEQByPass",
                               "btnInput",
                               "btnShowStartMode",
                               "btnFBX",
                               "btnLock",
                               "btnUp2",
                               "btnDown2",
                               "btnReset",
                               "btnSave",
                               "btnImport",
                               "btnUpload",
                               "btnClose",
                               "btnShowPointN",
                               "sLine1",
                               "sLine2",
                               "SimpControl2",
                               "SimpControl4",
                               "SimpControl7",
                               "MShowProgress",
                               "MKnobFreq",
                               "MKnobDb",
                               "MKnobQ",
                               "ScrollTone",
                               "C_ProgressBar1",
                               "Frame1",
                               "Picture1",
                               "Text1",
                               "Label1",
                               "Check2",
                               "btnMode(0)",
                               "btnMode(2)",
                               "btnMode(3)",
                               "btnMode(6)",
                               "MyScrollBar(0)",
                               "MyScrollBar(27)",
                               "MyNumber(25)",
                               "MyButton(7)",
                               "ShowNumberDot(46)",
                               "btnShowDot1(16)",
                               "btnSaveMode(1)",
                               "btnModeChange(1)",
                               "btnStartModeI(1)",
                               "btnStartModeD(1)",
                               "SimpControl6(2)",
                               "Frame2(2)"};
    for (const QString& name : names) {
        QWidget* widget = world.Window->findChild<QWidget*>(name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(world.Window->Registry().Find(name), widget);
    }
    for (const char* name :
         {"CommConnect", "tmrKeepConnect", "tmrConnectTimeOut", "TimeOuter", "TimeOuter1", "timerToneReset",
          "tmrDrawWave", "tmrMoveTimeout", "tmrEnd", "Timer1", "Timer6", "Timer7"}) {
        auto* timer = world.Window->Registry().Get<QTimer>(QLatin1String(name));
        QVERIFY2(timer, name);
        QCOMPARE(timer->objectName(), QLatin1String(name));
    }
    // The undo history's burst timer is the window's tmrMoveTimeout.
    QCOMPARE(world.C().tmrMoveTimeout, &world.Context.Undo.tmrMoveTimeout);
    // Timers as designed: only the keep-alive runs from the start.
    QVERIFY(world.C().tmrKeepConnect->isActive());
    QVERIFY(!world.C().CommConnect->isActive());
    QCOMPARE(world.C().CommConnect->interval(), 100);
    QCOMPARE(world.C().tmrDrawWave->interval(), 1);
    // Loaded at the design size, the graph's canvas is the design canvas.
    QVERIFY(world.Window->FormLoad());
    QCOMPARE(world.Window->Graph().Renderer().Frame().size(), QSize(1547, 382));
}

void TestWindowStartup::LoadLeavesTheDocumentedState() {
    TestWorld world;
    world.Context.Model.CurrentGroup = 5;
    world.Context.Link.Log().SetLogSyncWords(false);
    QVERIFY2(world.Load(), qPrintable(world.Error));
    const MainControls& c = world.C();
    const ParamModel& model = world.Model();
    QCOMPARE(model.Store.at(5, 0x44), (ParamRecord{4, 75, 14}));
    QCOMPARE(model.Store.at(0, 0xC5).DATA1, uint8_t(20));
    QCOMPARE(model.CurrentChannel, uint8_t(0));
    QCOMPARE(world.Context.Undo.UndoPosition(), -1);
    QCOMPARE(c.btnMode[0]->Value(), 1);
    QVERIFY(!c.Frame1->isHidden());
    for (QWidget* panel : c.Frame2) {
        QVERIFY(panel->isHidden());
        QCOMPARE(TwipsToPixels(*world.Window->Layout().DesignRect(panel)).topLeft(), QPoint(24, 596));
    }
    QCOMPARE(c.Picture1->BackColor(), 0xD3D3D3);
    QVERIFY(world.Context.Link.Log().LogSyncWords());
    QVERIFY(world.Window->Graph().Renderer().IsLaidOut());
    // Bound controls show the defaults.
    QCOMPARE(c.MyScrollBar[25]->Value(), 20);
    QCOMPARE(c.MyNumber[1]->Value(), 230);
    // Nothing connects before the window is shown.
    QVERIFY(!c.CommConnect->isActive());
    QVERIFY(!world.Window->WasActivated());
    QVERIFY(world.Messages.Messages().empty());
}

void TestWindowStartup::WindowSizeFollowsTheScreen_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1582, 900);
    QTest::newRow("1366x768") << QSize(1366, 768) << QSize(1266, 720);
    QTest::newRow("1280x1024") << QSize(1280, 1024) << QSize(1584, 901);
}

void TestWindowStartup::WindowSizeFollowsTheScreen() {
    QFETCH(QSize, screen);
    QFETCH(QSize, window);
    TestWorld world;
    world.Context.Display.ScreenPx = screen;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    QCOMPARE(world.Window->size(), window);
    QCOMPARE(world.Window->ZoomFactor(), window.height() / 900.0);
    QCOMPARE(world.C().Text1->font().pointSizeF(), 12 * window.height() / 900.0);
    // The graph is laid out at Picture1's scaled width.
    QCOMPARE(world.Window->Graph().Renderer().Frame().width(), world.C().Picture1->width());
}

void TestWindowStartup::WindowFitsTheAvailableScreen_data() {
    // Screens in logical pixels, as the window system reports them under display scaling.
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("window");
    QTest::newRow("1366x768 at 125 %") << QSize(1093, 614) << QRect(0, 0, 1093, 576) << QSize(949, 540);
    QTest::newRow("1920x1080 at 150 %") << QSize(1280, 720) << QRect(0, 0, 1280, 680) << QSize(1114, 634);
    QTest::newRow("1366x768, tall task bar")
        << QSize(1366, 768) << QRect(0, 0, 1366, 700) << QSize(1230, 700);
    QTest::newRow("1366x768, task bar at the left")
        << QSize(1366, 768) << QRect(62, 0, 1304, 768) << QSize(1266, 720);
    // 0.88 of the height would make the window wider than the screen.
    QTest::newRow("1280x1024") << QSize(1280, 1024) << QRect(0, 0, 1280, 984) << QSize(1280, 728);
}

void TestWindowStartup::WindowFitsTheAvailableScreen() {
    QFETCH(QSize, screen);
    QFETCH(QRect, available);
    QFETCH(QSize, window);
    TestWorld world;
    world.Context.Display.ScreenPx = screen;
    world.Context.Display.AvailablePx = available;
    QVERIFY2(world.Load(frmEQ::DefaultDesignText()), qPrintable(world.Error));
    QCOMPARE(world.Window->size(), window);
    QVERIFY(available.contains(world.Window->geometry()));
    // The whole content is inside the window, and the standard controls' texts fit their boxes.
    for (QWidget* child : world.Window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(world.Window->rect().contains(child->geometry()), qPrintable(child->objectName()));
    }
    const MainControls& c = world.C();
    QVERIFY(c.Check2->sizeHint().width() <= c.Check2->width());
    QVERIFY(c.Check2->fontMetrics().height() <= c.Check2->height());
}

void TestWindowStartup::ResizeKeepsProportions() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    world.Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(world.Window.get()));
    world.Window->resize(1266, 720);
    const MainControls& c = world.C();
    QTRY_COMPARE(world.Window->ZoomFactor(), 0.8);
    QCOMPARE(c.Text1->font().pointSizeF(), 12 * 0.8);
    const double h = 1266.0 / 1582;
    QCOMPARE(c.Picture1->geometry(), TwipsToPixels(QRect(270, 1200, 23205, 5730), h, 0.8));
    QCOMPARE(c.ShowNumberDot[5]->geometry(), TwipsToPixels(QRect(3440, 3330, 900, 450), h, 0.8));
    QCOMPARE(c.Frame1->geometry(), TwipsToPixels(QRect(360, 8940, 22950, 4500), h, 0.8));
    // Rounded corners: the corner pixel is cut away, the edge middle is not.
    QVERIFY(!world.Window->mask().contains(QPoint(0, 0)));
    QVERIFY(!world.Window->mask().contains(QPoint(1265, 719)));
    QVERIFY(world.Window->mask().contains(QPoint(633, 0)));
    QVERIFY(world.Window->mask().contains(QPoint(20, 20)));
    QCOMPARE(world.Window->Graph().Renderer().Frame().width(), c.Picture1->width());
}

void TestWindowStartup::DisplayNotAt96DpiEndsTheProgram() {
    TestWorld world;
    world.Context.Display.TwipsPerPixelX = 12; // 120 DPI
    world.Context.Display.TwipsPerPixelY = 12;
    const int windowsBefore = int(QApplication::topLevelWidgets().size());
    std::unique_ptr<frmEQ> window = frmEQ::Start(world.Context, TestDesignText());
    QVERIFY(!window);
    QCOMPARE(world.Messages.Messages().size(), size_t(1));
    QCOMPARE(world.Messages.Messages()[0].Icon, MessageIcon::Warning);
    QCOMPARE(world.Messages.Messages()[0].Text, DpiWarningText());
    QVERIFY(world.Messages.Messages()[0].Title.isEmpty()); // the program's default title
    QCOMPARE(int(QApplication::topLevelWidgets().size()), windowsBefore);
    // No other step ran: the store is still all zero.
    QCOMPARE(world.Model().Store.at(0, 0xC5).DATA1, uint8_t(0));
}

void TestWindowStartup::FirstActivationOnly() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    const MainControls& c = world.C();
    world.Window->show();
    world.Window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(world.Window.get()));
    QVERIFY(world.Window->WasActivated());
    QCOMPARE(world.Window->windowTitle(), QStringLiteral("KORVA音响调节器"));
    QVERIFY(c.Picture1->WheelHooked());
    QVERIFY(c.CommConnect->isActive());
    // A later activation starts nothing again.
    c.CommConnect->stop();
    c.Picture1->SetWheelHook(false);
    world.Window->FormActivate();
    QVERIFY(!c.CommConnect->isActive());
    QVERIFY(!c.Picture1->WheelHooked());
}

void TestWindowStartup::FirstActivationConnectsToTheProcessor() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    const MainControls& c = world.C();
    QVERIFY(world.Model().Store.at(0, 0x03) != world.Device.Memory().Store.at(0, 0x03));
    world.Window->FormActivate();
    QVERIFY(c.CommConnect->isActive());
    QCOMPARE(c.CommConnect->interval(), 100);
    QTRY_VERIFY(world.Comm().IsOnline());
    QTRY_VERIFY(!c.C_ProgressBar1->isVisibleTo(world.Window.get()));
    QCOMPARE(c.CommConnect->interval(), 2000);
    QCOMPARE(c.MShowProgress->Value(), 6);
    QCOMPARE(c.sLine1->Value(), 0);
    // The processor's memory is on screen and the undo history starts from it.
    for (int a = 0; a <= 0x28; ++a) {
        QCOMPARE(world.Model().Store.at(0, a), world.Device.Memory().Store.at(0, a));
    }
    const ParamRecord& band = world.Model().Store.at(0, 0x03);
    QCOMPARE(c.ShowNumberDot[0]->Value(), int(FreqIndexToHz(band.DATA1)));
    QCOMPARE(world.Context.Undo.UndoPosition(), -1);
    QVERIFY(world.Window->isEnabled());
    QVERIFY(world.Messages.Messages().empty());
}

namespace {
// No window manager activates the window: its activations never arrive.
class NoActivation : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::WindowActivate; }
};
} // namespace

void TestWindowStartup::ShownButNeverActivatedGoesOnline() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    const MainControls& c = world.C();
    NoActivation noActivation;
    world.Window->installEventFilter(&noActivation);
    world.Window->show();
    QVERIFY(!world.Window->isActiveWindow());
    QCOMPARE(world.Window->windowTitle(), QStringLiteral("KORVA音响调节器"));
    QVERIFY(c.Picture1->WheelHooked());
    QTRY_VERIFY(world.Comm().IsOnline());
    QTRY_VERIFY(!c.C_ProgressBar1->isVisibleTo(world.Window.get()));
    QCOMPARE(c.MShowProgress->Value(), 6);
    QCOMPARE(world.FramesOf(kCmdHandshake), 1);
    // Shown again later (after being minimised, say): nothing starts a second time.
    c.CommConnect->stop();
    world.Window->hide();
    world.Window->show();
    QVERIFY(!c.CommConnect->isActive());
}

void TestWindowStartup::WheelNotchesOverTheGraph_data() {
    QTest::addColumn<bool>("hooked");
    QTest::addColumn<int>("delta");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("steps");
    QTest::addColumn<bool>("down");
    QTest::newRow("notch towards the user") << true << -120 << 0 << true << true;
    QTest::newRow("notch away") << true << 120 << 0 << true << false;
    QTest::newRow("two notches") << true << -240 << 0 << false << false;
    QTest::newRow("half notch") << true << 60 << 0 << false << false;
    QTest::newRow("with ctrl") << true << -120 << int(Qt::ControlModifier) << false << false;
    QTest::newRow("before activation") << false << -120 << 0 << false << false;
}

void TestWindowStartup::WheelNotchesOverTheGraph() {
    QFETCH(bool, hooked);
    QFETCH(int, delta);
    QFETCH(int, modifiers);
    QFETCH(bool, steps);
    QFETCH(bool, down);
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    const MainControls& c = world.C();
    if (hooked) {
        world.Window->FormActivate();
    }
    QWheelEvent event(QPointF(100, 100), QPointF(100, 100), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::KeyboardModifiers(modifiers), Qt::NoScrollPhase, false);
    QApplication::sendEvent(c.Picture1, &event);
    QCOMPARE(c.Timer7->isActive(), steps);
    QCOMPARE(world.Window->GraphEditing().WheelDirectionDown, down);
    QCOMPARE(event.isAccepted(), hooked);
}

void TestWindowStartup::CloseOfflineIsImmediate() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    world.Window->show();
    world.Window->FormActivate();
    const MainControls& c = world.C();
    c.timerToneReset->start();
    c.tmrConnectTimeOut->start();
    // The log window is open (key "w") and refreshing.
    QTest::keyClick(world.Window.get(), Qt::Key_W);
    CommIndicator* log = world.Window->LogWindow();
    QVERIFY(log && log->isVisible());
    QVERIFY(log->Timer1().isActive());
    emit c.btnClose->Click();
    QVERIFY(!world.Window->isVisible());
    QVERIFY(world.Messages.Messages().empty());
    QVERIFY(world.Comm().AppClosing());
    QVERIFY(!log->Timer1().isActive());
    QVERIFY(!log->isVisible());
    for (QTimer* timer :
         {c.CommConnect, c.tmrKeepConnect, c.tmrConnectTimeOut, c.timerToneReset, c.TimeOuter}) {
        QVERIFY2(!timer->isActive(), qPrintable(timer->objectName()));
    }
    QVERIFY(!world.Window->Graph().Renderer().IsLaidOut());
    QVERIFY(world.Window->mask().isEmpty());
}

void TestWindowStartup::CloseWhileBusyRetriesByItself() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    world.Window->show();
    QVERIFY(world.GoOnline());
    // A write that the processor never answers is waiting when the user closes the window.
    world.Device.SetSilent(true);
    bool sent = true;
    bool closed = true;
    bool tmrEndStarted = false;
    QTimer::singleShot(0, [&] { sent = world.Comm().SendCommand(0, 0, 0xC5, 20, 1000); });
    QTimer::singleShot(50, [&] {
        QVERIFY(world.Comm().LinkBusy());
        closed = world.Window->close();
        tmrEndStarted = world.C().tmrEnd->isActive();
    });
    QTRY_VERIFY(!world.Window->isVisible());
    QVERIFY(!closed);
    QVERIFY(tmrEndStarted);
    QVERIFY(!sent);
    // One message, the stop message; the close completed by itself.
    QCOMPARE(world.Messages.Messages().size(), size_t(1));
    QCOMPARE(world.Messages.Messages()[0].Text, frmEQ::ClosingWhileBusyText());
    QCOMPARE(world.Messages.Messages()[0].Icon, MessageIcon::Warning);
    QVERIFY(!world.C().tmrEnd->isActive());
}

void TestWindowStartup::ClosingClosesOwnedWindows() {
    TestWorld world;
    QVERIFY2(world.Load(), qPrintable(world.Error));
    world.Window->show();
    auto* log = new QWidget(world.Window.get(), Qt::Window);
    auto* dialog = new QWidget(world.Window.get(), Qt::Dialog);
    QWidget stranger; // another program window not owned by this one stays
    log->show();
    dialog->show();
    stranger.show();
    world.Window->close();
    QVERIFY(!log->isVisible());
    QVERIFY(!dialog->isVisible());
    QVERIFY(stranger.isVisible());
}

void TestWindowStartup::DesignErrorsNameTheirLine_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QString>("mentions");
    QTest::newRow("missing control") << "[btnUp2]"
                                     << "[btnUpTwo]"
                                     << "btnUp2";
    QTest::newRow("unknown window property") << "BackPic=101\n"
                                             << "BackPic=101\nCaption=KORVA\n"
                                             << "Caption";
    QTest::newRow("wrong type") << "[Check2]\nType=CheckBox"
                                << "[Check2]\nType=Label"
                                << "Check2";
    QTest::newRow("unknown property") << "[btnClose]\nType=SimpControl\nRect=22800,100,600,400\nPics=103"
                                      << "[btnClose]\nType=SimpControl\nRect=22800,100,600,400\nPicz=103"
                                      << "Picz";
    QTest::newRow("bad number") << "MaxValue=241"
                                << "MaxValue=lots"
                                << "lots";
    QTest::newRow("bad binding") << "TagNew=Group,&H80\n"
                                 << "TagNew=Groop,&H80\n"
                                 << "Groop";
    QTest::newRow("pair with two addresses") << "[MyButton(1)]\nType=SimpControl\nParent=Frame2(1)\n"
                                                "Rect=15900,1200,800,400\nPics=160\nTagNew=&H14"
                                             << "[MyButton(1)]\nType=SimpControl\nParent=Frame2(1)\n"
                                                "Rect=15900,1200,800,400\nPics=160\nTagNew=&H15"
                                             << "MyButton(1)";
    QTest::newRow("timer with a widget property") << "Interval=10\nEnabled=0\n"
                                                  << "Interval=10\nPics=1\n"
                                                  << "Pics";
}

void TestWindowStartup::DesignErrorsNameTheirLine() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QString, mentions);
    QString design = TestDesignText();
    QVERIFY2(design.contains(from), qPrintable(from));
    design.replace(design.indexOf(from), from.size(), to);
    TestWorld world;
    QVERIFY(!world.Create(design));
    QVERIFY2(world.Error.contains(mentions), qPrintable(world.Error));
    // Errors in a property or binding name the line they are on.
    const qsizetype at = design.indexOf(to);
    const int line = int(design.left(at).count(u'\n')) + 1 + int(to.left(to.indexOf(mentions)).count(u'\n'));
    if (!mentions.contains(u'(') && mentions != u"btnUp2" && mentions != u"Check2") {
        QVERIFY2(world.Error.contains(QStringLiteral("第 %1 行").arg(line)), qPrintable(world.Error));
    }
}

QTEST_MAIN(TestWindowStartup)
#include "tst_windowstartup.moc"
