#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

#include "widgets/SkinColours.h"

// The look shared by every skin image: palette, fonts and the recurring shapes (plates, recesses,
// button faces, LCD windows, LEDs).
namespace korva::skingen::style {

// Palette: the program's own (its standard windows take the same colours).
using namespace korva::skincolours;

QColor WithAlpha(QRgb rgb, int alpha);

// A transparent image `size` design pixels large with `scale` image pixels per design pixel, or a copy of
// `bed` to draw on. The scale travels as the image's device pixel ratio, so whatever is painted on it is
// placed in design pixels and comes out sharp at the image's own resolution.
QImage NewImage(QSize size, int scale);
QImage NewImage(const QImage& bed);
// The size of an image in design pixels, whatever its scale.
QSize DesignSize(const QImage& image);
// Image pixels per design pixel.
int ScaleOf(const QImage& image);
// The part `designRect` of an image, keeping its scale.
QImage CopyPart(const QImage& image, const QRect& designRect);
void Prepare(QPainter& p);

// An image with a painter set up for it; Take() ends the painting and hands the image over.
struct Canvas {
    Canvas(QSize size, int scale) : image(NewImage(size, scale)), painter(&image) { Prepare(painter); }
    explicit Canvas(const QImage& bed) : image(NewImage(bed)), painter(&image) { Prepare(painter); }
    QRectF Rect() const { return QRectF(QPointF(0, 0), QSizeF(DesignSize(image))); }
    QImage Take() {
        painter.end();
        return image;
    }

    QImage image;
    QPainter painter;
};

QFont Font(double pixelSize, bool bold = false, double letterSpacing = 0);
void Text(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font, QColor colour);
// Text with a soft halo of its own colour, as lit LED lettering.
void GlowText(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
              QColor colour, int glowAlpha = 70);

// A raised flat plate with bevelled edges; its interior is exactly kPlate (or `fill`).
void Plate(QPainter& p, const QRectF& r, double radius, QRgb fill = kPlate);
// A sunken area: dark edge at the top, light edge at the bottom.
void Recess(QPainter& p, const QRectF& r, double radius, QRgb fill = kRecess);

enum class Face { Normal, Pressed, Lit, LitPressed };
// A bevelled button face; returns the box the label goes into (shifted down when pressed).
QRectF ButtonFace(QPainter& p, const QRectF& r, Face face, double radius = 4);

// A dark read-out window for LED digits and LCD texts.
void LcdWindow(QPainter& p, const QRectF& r, double radius = 3);
void Led(QPainter& p, QPointF centre, double radius, QRgb colour, bool on);

} // namespace korva::skingen::style
