#include "SkinIcons.h"

#include <QPainterPath>
#include <QPolygonF>

namespace korva::skingen {

namespace {

void Triangle(QPainter& p, const QRectF& b, Icon dir, QColor c) {
    const QPointF m = b.center();
    const double s = std::min(b.width(), b.height()) * 0.5;
    QPolygonF tri;
    switch (dir) {
    case Icon::Left:
        tri << QPointF(m.x() - s * 0.55, m.y()) << QPointF(m.x() + s * 0.45, m.y() - s * 0.6)
            << QPointF(m.x() + s * 0.45, m.y() + s * 0.6);
        break;
    case Icon::Right:
        tri << QPointF(m.x() + s * 0.55, m.y()) << QPointF(m.x() - s * 0.45, m.y() - s * 0.6)
            << QPointF(m.x() - s * 0.45, m.y() + s * 0.6);
        break;
    case Icon::Up:
        tri << QPointF(m.x(), m.y() - s * 0.5) << QPointF(m.x() - s * 0.7, m.y() + s * 0.4)
            << QPointF(m.x() + s * 0.7, m.y() + s * 0.4);
        break;
    default:
        tri << QPointF(m.x(), m.y() + s * 0.5) << QPointF(m.x() - s * 0.7, m.y() - s * 0.4)
            << QPointF(m.x() + s * 0.7, m.y() - s * 0.4);
        break;
    }
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(tri);
}

// A curved arrow for undo (mirrored = redo).
void CurvedArrow(QPainter& p, const QRectF& b, bool mirrored, QColor c) {
    p.save();
    p.translate(b.center());
    const double s = std::min(b.width(), b.height()) / 16.0;
    p.scale(mirrored ? -s : s, s);
    QPainterPath arc;
    arc.moveTo(-4, -2);
    arc.lineTo(2, -2);
    arc.cubicTo(7, -2, 7, 6, 2, 6);
    arc.lineTo(-2, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arc);
    QPolygonF head;
    head << QPointF(-7.5, -2) << QPointF(-3, -6.5) << QPointF(-3, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(head);
    p.restore();
}

void Lock(QPainter& p, const QRectF& b, bool locked, QColor c) {
    p.save();
    p.translate(b.center());
    const double s = std::min(b.width(), b.height()) / 16.0;
    p.scale(s, s);
    p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(-3.5, -1);
    shackle.lineTo(-3.5, -4);
    shackle.arcTo(QRectF(-3.5, -7.5, 7, 7), 180, -180);
    shackle.lineTo(3.5, locked ? -1 : -3);
    p.translate(locked ? 0 : 3, 0);
    p.drawPath(shackle);
    p.translate(locked ? 0 : -3, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawRoundedRect(QRectF(-5.5, -1, 11, 8), 1.5, 1.5);
    p.restore();
}

} // namespace

void DrawIcon(QPainter& p, Icon icon, const QRectF& box, QColor c) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF m = box.center();
    const double s = std::min(box.width(), box.height()) / 16.0;
    const QPen line(c, 1.7 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (icon) {
    case Icon::None:
        break;
    case Icon::Left:
    case Icon::Right:
    case Icon::Up:
    case Icon::Down:
        Triangle(p, box, icon, c);
        break;
    case Icon::Undo:
    case Icon::Redo:
        CurvedArrow(p, box, icon == Icon::Redo, c);
        break;
    case Icon::Save: {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const QRectF body(m.x() - 6 * s, m.y() - 6 * s, 12 * s, 12 * s);
        p.drawRoundedRect(body, 1.5 * s, 1.5 * s);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRect(QRectF(m.x() - 3.5 * s, m.y() - 6 * s, 7 * s, 4 * s));
        p.drawRect(QRectF(m.x() - 3.5 * s, m.y() + 1.5 * s, 7 * s, 4.5 * s));
        break;
    }
    case Icon::Import: {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        QPainterPath folder;
        folder.moveTo(m.x() - 7 * s, m.y() - 4 * s);
        folder.lineTo(m.x() - 2.5 * s, m.y() - 4 * s);
        folder.lineTo(m.x() - 1 * s, m.y() - 2.5 * s);
        folder.lineTo(m.x() + 7 * s, m.y() - 2.5 * s);
        folder.lineTo(m.x() + 7 * s, m.y() + 6 * s);
        folder.lineTo(m.x() - 7 * s, m.y() + 6 * s);
        folder.closeSubpath();
        p.drawPath(folder);
        p.drawLine(QPointF(m.x(), m.y() - 0.5 * s), QPointF(m.x(), m.y() + 4 * s));
        p.drawLine(QPointF(m.x() - 2.5 * s, m.y() + 1.5 * s), QPointF(m.x(), m.y() + 4 * s));
        p.drawLine(QPointF(m.x() + 2.5 * s, m.y() + 1.5 * s), QPointF(m.x(), m.y() + 4 * s));
        break;
    }
    case Icon::Upload: {
        // arrow down into the processor
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(m.x() - 7 * s, m.y() + 2 * s, 14 * s, 5 * s), 1.2 * s, 1.2 * s);
        p.drawLine(QPointF(m.x(), m.y() - 7 * s), QPointF(m.x(), m.y() - 0.5 * s));
        p.drawLine(QPointF(m.x() - 3 * s, m.y() - 3.5 * s), QPointF(m.x(), m.y() - 0.5 * s));
        p.drawLine(QPointF(m.x() + 3 * s, m.y() - 3.5 * s), QPointF(m.x(), m.y() - 0.5 * s));
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawEllipse(QPointF(m.x() + 4 * s, m.y() + 4.5 * s), 0.9 * s, 0.9 * s);
        break;
    }
    case Icon::Locked:
    case Icon::Unlocked:
        Lock(p, box, icon == Icon::Locked, c);
        break;
    case Icon::Reset: {
        p.setPen(line);
        p.setBrush(Qt::NoBrush);
        const QRectF ring(m.x() - 5.5 * s, m.y() - 5.5 * s, 11 * s, 11 * s);
        p.drawArc(ring, 100 * 16, 290 * 16);
        QPolygonF head;
        head << QPointF(m.x() - 1.5 * s, m.y() - 8.5 * s) << QPointF(m.x() + 3 * s, m.y() - 5.5 * s)
             << QPointF(m.x() - 1.5 * s, m.y() - 2.5 * s);
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(head);
        break;
    }
    case Icon::Close:
        p.setPen(QPen(c, 1.6 * s, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(m.x() - 5 * s, m.y() - 5 * s), QPointF(m.x() + 5 * s, m.y() + 5 * s));
        p.drawLine(QPointF(m.x() + 5 * s, m.y() - 5 * s), QPointF(m.x() - 5 * s, m.y() + 5 * s));
        break;
    }
    p.restore();
}

} // namespace korva::skingen
