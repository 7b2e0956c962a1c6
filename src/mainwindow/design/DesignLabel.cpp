#include "mainwindow/design/DesignLabel.h"

#include "widgets/WidgetInput.h"

#include <QMouseEvent>

namespace korva {

DesignLabel::DesignLabel(QWidget* parent) : QLabel(parent) {}

void DesignLabel::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

void DesignLabel::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    emit MouseMove(ButtonCode(event->buttons()), ShiftCode(event->modifiers()), float(p.x()), float(p.y()));
}

} // namespace korva
