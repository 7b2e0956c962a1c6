#include "mainwindow/graph/GraphView.h"

#include "widgets/WidgetInput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace korva {

namespace {

constexpr int kWheelNotch = 120;

bool IsCursorKey(int key) {
    return key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down;
}

} // namespace

GraphView::GraphView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void GraphView::SetBackColor(int color) {
    backColor_ = color;
    update();
}

void GraphView::SetFrame(const QImage* frame) {
    frame_ = frame;
    update();
}

bool GraphView::event(QEvent* event) {
    const bool screenChanged = event->type() == QEvent::ScreenChangeInternal
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
                               || event->type() == QEvent::DevicePixelRatioChange
#endif
        ;
    const bool handled = QWidget::event(event);
    if (screenChanged) {
        emit ScreenChanged();
    }
    return handled;
}

void GraphView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(QRgb(backColor_)));
    if (frame_ && !frame_->isNull()) {
        painter.drawImage(0, 0, *frame_);
    }
}

void GraphView::mousePressEvent(QMouseEvent* event) {
    // With a context menu installed the right button opens it, and only that: it neither grabs nor steps
    // the selected point.
    if (event->button() == Qt::RightButton && contextMenuPolicy() == Qt::CustomContextMenu) {
        return;
    }
    const QPointF p = event->position();
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void GraphView::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void GraphView::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseUp(ButtonCode(event->button()), ShiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void GraphView::mouseDoubleClickEvent(QMouseEvent*) {
    // The second press of a double-click is reported as the double-click alone, not as another press:
    // press, release, double-click, release.
    emit DblClick();
}

void GraphView::keyPressEvent(QKeyEvent* event) {
    emit KeyDown(event->key(), ShiftCode(event->modifiers()));
    if (!IsCursorKey(event->key())) {
        event->ignore(); // the window's own keys still reach it
    }
}

void GraphView::wheelEvent(QWheelEvent* event) {
    if (!wheelHooked_) {
        event->ignore();
        return;
    }
    const QPoint delta = event->angleDelta();
    const bool plain = event->buttons() == Qt::NoButton && event->modifiers() == Qt::NoModifier;
    if (plain && delta.x() == 0 && (delta.y() == kWheelNotch || delta.y() == -kWheelNotch)) {
        emit WheelNotch(delta.y() < 0);
    }
    event->accept(); // several notches at once, or a notch with a key held, do nothing at all
}

} // namespace korva
