#pragma once
// Skin tables built from plain coloured images of known sizes, so that the widget tests never depend on
// the real skin pictures.

#include "widgets/SkinImages.h"

#include <QApplication>
#include <QColor>
#include <QEnterEvent>
#include <QImage>
#include <QWidget>
#include <initializer_list>

namespace korva::test {

struct SkinEntry {
    int number;
    QSize size;
    QColor color;
};

inline QImage SolidImage(QSize size, QColor color) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(color);
    return image;
}

inline void AddImages(SkinImages& skin, std::initializer_list<SkinEntry> entries) {
    for (const SkinEntry& e : entries) {
        skin.SetImage(e.number, SolidImage(e.size, e.color));
    }
}

// The control as it appears on screen, one pixel per device pixel.
inline QImage Grab(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The colour at (x, y) without alpha, for comparisons with the opaque test colours.
inline QColor PixelAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y)).toRgb();
}

inline bool SameColor(const QColor& a, const QColor& b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The smallest rectangle holding every pixel that differs from `background`.
inline QRect InkBox(const QImage& image, const QColor& background) {
    QRect inked;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (PixelAt(image, x, y) != background) {
                inked |= QRect(x, y, 1, 1);
            }
        }
    }
    return inked;
}

// The pointer entering and leaving a control, as the window system reports it.
inline void SendEnter(QWidget& widget) {
    const QPointF local(1, 1);
    QEnterEvent enter(local, local, widget.mapToGlobal(local));
    QApplication::sendEvent(&widget, &enter);
}

inline void SendLeave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&widget, &leave);
}

} // namespace korva::test
