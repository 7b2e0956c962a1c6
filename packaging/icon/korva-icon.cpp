// Renders the program's 256x256 icon: a dark rounded panel with an EQ response curve and a knob, in the
// colours of the program's window.
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

QImage RenderIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    QLinearGradient panel(0, 0, 0, 256);
    panel.setColorAt(0, QColor(52, 58, 70));
    panel.setColorAt(1, QColor(22, 25, 31));
    p.setPen(QPen(QColor(90, 98, 112), 3));
    p.setBrush(panel);
    p.drawRoundedRect(QRectF(8, 8, 240, 240), 40, 40);

    // Grid lines of the graph.
    p.setPen(QPen(QColor(255, 255, 255, 28), 2));
    for (int i = 1; i < 4; ++i) {
        p.drawLine(QPointF(28, 28 + i * 34), QPointF(228, 28 + i * 34));
    }

    // A bell-shaped boost and a low shelf, the kind of curve the graph shows.
    QPainterPath curve;
    for (int x = 28; x <= 228; x += 2) {
        const double t = (x - 28) / 200.0;
        const double bell = 42 * std::exp(-std::pow((t - 0.62) / 0.12, 2));
        const double shelf = 16 / (1 + std::exp((t - 0.2) * 25));
        const QPointF pt(x, 96 - bell + shelf);
        x == 28 ? curve.moveTo(pt) : curve.lineTo(pt);
    }
    p.setPen(QPen(QColor(64, 200, 255), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);

    // The knob, with its pointer at two o'clock.
    const QPointF centre(128, 182);
    QRadialGradient knob(centre + QPointF(-12, -14), 60);
    knob.setColorAt(0, QColor(150, 156, 168));
    knob.setColorAt(1, QColor(44, 48, 56));
    p.setPen(QPen(QColor(16, 18, 22), 3));
    p.setBrush(knob);
    p.drawEllipse(centre, 44, 44);
    p.setPen(QPen(QColor(255, 170, 40), 8, Qt::SolidLine, Qt::RoundCap));
    const double angle = -M_PI / 6;
    p.drawLine(centre + QPointF(14 * std::cos(angle), 14 * std::sin(angle)),
               centre + QPointF(34 * std::cos(angle), 34 * std::sin(angle)));
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korva-icon OUTPUT.png\n");
        return 2;
    }
    if (!RenderIcon(256).save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "korva-icon: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
