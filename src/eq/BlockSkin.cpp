#include "BlockSkin.h"

#include "design/SkinNumbers.h"

#include <QPainter>

namespace korva {

BlockSkin::BlockSkin() {
    sizes_[skinnumbers::kGraphBackground] = QSize(1547, 382);
    sizes_[skinnumbers::kBypassOverlay] = QSize(300, 60);
}

QRgb BlockSkin::BlockColour(int number) {
    if (number == skinnumbers::kGraphBackground) {
        return qRgb(24, 32, 40); // dark, so that the grid and curves stand out
    }
    // Spread neighbouring numbers over clearly different colours.
    const unsigned h = unsigned(number) * 2654435761u;
    return qRgb(int(64 + (h >> 8) % 160), int(64 + (h >> 16) % 160), int(64 + (h >> 24) % 160));
}

QSize BlockSkin::ImageSize(int number) const {
    if (number < skinnumbers::kFirstPicture || number > skinnumbers::kLastPicture) {
        return {};
    }
    return sizes_.value(number, QSize(20, 20));
}

void BlockSkin::DrawImage(QPainter& painter, int number, const QRectF& target) {
    if (ImageSize(number).isEmpty()) {
        return;
    }
    if (recording_) {
        calls_.push_back({number, {}, target, BlockColour(number)});
    }
    painter.fillRect(target, QColor::fromRgb(BlockColour(number)));
}

void BlockSkin::DrawText(QPainter& painter, const QString& text, QRgb argb, const QPointF& topLeft) {
    if (recording_) {
        calls_.push_back({0, text, QRectF(topLeft, QSizeF()), argb});
    }
    GraphSkin::DrawText(painter, text, argb, topLeft);
}

} // namespace korva
