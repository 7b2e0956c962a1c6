#include "DesignPlaces.h"

#include "design/Twips.h"

#include <stdexcept>

namespace korva::skingen {

const DesignControl& Control(const DesignForm& design, const QString& name) {
    const DesignControl* c = design.Find(name);
    if (c == nullptr) {
        throw std::runtime_error("design data has no control " + name.toStdString());
    }
    return *c;
}

// Timers, the only controls without a rectangle, take no place.
QRect PixelRect(const DesignControl& control) {
    return TwipsToPixels(control.Rect.value_or(QRect()));
}

QRect PixelRect(const DesignForm& design, const QString& name) {
    return PixelRect(Control(design, name));
}

QRectF ExactRect(const DesignControl& control) {
    return TwipsToPixelsExact(control.Rect.value_or(QRect()));
}

QRectF ExactRect(const DesignForm& design, const QString& name) {
    return ExactRect(Control(design, name));
}

} // namespace korva::skingen
