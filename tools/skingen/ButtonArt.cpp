#include "ButtonArt.h"

#include <QFontMetricsF>

namespace korva::skingen {

using namespace style;

QImage DrawButton(const QImage& bed, const ButtonArt& art, Face face) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    const QRectF r = canvas.Rect();
    const QRectF inner = ButtonFace(p, r, face, r.height() < 20 ? 3 : 4);
    const QFont font = Font(art.fontPx, true);
    const double textWidth = art.text.isEmpty() ? 0 : QFontMetricsF(font).horizontalAdvance(art.text);
    const double iconSize = art.text.isEmpty() ? std::min(inner.width(), inner.height()) - 4 : 14;
    const bool hasIcon = art.icon != Icon::None;
    const bool hasLed = art.ledState != 0;
    const double gap = 6;
    double total = textWidth + (hasIcon ? iconSize + (textWidth > 0 ? gap : 0) : 0) + (hasLed ? 8 + gap : 0);
    double x = inner.center().x() - total / 2;
    const double cy = inner.center().y();
    if (hasLed) {
        Led(p, QPointF(x + 3.5, cy), 3.5, art.led, art.ledState == 2);
        x += 8 + gap;
    }
    if (hasIcon) {
        DrawIcon(p, art.icon, QRectF(x, cy - iconSize / 2, iconSize, iconSize), QColor(art.colour));
        x += iconSize + gap;
    }
    if (!art.text.isEmpty()) {
        const QRectF box(x - 2, inner.top(), textWidth + 4, inner.height());
        if (art.glow) {
            GlowText(p, box, Qt::AlignCenter, art.text, font, QColor(art.colour), 50);
        } else {
            Text(p, box, Qt::AlignCenter, art.text, font, QColor(art.colour));
        }
    }
    return canvas.Take();
}

} // namespace korva::skingen
