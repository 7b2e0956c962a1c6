#pragma once
// Where the window's design data puts the controls skingen draws for, in pixels at the design size.

#include "design/DesignData.h"

#include <QRect>
#include <QRectF>

namespace korva::skingen {

// The control of that object name; throws std::runtime_error when the design data has none.
const DesignControl& Control(const DesignForm& design, const QString& name);

// A control's rectangle where the window places it, in whole pixels.
QRect PixelRect(const DesignControl& control);
QRect PixelRect(const DesignForm& design, const QString& name);

// The same before rounding, for artwork lined up with the design rather than with the pixels.
QRectF ExactRect(const DesignControl& control);
QRectF ExactRect(const DesignForm& design, const QString& name);

} // namespace korva::skingen
