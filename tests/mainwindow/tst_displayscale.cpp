// The main window on a display at 200 % (the test runs with Qt's scale factor 2): it is drawn at device
// resolution, and presses the window system reports in device pixels reach the controls at the same
// logical positions as at 100 %.
#include "eq/GraphLayout.h"
#include "mainwindow/AppContext.h"
#include "RecordingMessageService.h"
#include "mainwindow/frmEQ.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "sim/VirtualProcessor.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QTest>
#include <QWindow>

using namespace korva;

class TestDisplayScale : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void WindowIsDrawnAtDevicePixels();
    void PressesLandAtLogicalPositions_data();
    void PressesLandAtLogicalPositions();

private:
    // Presses (and moves, and lets go) through the window system, which converts from device pixels.
    void PressAndDrag(QWidget* widget, QPoint from, QPoint to) {
        QWindow* window = window_->windowHandle();
        QTest::mousePress(window, Qt::LeftButton, {}, widget->mapTo(window_.get(), from));
        QTest::mouseMove(window, widget->mapTo(window_.get(), to));
        QTest::mouseRelease(window, Qt::LeftButton, {}, widget->mapTo(window_.get(), to));
    }

    RecordingMessageService messages_;
    sim::VirtualProcessor device_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<frmEQ> window_;
};

void TestDisplayScale::init() {
    context_ = std::make_unique<AppContext>(messages_, device_);
    context_->Display.DevicePixelRatio = 2;
    window_ = frmEQ::Start(*context_, frmEQ::DefaultDesignText());
    QVERIFY(window_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    QCOMPARE(window_->devicePixelRatioF(), 2.0);
    QCOMPARE(window_->size(), QSize(1582, 900));
}

void TestDisplayScale::cleanup() {
    window_.reset();
    context_.reset();
}

void TestDisplayScale::WindowIsDrawnAtDevicePixels() {
    const QPixmap shot = window_->grab();
    QCOMPARE(shot.size(), QSize(3164, 1800));
    const QImage& frame = window_->Graph().Renderer().Frame();
    QCOMPARE(frame.size(), QSize(2 * 1547, 2 * 382));
    QCOMPARE(frame.deviceIndependentSize().toSize(), window_->Controls().Picture1->size());
}

void TestDisplayScale::PressesLandAtLogicalPositions_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QPoint>("from"); // in the control, logical pixels
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<int>("expected");
    // The gain knob's thumb sits in the middle (0 dB); dragged to the left end it reads -15 dB.
    QTest::newRow("slider thumb") << "MKnobDb" << QPoint(156, 18) << QPoint(0, 18) << 150;
    // Music band 4 (slot 3) at 1 kHz, 0 dB has its marker at (890, 180) of the graph.
    QTest::newRow("graph point") << "Picture1" << QPoint(890, 180) << QPoint(890, 180) << 3;
    QTest::newRow("image button") << "btnMode(3)" << QPoint(10, 10) << QPoint(10, 10) << 3;
}

void TestDisplayScale::PressesLandAtLogicalPositions() {
    QFETCH(QString, control);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(int, expected);
    QWidget* widget = window_->findChild<QWidget*>(control);
    QVERIFY(widget && widget->isVisible());
    PressAndDrag(widget, from, to);
    if (auto* slider = qobject_cast<ScrollBar*>(widget)) {
        QCOMPARE(slider->Value(), expected);
    } else if (qobject_cast<SimpControl*>(widget)) {
        QCOMPARE(int(context_->Model.CurrentChannel), expected);
    } else {
        QCOMPARE(context_->Eq.SelectedPoint, expected);
        QCOMPARE(MarkerCentre(context_->Eq.Geometry, context_->Eq.Points[3]), from); // not moved
    }
}

QTEST_MAIN(TestDisplayScale)
#include "tst_displayscale.moc"
