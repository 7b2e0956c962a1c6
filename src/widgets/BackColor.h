#pragma once
// The BackColor of the image button and the digit display: 0xRRGGBB, cleared fully opaque under the
// pictures. Negative values (system colours in the old designer) clear nothing, so the parent shows through.

#include <QRect>

class QPainter;

namespace korva {

inline bool IsOpaqueBackColor(int backColor) {
    return backColor >= 0;
}

void ClearBackColor(QPainter& painter, const QRect& rect, int backColor);

} // namespace korva
