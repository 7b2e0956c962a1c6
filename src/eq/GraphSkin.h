#pragma once
// What the EQ graph needs from the skin: the images it names by number and the label text. The window
// side implements it on top of the skin image table; tests use BlockSkin.

#include <QPointF>
#include <QRectF>
#include <QRgb>
#include <QSize>
#include <QString>

class QFont;
class QPainter;

namespace korva {

class GraphSkin {
public:
    virtual ~GraphSkin() = default;

    // Natural size of skin image `number`; an empty size when the skin has no such image.
    virtual QSize ImageSize(int number) const = 0;

    // Draws image `number` stretched into target; draws nothing when the skin has no such image.
    virtual void DrawImage(QPainter& painter, int number, const QRectF& target) = 0;

    // Draws a label with its top-left corner at topLeft in the colour argb, in SkinTextFont(text).
    virtual void DrawText(QPainter& painter, const QString& text, QRgb argb, const QPointF& topLeft);
};

// The skin's label font: "宋体" (or the nearest CJK font installed), 12 px regular for text that starts with
// an ASCII character, 18 px bold for text that starts with a Chinese one.
QFont SkinTextFont(const QString& text);

} // namespace korva
