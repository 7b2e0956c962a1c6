#include "GraphSkin.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

namespace korva {

QFont SkinTextFont(const QString& text) {
    const bool cjkFirst = !text.isEmpty() && text.front().unicode() > 0x7F;
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(cjkFirst ? 18 : 12);
    font.setBold(cjkFirst);
    return font;
}

void GraphSkin::DrawText(QPainter& painter, const QString& text, QRgb argb, const QPointF& topLeft) {
    const QFont font = SkinTextFont(text);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(argb));
    painter.drawText(QPointF(topLeft.x(), topLeft.y() + QFontMetricsF(font).ascent()), text);
}

} // namespace korva
