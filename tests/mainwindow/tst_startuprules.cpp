#include "mainwindow/editing/NavigationRules.h"
#include "mainwindow/StartupRules.h"

#include <QTest>

using namespace korva;

class TestStartupRules : public QObject {
    Q_OBJECT
private slots:
    void WindowSizeFollowsTheScreenTable_data();
    void WindowSizeFollowsTheScreenTable();
    void OnlyNinetySixDpiPasses_data();
    void OnlyNinetySixDpiPasses();
    void DpiWarningIsTheFourParagraphs();
    void PointGridPositions_data();
    void PointGridPositions();
    void PanelTabs_data();
    void PanelTabs();
    void PointsWrapAround();
    void SelectionIndicatorStates_data();
    void SelectionIndicatorStates();
    void ChannelIndicatorTable();
};

void TestStartupRules::WindowSizeFollowsTheScreenTable_data() {
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("width");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << 900 << 1582;
    QTest::newRow("1366x768") << QSize(1366, 768) << 720 << 1266;
    QTest::newRow("1440x900") << QSize(1440, 900) << 800 << 1406;
    QTest::newRow("1400x1050") << QSize(1400, 1050) << 780 << 1371;
    QTest::newRow("1280x1024 other") << QSize(1280, 1024) << 901 << 1584;
    QTest::newRow("1920x1200 other") << QSize(1920, 1200) << 1056 << 1856;
    // Same height as a table row but another width: not in the table.
    QTest::newRow("1280x768 other") << QSize(1280, 768) << 676 << 1188;
}

void TestStartupRules::WindowSizeFollowsTheScreenTable() {
    QFETCH(QSize, screen);
    QFETCH(int, height);
    QFETCH(int, width);
    QCOMPARE(WindowHeightForScreen(screen), height);
    QCOMPARE(WindowWidthForHeight(height), width);
}

void TestStartupRules::OnlyNinetySixDpiPasses_data() {
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("twips");
    QTest::addColumn<bool>("passes");
    QTest::newRow("96") << 96.0 << 15 << true;
    QTest::newRow("120") << 120.0 << 12 << false;
    QTest::newRow("144") << 144.0 << 10 << false;
    QTest::newRow("72") << 72.0 << 20 << false;
}

void TestStartupRules::OnlyNinetySixDpiPasses() {
    QFETCH(double, dpi);
    QFETCH(int, twips);
    QFETCH(bool, passes);
    QCOMPARE(TwipsPerPixel(dpi), twips);
    QCOMPARE(IsStandardDpi(twips), passes);
}

void TestStartupRules::DpiWarningIsTheFourParagraphs() {
    const QString crlf2 = QStringLiteral("\r\n\r\n");
    const QString expected =
        QStringLiteral("应用程序检测到您的电脑的当前DPI设置为120或其它值（正常情况下是96DPI），本程序在非96DP"
                       "I下显示可能不"
                       "正常，因此建议将系统DPI更改为96DPI。") +
        crlf2 +
        QStringLiteral("XP系统请按下面方法更改： "
                       "在“桌面”上点击右键，选择“属性”，在“设置”选项卡上点“高级”，然后在“常规”选项"
                       "卡上将DPI设置改为“正常尺寸（96DPI）”，重新启动电脑即可") +
        crlf2 +
        QStringLiteral("Win7系统请按下面方法更改： "
                       "在“桌面”上点击右键，选择“屏幕分辨率”，在下边的任务项处点击“放大或缩小文本"
                       "和其它项目”然后选择较小(100%)默认，注销即可") +
        crlf2 + QStringLiteral("点击确定退出应用程序。");
    QCOMPARE(DpiWarningText(), expected);
}

void TestStartupRules::PointGridPositions_data() {
    QTest::addColumn<bool>("isButton");
    QTest::addColumn<int>("index");
    QTest::addColumn<QPoint>("twips");
    QTest::newRow("display 0") << false << 0 << QPoint(2520, 1600);
    QTest::newRow("display 1") << false << 1 << QPoint(2520, 2500);
    QTest::newRow("display 5") << false << 5 << QPoint(3440, 3330);
    QTest::newRow("display 42") << false << 42 << QPoint(15400, 1600);
    QTest::newRow("display 44") << false << 44 << QPoint(15400, 3330);
    QTest::newRow("display 45 right column") << false << 45 << QPoint(16360, 1600);
    QTest::newRow("display 46 low-cut column") << false << 46 << QPoint(1600, 1600);
    QTest::newRow("button 0") << true << 0 << QPoint(2560, 600);
    QTest::newRow("button 14") << true << 14 << QPoint(15440, 600);
    QTest::newRow("button 15") << true << 15 << QPoint(16400, 600);
    QTest::newRow("button 16") << true << 16 << QPoint(1640, 600);
}

void TestStartupRules::PointGridPositions() {
    QFETCH(bool, isButton);
    QFETCH(int, index);
    QFETCH(QPoint, twips);
    QCOMPARE(isButton ? PointButtonPosition(index) : PointDisplayPosition(index), twips);
}

void TestStartupRules::PanelTabs_data() {
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<int>("panel"); // -1: no tab
    QTest::newRow("tab 0 left edge") << 10725.0 << 270.0 << 0;
    QTest::newRow("tab 0 right edge excluded") << 12360.0 << 500.0 << -1;
    QTest::newRow("tab 1") << 12510.0 << 825.0 << 1;
    QTest::newRow("tab 2") << 15989.9 << 600.0 << 2;
    QTest::newRow("between tabs") << 14200.0 << 600.0 << -1;
    QTest::newRow("above") << 11000.0 << 269.9 << -1;
    QTest::newRow("below") << 11000.0 << 825.1 << -1;
}

void TestStartupRules::PanelTabs() {
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(int, panel);
    QCOMPARE(PanelTabAt(x, y).value_or(-1), panel);
}

void TestStartupRules::PointsWrapAround() {
    QCOMPARE(PreviousPoint(0, 8), 7);
    QCOMPARE(NextPoint(7, 8), 0);
    QCOMPARE(NextPoint(3, 8), 4);
    QCOMPARE(PreviousPoint(3, 8), 2);
    QCOMPARE(NextPoint(0, 0), 0);
    QCOMPARE(PreviousPoint(0, 0), 0);
}

void TestStartupRules::SelectionIndicatorStates_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("band");
    QTest::addColumn<bool>("online");
    QTest::addColumn<int>("state");
    QTest::newRow("band 3 online") << 0 << 3 << true << 3;
    QTest::newRow("band 3 offline") << 0 << 3 << false << 21;
    QTest::newRow("band 14 offline") << 0 << 14 << false << 32;
    QTest::newRow("high-cut online") << 1 << 0 << true << 15;
    QTest::newRow("high-cut offline") << 1 << 0 << false << 33;
    QTest::newRow("low-cut online") << 2 << 7 << true << 16;
    QTest::newRow("low-cut offline") << 2 << 7 << false << 34;
}

void TestStartupRules::SelectionIndicatorStates() {
    QFETCH(int, kind);
    QFETCH(int, band);
    QFETCH(bool, online);
    QFETCH(int, state);
    QCOMPARE(PointIndicatorState(kind, band, online), state);
    QCOMPARE(LineIndicatorState(online), online ? 0 : 1);
}

void TestStartupRules::ChannelIndicatorTable() {
    const int expected[] = {1500, 3500, 3300, 5400, 9500, 11240, 7200, 9500, 9500};
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(ChannelIndicatorLeft(i), expected[i]);
    }
}

QTEST_GUILESS_MAIN(TestStartupRules)
#include "tst_startuprules.moc"
