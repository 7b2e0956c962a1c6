#include "Generators.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace korva::skingen {

using namespace style;

namespace {

constexpr QSize kGraphSize(1547, 382);
constexpr double kPlotTop = 10;
constexpr double kPlotBottom = 350;

// The graph's own frequency axis at design size.
double FreqToX(double hz) {
    const double pixelsPerDecade = 1588.0 / (std::log10(22000.0) - 1);
    return (std::log10(hz) - 1) * pixelsPerDecade - 60;
}

QImage GraphBackground(int scale) {
    Canvas canvas(kGraphSize, scale);
    QPainter& p = canvas.painter;
    QLinearGradient g(0, 0, 0, kGraphSize.height());
    g.setColorAt(0, QColor(qRgb(0x17, 0x19, 0x1e)));
    g.setColorAt(0.5, QColor(qRgb(0x13, 0x15, 0x19)));
    g.setColorAt(1, QColor(qRgb(0x0f, 0x10, 0x13)));
    p.fillRect(canvas.Rect(), g);
    // a faint warm glow behind the 0 dB line
    QRadialGradient glow(QPointF(kGraphSize.width() / 2.0, 180), kGraphSize.width() / 2.0);
    glow.setColorAt(0, WithAlpha(kAmber, 10));
    glow.setColorAt(1, WithAlpha(kAmber, 0));
    p.fillRect(canvas.Rect(), glow);
    // frequencies outside 20 Hz … 20 kHz sit on darker ground
    const double low = std::floor(FreqToX(20));
    const double high = std::ceil(FreqToX(20000));
    p.fillRect(QRectF(0, 0, low, kPlotBottom), WithAlpha(qRgb(0, 0, 0), 60));
    p.fillRect(QRectF(high, 0, kGraphSize.width() - high, kPlotBottom), WithAlpha(qRgb(0, 0, 0), 60));
    // label band under the plot
    p.fillRect(QRectF(0, kPlotBottom, kGraphSize.width(), kGraphSize.height() - kPlotBottom),
               QColor(qRgb(0x0c, 0x0d, 0x10)));
    p.setPen(QPen(WithAlpha(kEdgeLight, 140), 1));
    p.drawLine(QPointF(0, kPlotBottom + 0.5), QPointF(kGraphSize.width(), kPlotBottom + 0.5));
    p.setPen(QPen(WithAlpha(kEdgeLight, 60), 1));
    p.drawLine(QPointF(0, kPlotTop - 0.5), QPointF(kGraphSize.width(), kPlotTop - 0.5));
    // the graph's title in the top-right corner, where a curve rarely reaches
    Text(p, QRectF(kGraphSize.width() - 260, kPlotTop + 4, 248, 16), Qt::AlignRight | Qt::AlignVCenter,
         QStringLiteral("PARAMETRIC EQ"), Font(9, true, 2.0), QColor(kTextFaint));
    return canvas.Take();
}

enum class Kind { Band, HighCut, LowCut };

QImage Marker(Kind kind, int band, bool selected, int scale) {
    Canvas canvas(QSize(20, 20), scale);
    QPainter& p = canvas.painter;
    const QPointF c(10, 10);
    const QRgb colour = kind == Kind::Band ? kAmber : kind == Kind::HighCut ? kBlue : kMagenta;
    const QString label = kind == Kind::Band      ? QString::number(band + 1)
                          : kind == Kind::HighCut ? QStringLiteral("H")
                                                  : QStringLiteral("L");
    const auto shape = [&](double radius) {
        if (kind == Kind::Band) {
            p.drawEllipse(c, radius, radius);
        } else {
            p.drawRoundedRect(QRectF(c.x() - radius, c.y() - radius, 2 * radius, 2 * radius), 2.5, 2.5);
        }
    };
    if (selected) {
        p.setPen(Qt::NoPen);
        p.setBrush(WithAlpha(colour, 70));
        shape(9.5);
        p.setBrush(QColor(colour));
        p.setPen(QPen(QColor(qRgb(255, 255, 255)), 1.2));
        shape(kind == Kind::Band ? 7.5 : 6.5);
    } else {
        p.setPen(QPen(QColor(colour), 1.6));
        p.setBrush(WithAlpha(qRgb(0x0e, 0x10, 0x13), 210));
        shape(kind == Kind::Band ? 7.2 : 6.2);
    }
    const QFont font = Font(label.size() > 1 ? 8.5 : 10, true);
    Text(p, QRectF(0, 0.5, 20, 20), Qt::AlignCenter, label, font,
         selected ? QColor(qRgb(0x14, 0x14, 0x14)) : QColor(kText));
    return canvas.Take();
}

// Shown over the graph while the channel's bypass byte is 0, i.e. while its EQ is working: a faint
// watermark, so it never hides the curve. A bypassed channel (1) shows the graph without it and the lit
// 旁通 button says why.
QImage EqActiveWatermark(int scale) {
    Canvas canvas(QSize(306, 60), scale);
    QPainter& p = canvas.painter;
    Text(p, QRectF(0, 2, 306, 34), Qt::AlignCenter, QStringLiteral("EQ ACTIVE"), Font(24, true, 6),
         WithAlpha(kAmber, 24));
    Text(p, QRectF(0, 36, 306, 20), Qt::AlignCenter, QStringLiteral("均衡处理中"), Font(12, true, 4),
         WithAlpha(kTextDim, 45));
    return canvas.Take();
}

} // namespace

void AddGraphImages(SkinSet& skin) {
    const int scale = skin.Scale();
    skin.Add(skinnumbers::kGraphBackground, GraphBackground(scale),
             QStringLiteral(
                 "graph background: dark plot (y 10–350), darker ground outside 20 Hz–20 kHz, label band"),
             QStringLiteral("Picture1 graph, drawn at (0, 0) under the grid"));
    for (int k = 0; k < 15; ++k) {
        skin.Add(skinnumbers::kMarkerBand + k, Marker(Kind::Band, k, false, scale),
                 QStringLiteral("marker of band %1: amber ring (transparent)").arg(k + 1),
                 QStringLiteral("graph, band %1 not selected").arg(k + 1));
        skin.Add(skinnumbers::kMarkerBandSelected + k, Marker(Kind::Band, k, true, scale),
                 QStringLiteral("marker of band %1: filled amber with halo").arg(k + 1),
                 QStringLiteral("graph, band %1 selected").arg(k + 1));
    }
    skin.Add(skinnumbers::kMarkerHighCut, Marker(Kind::HighCut, 0, false, scale),
             QStringLiteral("high-cut marker H: blue square ring"),
             QStringLiteral("graph, high-cut not selected"));
    skin.Add(skinnumbers::kMarkerLowCut, Marker(Kind::LowCut, 0, false, scale),
             QStringLiteral("low-cut marker L: magenta square ring"),
             QStringLiteral("graph, low-cut not selected"));
    skin.Add(skinnumbers::kMarkerHighCutSelected, Marker(Kind::HighCut, 0, true, scale),
             QStringLiteral("high-cut marker H: filled blue with halo"),
             QStringLiteral("graph, high-cut selected"));
    skin.Add(skinnumbers::kMarkerLowCutSelected, Marker(Kind::LowCut, 0, true, scale),
             QStringLiteral("low-cut marker L: filled magenta with halo"),
             QStringLiteral("graph, low-cut selected"));
    skin.Add(skinnumbers::kBypassOverlay, EqActiveWatermark(scale),
             QStringLiteral("faint watermark EQ ACTIVE / 均衡处理中"),
             QStringLiteral("graph overlay at (620, 200) while the channel's bypass byte is 0 (EQ working)"));
}

} // namespace korva::skingen
