#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace korva::skingen {

enum class Icon {
    None,
    Left,
    Right,
    Up,
    Down,
    Undo,
    Redo,
    Save,
    Import,
    Upload,
    Locked,
    Unlocked,
    Reset,
    Close
};

// Draws a small line icon centred in `box` (about 14 pixels, scaled to the box).
void DrawIcon(QPainter& p, Icon icon, const QRectF& box, QColor colour);

} // namespace korva::skingen
