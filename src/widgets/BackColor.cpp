#include "widgets/BackColor.h"

#include <QPainter>

namespace korva {

void ClearBackColor(QPainter& painter, const QRect& rect, int backColor) {
    if (IsOpaqueBackColor(backColor)) {
        painter.fillRect(rect, QColor::fromRgb(QRgb(backColor) | 0xFF000000u));
    }
}

} // namespace korva
