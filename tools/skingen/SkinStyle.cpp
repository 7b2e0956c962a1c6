#include "SkinStyle.h"

#include <QLinearGradient>
#include <algorithm>
#include <QRadialGradient>

namespace korva::skingen::style {

QColor WithAlpha(QRgb rgb, int alpha) {
    QColor c(rgb);
    c.setAlpha(alpha);
    return c;
}

QImage NewImage(QSize size, int scale) {
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

QImage NewImage(const QImage& bed) {
    QImage image = bed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(bed.devicePixelRatio());
    return image;
}

int ScaleOf(const QImage& image) {
    return std::max(1, qRound(image.devicePixelRatio()));
}

QSize DesignSize(const QImage& image) {
    return image.size() / ScaleOf(image);
}

QImage CopyPart(const QImage& image, const QRect& designRect) {
    const int scale = ScaleOf(image);
    QImage part = image.copy(QRect(designRect.topLeft() * scale, designRect.size() * scale));
    part.setDevicePixelRatio(scale);
    return part;
}

void Prepare(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont Font(double pixelSize, bool bold, double letterSpacing) {
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(qRound(pixelSize));
    f.setWeight(bold ? QFont::Bold : QFont::Normal);
    f.setHintingPreference(QFont::PreferVerticalHinting);
    if (letterSpacing != 0) {
        f.setLetterSpacing(QFont::AbsoluteSpacing, letterSpacing);
    }
    return f;
}

void Text(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font, QColor colour) {
    p.save();
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, flags, text);
    p.restore();
}

namespace {

// One pass of a box blur over an 8-bit mask, along rows (step 1) or columns (step = line length).
void BoxBlur(std::vector<int>& mask, int width, int height, int radius, bool alongRows) {
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const int step = alongRows ? 1 : width;
    std::vector<int> line(size_t(length), 0);
    for (int l = 0; l < lines; ++l) {
        const int start = alongRows ? l * width : l;
        for (int i = 0; i < length; ++i) {
            int sum = 0;
            for (int k = -radius; k <= radius; ++k) {
                const int j = i + k;
                sum += (j >= 0 && j < length) ? mask[size_t(start + j * step)] : 0;
            }
            line[size_t(i)] = sum / (2 * radius + 1);
        }
        for (int i = 0; i < length; ++i) {
            mask[size_t(start + i * step)] = line[size_t(i)];
        }
    }
}

} // namespace

void GlowText(QPainter& p, const QRectF& box, int flags, const QString& text, const QFont& font,
              QColor colour, int glowAlpha) {
    // The halo is the lettering itself, blurred and laid under it, at the resolution of the surface.
    constexpr int margin = 5;
    const int scale = std::max(1, qRound(p.device()->devicePixelRatio()));
    QImage letters = NewImage(box.size().toSize() + QSize(2 * margin, 2 * margin), scale);
    const QSize size = letters.size();
    {
        QPainter lp(&letters);
        Prepare(lp);
        Text(lp, QRectF(margin, margin, box.width(), box.height()), flags, text, font, QColor(Qt::white));
    }
    std::vector<int> mask(size_t(size.width() * size.height()));
    for (int y = 0; y < size.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(letters.constScanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            mask[size_t(y * size.width() + x)] = qAlpha(row[x]);
        }
    }
    for (int pass = 0; pass < 2; ++pass) {
        BoxBlur(mask, size.width(), size.height(), 2 * scale, true);
        BoxBlur(mask, size.width(), size.height(), 2 * scale, false);
    }
    QImage halo(size, QImage::Format_ARGB32_Premultiplied);
    halo.setDevicePixelRatio(scale);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(halo.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int a = std::min(255, mask[size_t(y * size.width() + x)] * glowAlpha * 2 / 255);
            row[x] = qPremultiply(qRgba(colour.red(), colour.green(), colour.blue(), a));
        }
    }
    p.drawImage(box.topLeft() - QPointF(margin, margin), halo);
    Text(p, box, flags, text, font, colour);
}

void Plate(QPainter& p, const QRectF& r, double radius, QRgb fill) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kEdgeDark));
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(QColor(kEdgeLight));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    p.setBrush(QColor(qRgb(0x1b, 0x1d, 0x21)));
    p.drawRoundedRect(r.adjusted(1, 2, -1, -1), radius - 1, radius - 1);
    p.setBrush(QColor(fill));
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), radius - 2, radius - 2);
    p.restore();
}

namespace {

// Edges of a sunken area: dark along the top, light along the bottom.
void SunkenEdges(QPainter& p, const QRectF& r, double radius, int lightAlpha) {
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(kEdgeLight, lightAlpha));
    p.drawRoundedRect(r, radius, radius);
    p.setBrush(QColor(kEdgeDark));
    p.drawRoundedRect(r.adjusted(0, 0, 0, -1), radius, radius);
}

} // namespace

void Recess(QPainter& p, const QRectF& r, double radius, QRgb fill) {
    p.save();
    SunkenEdges(p, r, radius, 200);
    p.setBrush(QColor(fill));
    p.drawRoundedRect(r.adjusted(1, 2, -1, -1), radius - 1, radius - 1);
    p.restore();
}

QRectF ButtonFace(QPainter& p, const QRectF& r, Face face, double radius) {
    const bool pressed = face == Face::Pressed || face == Face::LitPressed;
    const bool lit = face == Face::Lit || face == Face::LitPressed;
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kEdgeDark));
    p.drawRoundedRect(r, radius, radius);
    const QRectF inner = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(inner.topLeft(), inner.bottomLeft());
    if (lit) {
        g.setColorAt(0, QColor(pressed ? qRgb(0x2c, 0x27, 0x1c) : qRgb(0x45, 0x3c, 0x28)));
        g.setColorAt(1, QColor(pressed ? qRgb(0x35, 0x2e, 0x20) : qRgb(0x2e, 0x29, 0x1e)));
    } else if (pressed) {
        g.setColorAt(0, QColor(qRgb(0x1f, 0x21, 0x25)));
        g.setColorAt(1, QColor(qRgb(0x2a, 0x2d, 0x32)));
    } else {
        g.setColorAt(0, QColor(qRgb(0x40, 0x44, 0x4b)));
        g.setColorAt(1, QColor(qRgb(0x2b, 0x2e, 0x34)));
    }
    p.setBrush(g);
    p.drawRoundedRect(inner, radius - 1, radius - 1);
    if (!pressed) {
        // a thin sheen along the top edge of a raised face
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(WithAlpha(qRgb(255, 255, 255), lit ? 34 : 28), 1));
        p.drawLine(QPointF(inner.left() + radius, inner.top() + 0.5),
                   QPointF(inner.right() - radius, inner.top() + 0.5));
    }
    if (lit) {
        p.setPen(Qt::NoPen);
        QLinearGradient glow(inner.bottomLeft(), inner.bottomLeft() - QPointF(0, 6));
        glow.setColorAt(0, WithAlpha(kAmber, 150));
        glow.setColorAt(1, WithAlpha(kAmber, 0));
        p.setBrush(glow);
        p.drawRoundedRect(inner.adjusted(1, inner.height() - 6, -1, 0), 2, 2);
    }
    p.restore();
    return pressed ? inner.translated(0, 1) : inner;
}

void LcdWindow(QPainter& p, const QRectF& r, double radius) {
    p.save();
    SunkenEdges(p, r, radius, 170);
    const QRectF inner = r.adjusted(1, 1, -1, -1);
    QLinearGradient g(inner.topLeft(), inner.bottomLeft());
    g.setColorAt(0, QColor(kLcdTop));
    g.setColorAt(1, QColor(kLcdBottom));
    p.setBrush(g);
    p.drawRoundedRect(inner, radius - 1, radius - 1);
    // faint reflection in the upper half of the glass
    QLinearGradient sheen(inner.topLeft(), inner.topLeft() + QPointF(0, inner.height() / 2));
    sheen.setColorAt(0, WithAlpha(qRgb(255, 255, 255), 10));
    sheen.setColorAt(1, WithAlpha(qRgb(255, 255, 255), 0));
    p.setBrush(sheen);
    p.drawRoundedRect(inner.adjusted(1, 1, -1, -inner.height() / 2), radius - 1, radius - 1);
    p.restore();
}

void Led(QPainter& p, QPointF centre, double radius, QRgb colour, bool on) {
    p.save();
    p.setPen(Qt::NoPen);
    if (on) {
        QRadialGradient halo(centre, radius * 2.2);
        halo.setColorAt(0, WithAlpha(colour, 110));
        halo.setColorAt(1, WithAlpha(colour, 0));
        p.setBrush(halo);
        p.drawEllipse(centre, radius * 2.2, radius * 2.2);
    }
    p.setBrush(QColor(kEdgeDark));
    p.drawEllipse(centre, radius + 1, radius + 1);
    QRadialGradient body(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.4);
    if (on) {
        body.setColorAt(0, QColor(255, 255, 255));
        body.setColorAt(0.35, QColor(colour).lighter(120));
        body.setColorAt(1, QColor(colour).darker(130));
    } else {
        body.setColorAt(0, QColor(qRgb(0x4a, 0x4e, 0x55)));
        body.setColorAt(1, QColor(qRgb(0x1c, 0x1e, 0x22)));
    }
    p.setBrush(body);
    p.drawEllipse(centre, radius, radius);
    p.restore();
}

} // namespace korva::skingen::style
