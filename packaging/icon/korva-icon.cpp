// Renders the program's 256x256 icon from the skin: a piece of the EQ graph's plot with an amber response
// curve and a selected band marker over it, and the frequency knob's lit groove below, on a rounded plate.
//   korva-icon SKIN_FOLDER OUTPUT.png
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

// Skin image numbers (the same numbers the program draws).
constexpr int kGraphBackground = 297;
constexpr int kMarkerBandSelected = 193;
constexpr int kKnobTrackFreq = 245;
constexpr int kKnobFill = 324;

const QColor kAmber(255, 176, 32);

QImage SkinImage(const QString& folder, int number) {
    QImage image(QStringLiteral("%1/%2.png").arg(folder).arg(number));
    if (image.isNull()) {
        std::fprintf(stderr, "korva-icon: cannot read skin image %d in %s\n", number, qPrintable(folder));
    }
    return image;
}

// A bell-shaped boost over a low shelf, the kind of curve the graph shows, across rect.
QPainterPath ResponseCurve(const QRectF& rect) {
    QPainterPath curve;
    for (int i = 0; i <= 100; ++i) {
        const double t = i / 100.0;
        const double bell = 0.42 * std::exp(-std::pow((t - 0.62) / 0.12, 2));
        const double shelf = 0.16 / (1 + std::exp((t - 0.2) * 25));
        const QPointF pt(rect.left() + t * rect.width(), rect.center().y() - (bell - shelf) * rect.height());
        i == 0 ? curve.moveTo(pt) : curve.lineTo(pt);
    }
    return curve;
}

bool RenderIcon(const QString& skin, QImage& icon) {
    const QImage graph = SkinImage(skin, kGraphBackground);
    const QImage marker = SkinImage(skin, kMarkerBandSelected);
    const QImage groove = SkinImage(skin, kKnobTrackFreq);
    const QImage fill = SkinImage(skin, kKnobFill);
    if (graph.isNull() || marker.isNull() || groove.isNull() || fill.isNull()) {
        return false;
    }
    icon = QImage(256, 256, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    const QRectF plate(8, 8, 240, 240);
    QPainterPath clip;
    clip.addRoundedRect(plate, 40, 40);
    p.setClipPath(clip);
    // The middle of the plot, where the grid lines and the 0 dB line are.
    const QRectF plotPiece(graph.width() * 0.35, 10, graph.height() * 0.9, graph.height() * 0.9);
    p.drawImage(plate, graph, plotPiece);

    const QRectF curveArea(22, 30, 212, 130);
    p.setPen(QPen(kAmber, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(ResponseCurve(curveArea));
    const QPointF peak = ResponseCurve(curveArea).pointAtPercent(0.62);
    p.drawImage(QRectF(peak.x() - 22, peak.y() - 22, 44, 44), marker);

    // The knob groove, lit up to two thirds, as a frequency knob shows it.
    const QRectF grooveRect(14, 176, 228, 228.0 * groove.height() / groove.width());
    p.drawImage(grooveRect, groove);
    const double lit = 0.66;
    p.drawImage(QRectF(grooveRect.topLeft(), QSizeF(grooveRect.width() * lit, grooveRect.height())), fill,
                QRectF(0, 0, fill.width() * lit, fill.height()));

    p.setClipping(false);
    p.setPen(QPen(QColor(90, 98, 112), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(plate, 40, 40);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korva-icon SKIN_FOLDER OUTPUT.png\n");
        return 2;
    }
    QImage icon;
    if (!RenderIcon(QString::fromLocal8Bit(argv[1]), icon)) {
        return 1;
    }
    if (!icon.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "korva-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
