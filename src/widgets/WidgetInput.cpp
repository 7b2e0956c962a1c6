#include "widgets/WidgetInput.h"

#include <QEvent>
#include <QWidget>

namespace korva {

int ButtonCode(Qt::MouseButtons buttons) {
    int code = 0;
    code |= buttons.testFlag(Qt::LeftButton) ? 1 : 0;
    code |= buttons.testFlag(Qt::RightButton) ? 2 : 0;
    code |= buttons.testFlag(Qt::MiddleButton) ? 4 : 0;
    return code;
}

int ShiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    code |= modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0;
    code |= modifiers.testFlag(Qt::ControlModifier) ? 2 : 0;
    code |= modifiers.testFlag(Qt::AltModifier) ? 4 : 0;
    return code;
}

bool SwallowWhenDisabled(const QWidget& widget, QEvent* event) {
    if (widget.isEnabled()) {
        return false;
    }
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        event->accept();
        return true;
    default:
        return false;
    }
}

} // namespace korva
