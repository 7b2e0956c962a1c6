#include "TestWorld.h"

#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "widgets/SimpControl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace korva;
using korva::test::TestWorld;

class TestGraphWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void GridSitsWhereTheAxesSay();
    void CentreChannelCurveIsFlatUpTo22kHz();
    void BypassOverlayFollowsTheSwitch();
    void RequestsAreCoalescedIntoOneRedraw();
    void Picture1PaintsTheFrame();
    void UnloadReleasesTheGraph();
    void DoubleClickIsOnePressAndOneDoubleClick();
    void CursorKeysStayOnTheGraph();

private:
    static bool IsAmber(QRgb pixel) { return qRed(pixel) > 240 && qGreen(pixel) > 170 && qBlue(pixel) < 40; }
    static bool IsPlainBackground(QRgb pixel) { return pixel == qRgb(211, 211, 211); }
    const QImage& Frame() const { return world_->Window->Graph().Renderer().Frame(); }

    std::unique_ptr<TestWorld> world_;
};

void TestGraphWindow::init() {
    world_ = std::make_unique<TestWorld>();
    // A solid overlay picture, so that its place can be checked without the real skin.
    QImage overlay(300, 60, QImage::Format_ARGB32);
    overlay.fill(Qt::red);
    world_->Context.Skin.SetImage(321, overlay);
    QVERIFY2(world_->Load(), qPrintable(world_->Error));
    QCOMPARE(Frame().width(), 1547);
}

void TestGraphWindow::cleanup() {
    world_.reset();
}

void TestGraphWindow::GridSitsWhereTheAxesSay() {
    const QImage& frame = Frame();
    // 1 kHz: a vertical grid line at x = 890, above the curve.
    QVERIFY(!IsPlainBackground(frame.pixel(890, 60)));
    QVERIFY(IsPlainBackground(frame.pixel(889, 60)));
    QVERIFY(IsPlainBackground(frame.pixel(891, 60)));
    // 20 kHz at x = 1508.
    QVERIFY(!IsPlainBackground(frame.pixel(1508, 60)));
    // 0 dB: a horizontal line at y = 180, where nothing else is drawn (left of 20 Hz, right of the labels).
    QVERIFY(!IsPlainBackground(frame.pixel(60, 180)));
    QVERIFY(IsPlainBackground(frame.pixel(60, 179)));
    QVERIFY(IsPlainBackground(frame.pixel(60, 181)));
}

void TestGraphWindow::CentreChannelCurveIsFlatUpTo22kHz() {
    // The centre channel has no button; select it in the model and rebuild its points.
    world_->Model().CurrentChannel = 4;
    world_->Window->RefreshBoundControls(0x40 | 0x20, 255);
    QTRY_VERIFY(!world_->C().tmrDrawWave->isActive());
    const QImage& frame = Frame();
    for (int x : {2, 400, 890, 1400, 1526}) {
        QVERIFY2(IsAmber(frame.pixel(x, 180)), qPrintable(QString::number(x)));
        QVERIFY2(!IsAmber(frame.pixel(x, 176)), qPrintable(QString::number(x)));
    }
    for (int x : {1530, 1540, 1546}) {
        QVERIFY2(!IsAmber(frame.pixel(x, 180)), qPrintable(QString::number(x)));
    }
}

void TestGraphWindow::BypassOverlayFollowsTheSwitch() {
    // Music bypass (0x02) is 0 by default: the overlay covers (620, 200) .. (920, 260).
    QCOMPARE(Frame().pixel(700, 230), qRgb(255, 0, 0));
    QCOMPARE(world_->C().btnEQByPass->Value(), 0);
    world_->Model().Store.at(0, 0x02).DATA1 = 1;
    world_->Window->RefreshBoundControls(0x04 | 0x20, 255);
    QTRY_VERIFY(Frame().pixel(700, 230) != qRgb(255, 0, 0));
    QCOMPARE(world_->C().btnEQByPass->Value(), 1);
    // The switch of another group does not count.
    world_->Model().CurrentGroup = 1;
    world_->Window->RefreshBoundControls(0x20, 255);
    QTRY_COMPARE(Frame().pixel(700, 230), qRgb(255, 0, 0));
}

void TestGraphWindow::RequestsAreCoalescedIntoOneRedraw() {
    GraphPresenter& graph = world_->Window->Graph();
    QTRY_VERIFY(!world_->C().tmrDrawWave->isActive());
    const int before = graph.RedrawCount();
    for (int i = 0; i < 5; ++i) {
        world_->Window->RefreshBoundControls(0x20, 255);
        graph.RequestRedraw();
    }
    QTRY_VERIFY(!world_->C().tmrDrawWave->isActive());
    QCOMPARE(graph.RedrawCount(), before + 1);
}

void TestGraphWindow::Picture1PaintsTheFrame() {
    GraphView* picture = world_->C().Picture1;
    QImage shown(picture->size(), QImage::Format_ARGB32);
    shown.fill(Qt::black);
    picture->render(&shown);
    QCOMPARE(shown.pixel(700, 230), Frame().pixel(700, 230));
    QCOMPARE(shown.pixel(890, 60), Frame().pixel(890, 60));
}

void TestGraphWindow::UnloadReleasesTheGraph() {
    world_->Window->show();
    world_->Window->close();
    QVERIFY(Frame().isNull());
    // A late request draws nothing and does not crash.
    world_->Window->Graph().RequestRedraw();
    world_->Window->Graph().RedrawGraph();
    QVERIFY(Frame().isNull());
}

void TestGraphWindow::DoubleClickIsOnePressAndOneDoubleClick() {
    GraphView view;
    QSignalSpy presses(&view, &GraphView::MouseDown);
    QSignalSpy releases(&view, &GraphView::MouseUp);
    QSignalSpy doubles(&view, &GraphView::DblClick);
    const QPointF at(120.5, 64);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                          Qt::ShiftModifier);
        QApplication::sendEvent(&view, &event);
    }
    QCOMPARE(presses.size(), 1);
    QCOMPARE(releases.size(), 2);
    QCOMPARE(doubles.size(), 1);
    QCOMPARE(presses[0][0].toInt(), 1); // left
    QCOMPARE(presses[0][1].toInt(), 1); // Shift
    QCOMPARE(presses[0][2].toFloat(), 120.5f);
    QCOMPARE(presses[0][3].toFloat(), 64.0f);
}

void TestGraphWindow::CursorKeysStayOnTheGraph() {
    GraphView view;
    QSignalSpy keys(&view, &GraphView::KeyDown);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(&view, &down);
    QVERIFY(down.isAccepted());
    // Other keys are reported and then left to the window (its hidden keys).
    QKeyEvent q(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("q"));
    QApplication::sendEvent(&view, &q);
    QVERIFY(!q.isAccepted());
    QCOMPARE(keys.size(), 2);
    QCOMPARE(keys[0][0].toInt(), int(Qt::Key_Down));
}

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
