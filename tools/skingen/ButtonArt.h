#pragma once

#include "SkinIcons.h"
#include "SkinStyle.h"

#include <QImage>
#include <QString>

namespace korva::skingen {

// What goes on a button face: a label, an optional icon before it and an optional LED.
struct ButtonArt {
    QString text;
    Icon icon = Icon::None;
    QRgb colour = style::kText;
    double fontPx = 13;
    bool glow = false; // lit lettering
    QRgb led = 0;
    int ledState = 0; // 0 none, 1 dark, 2 lit
};

// A button of the bed's size drawn over the bed.
QImage DrawButton(const QImage& bed, const ButtonArt& art, style::Face face);

} // namespace korva::skingen
