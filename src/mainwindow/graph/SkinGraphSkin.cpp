#include "mainwindow/graph/SkinGraphSkin.h"

#include "widgets/SkinImages.h"

namespace korva {

QSize SkinGraphSkin::ImageSize(int number) const {
    const QSize size = skin_.NaturalSize(number);
    return size.isEmpty() ? QSize() : size;
}

void SkinGraphSkin::DrawImage(QPainter& painter, int number, const QRectF& target) {
    const QSize size = skin_.NaturalSize(number);
    skin_.DrawSkinImagePart(number, painter, target, QRectF(0, 0, size.width(), size.height()));
}

void SkinGraphSkin::DrawText(QPainter& painter, const QString& text, QRgb argb, const QPointF& topLeft) {
    const QString position =
        QStringLiteral("%1,%2").arg(topLeft.x(), 0, 'g', 10).arg(topLeft.y(), 0, 'g', 10);
    skin_.DrawSkinText(painter, text, argb, position);
}

} // namespace korva
