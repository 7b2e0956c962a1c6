#pragma once
// Twips, the unit the design data measures in, and the pixels the window and the skin are drawn in. Every
// place that turns twips into pixels does it here, so that all of them agree to the pixel.

#include <QRect>
#include <QRectF>

namespace korva {

// Twips per pixel at the design size: 1440 twips make an inch, 96 pixels too.
constexpr int kTwipsPerPixel = 15;

// A length in twips as pixels at `scale` (1 at the design size), before any rounding.
constexpr double TwipsToPixelsExact(double twips, double scale = 1.0) {
    return twips * scale / kTwipsPerPixel;
}

// The same rounded to a whole pixel: the nearest, a tie going to the even one.
int TwipsToPixels(double twips, double scale = 1.0);

// A rectangle in twips as whole pixels at the horizontal and vertical scales, each of its four numbers
// rounded as above (its right edge is not rounded on its own).
QRect TwipsToPixels(const QRect& twips, double horizontal = 1.0, double vertical = 1.0);

// A rectangle in twips as pixels before rounding, for drawings lined up with the design itself.
QRectF TwipsToPixelsExact(const QRect& twips);

} // namespace korva
