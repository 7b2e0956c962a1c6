#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

// The look shared by every skin image: palette, fonts and the recurring shapes (plates, recesses,
// button faces, LCD windows, LEDs).
namespace korva::skingen::style {

// Palette.
constexpr QRgb kWindowTop = qRgb(0x1e, 0x20, 0x24);
constexpr QRgb kWindowBottom = qRgb(0x15, 0x16, 0x19);
constexpr QRgb kPlate = qRgb(0x24, 0x27, 0x2c); // flat surface the controls sit on
constexpr QRgb kTitle = qRgb(0x20, 0x23, 0x28);
constexpr QRgb kEdgeDark = qRgb(0x0a, 0x0b, 0x0d);
constexpr QRgb kEdgeLight = qRgb(0x3b, 0x3f, 0x46);
constexpr QRgb kRecess = qRgb(0x13, 0x14, 0x17);
constexpr QRgb kBand = qRgb(0x2a, 0x2d, 0x33); // lighter rows and group headers
constexpr QRgb kText = qRgb(0xd6, 0xd9, 0xdd);
constexpr QRgb kTextDim = qRgb(0x8c, 0x93, 0x9c);
constexpr QRgb kTextFaint = qRgb(0x5a, 0x60, 0x69);
constexpr QRgb kAmber = qRgb(250, 186, 0); // the EQ curve colour
constexpr QRgb kAmberLight = qRgb(0xff, 0xd8, 0x5c);
constexpr QRgb kAmberDark = qRgb(0x6e, 0x51, 0x08);
constexpr QRgb kGreen = qRgb(0x3c, 0xd8, 0x6e);
constexpr QRgb kRed = qRgb(0xff, 0x4d, 0x3a);
constexpr QRgb kBlue = qRgb(100, 186, 250);  // effect high-cut curve
constexpr QRgb kMagenta = qRgb(250, 0, 186); // effect low-cut curve
constexpr QRgb kLcdTop = qRgb(0x09, 0x0a, 0x09);
constexpr QRgb kLcdBottom = qRgb(0x13, 0x14, 0x12);

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
