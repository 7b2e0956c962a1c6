#include "Twips.h"

#include <cmath>

namespace korva {

int TwipsToPixels(double twips, double scale) {
    return int(std::nearbyint(TwipsToPixelsExact(twips, scale))); // the default rounding mode: ties to even
}

QRect TwipsToPixels(const QRect& twips, double horizontal, double vertical) {
    return {TwipsToPixels(twips.x(), horizontal), TwipsToPixels(twips.y(), vertical),
            TwipsToPixels(twips.width(), horizontal), TwipsToPixels(twips.height(), vertical)};
}

QRectF TwipsToPixelsExact(const QRect& twips) {
    return {TwipsToPixelsExact(twips.x()), TwipsToPixelsExact(twips.y()), TwipsToPixelsExact(twips.width()),
            TwipsToPixelsExact(twips.height())};
}

} // namespace korva
