#include "widgets/ScrollBarGeometry.h"

#include "widgets/Nearest.h"

#include <algorithm>

namespace korva {

double ScrollBarGeometry::ThumbCentre(int position) const {
    if (maxValue <= 0) {
        return minPos;
    }
    return minPos + double((maxPos - minPos) * position) / maxValue;
}

QRectF ScrollBarGeometry::ThumbRect(int position, QSizeF size) const {
    const double t = ThumbCentre(position);
    if (displayType == 0) {
        return QRectF((t - size.width() / 2) * scale, stableOtherPos * scale, size.width() * scale,
                      size.height() * scale);
    }
    if (displayType == 1) {
        return QRectF(stableOtherPos * scale, (t - size.height() / 2) * scale, size.width() * scale,
                      size.height() * scale);
    }
    return QRectF();
}

bool ScrollBarGeometry::HitsThumb(int position, QPointF pixel) const {
    if (displayType != 0 && displayType != 1) {
        return false;
    }
    const QRectF thumb = ThumbRect(position);
    return pixel.x() >= thumb.left() && pixel.x() <= thumb.right() && pixel.y() >= thumb.top() &&
           pixel.y() <= thumb.bottom();
}

int ScrollBarGeometry::PositionAt(QPointF pixel) const {
    if (maxPos == minPos || scale <= 0) {
        return 0;
    }
    const double p = (displayType == 1 ? pixel.y() : pixel.x()) / scale;
    const int position = Nearest((p - minPos) * maxValue / (maxPos - minPos));
    return std::clamp(position, 0, std::max(maxValue, 0));
}

int ScrollBarGeometry::ValueAt(int position) const {
    int v = inverted ? maxValue - position : position;
    if (isQ) {
        v = v >= 30 ? 4 * v - 89 : v + 1;
    }
    return v;
}

int ScrollBarGeometry::PositionFor(int value) const {
    int v = std::clamp(value, 0, 255);
    if (isQ) {
        // Q indices above 30 come in steps of 4 (31, 35 .. 75); between them the nearest step is taken.
        v = v == 0 ? 0 : v > 30 ? Nearest((v - 15) / 4.0 + 26) : v - 1;
    }
    v = std::min(v, std::max(maxValue, 0));
    return inverted ? maxValue - v : v;
}

} // namespace korva
