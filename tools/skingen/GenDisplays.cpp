#include "Generators.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"

#include <QPolygonF>

namespace korva::skingen {

using namespace style;

namespace {

constexpr QSize kDigitSize(11, 18);
constexpr QSize kPointSize(5, 18);

// Seven-segment glyph: segments a b c d e f g as bits 0..6.
enum Segment { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };
constexpr int kDigitSegments[10] = {A | B | C | D | E | F, B | C,         A | B | G | E | D,
                                    A | B | G | C | D,     F | G | B | C, A | F | G | C | D,
                                    A | F | G | E | C | D, A | B | C,     A | B | C | D | E | F | G,
                                    A | B | C | D | F | G};

QPolygonF SegmentShape(int segment) {
    const double x0 = 2, x1 = 9, y0 = 2, ym = 9, y1 = 16, t = 2.0, gap = 0.6;
    const auto horizontal = [&](double y) {
        const double a = x0 + gap, b = x1 - gap, h = t / 2;
        return QPolygonF({QPointF(a, y), QPointF(a + h, y - h), QPointF(b - h, y - h), QPointF(b, y),
                          QPointF(b - h, y + h), QPointF(a + h, y + h)});
    };
    const auto vertical = [&](double x, double top, double bottom) {
        const double a = top + gap, b = bottom - gap, h = t / 2;
        return QPolygonF({QPointF(x, a), QPointF(x + h, a + h), QPointF(x + h, b - h), QPointF(x, b),
                          QPointF(x - h, b - h), QPointF(x - h, a + h)});
    };
    switch (segment) {
    case A:
        return horizontal(y0);
    case B:
        return vertical(x1, y0, ym);
    case C:
        return vertical(x1, ym, y1);
    case D:
        return horizontal(y1);
    case E:
        return vertical(x0, ym, y1);
    case F:
        return vertical(x0, y0, ym);
    default:
        return horizontal(ym);
    }
}

// LED digits: lit segments amber with a faint halo, the dark ones just visible like real LED glass.
QImage SegmentGlyph(int lit, int scale) {
    Canvas canvas(kDigitSize, scale);
    QPainter& p = canvas.painter;
    for (int bit = A; bit <= G; bit <<= 1) {
        const QPolygonF shape = SegmentShape(bit);
        if ((lit & bit) != 0) {
            p.setPen(QPen(WithAlpha(kAmber, 70), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(QColor(kAmber));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(WithAlpha(kAmber, 20));
        }
        p.drawPolygon(shape);
    }
    return canvas.Take();
}

QImage PointGlyph(int scale) {
    Canvas canvas(kPointSize, scale);
    QPainter& p = canvas.painter;
    p.setPen(QPen(WithAlpha(kAmber, 70), 1.5));
    p.setBrush(QColor(kAmber));
    p.drawRect(QRectF(1.5, 14.5, 2, 2));
    return canvas.Take();
}

QImage NumberBack(const QImage& bed) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    LcdWindow(p, canvas.Rect());
    return canvas.Take();
}

// A read-out window with a text: lit (amber), dim (offline) or blank.
enum class Lcd { Lit, Dim };
QImage LcdText(const QImage& bed, const QString& text, Lcd look, double px = 15, int pips = -1) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    const QRectF r = canvas.Rect();
    LcdWindow(p, r, 4);
    QRectF box = r.adjusted(4, 0, -4, 0);
    if (pips >= 0) {
        // level pips at the right end, as many lit as the level
        for (int i = 0; i < 3; ++i) {
            const QRectF pip(r.right() - 14, r.bottom() - 9 - i * 6.5, 8, 4);
            p.setPen(Qt::NoPen);
            p.setBrush(i < pips ? QColor(kAmber) : WithAlpha(kAmber, 26));
            p.drawRoundedRect(pip, 1, 1);
        }
        box.adjust(0, 0, -12, 0);
    }
    if (!text.isEmpty()) {
        const QFont font = Font(px, true, 0.5);
        if (look == Lcd::Lit) {
            GlowText(p, box, Qt::AlignCenter, text, font, QColor(kAmber), 55);
        } else {
            Text(p, box, Qt::AlignCenter, text, font, WithAlpha(kAmber, 80));
        }
    }
    return canvas.Take();
}

QImage LinkState(const QImage& bed, int state) {
    Canvas canvas(bed);
    QPainter& p = canvas.painter;
    const QRectF r = canvas.Rect();
    Recess(p, r, r.height() / 2, qRgb(0x16, 0x17, 0x1a));
    const double cy = r.center().y();
    const bool online = state == 6;
    const bool connecting = state > 0 && state < 6;
    Led(p, QPointF(14, cy), 4, online ? kGreen : kAmber, online || connecting);
    QString text = online       ? QStringLiteral("已联机")
                   : connecting ? QStringLiteral("正在联机")
                                : QStringLiteral("未联机");
    const QFont font = Font(12, true);
    Text(p, QRectF(26, 0, 64, r.height()).adjusted(0, 0, 0, -1), Qt::AlignLeft | Qt::AlignVCenter, text, font,
         QColor(online       ? kText
                : connecting ? kAmberLight
                             : kTextDim));
    if (connecting) {
        // progress pips: one more per state
        for (int i = 0; i < 5; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(i < state ? QColor(kAmber) : WithAlpha(kAmber, 40));
            p.drawEllipse(QPointF(92 + i * 9, cy), 2.2, 2.2);
        }
    } else {
        Text(p, QRectF(88, 0, r.width() - 96, r.height()).adjusted(0, 0, 0, -1),
             Qt::AlignLeft | Qt::AlignVCenter, online ? QStringLiteral("ONLINE") : QStringLiteral("OFFLINE"),
             Font(9, true, 1.0), QColor(kTextFaint));
    }
    return canvas.Take();
}

QString PointName(int v) {
    if (v < 15) {
        return QStringLiteral("EQ %1").arg(v + 1);
    }
    return v == 15 ? QStringLiteral("高切") : v == 16 ? QStringLiteral("低切") : QString();
}

} // namespace

void AddDisplays(SkinSet& skin, const Beds& beds) {
    const DesignForm& d = beds.Design();
    const auto bedOf = [&](const QString& name) { return beds.Under(name, PixelRect(d, name).size()); };

    for (int digit = 0; digit < 10; ++digit) {
        skin.Add(skinnumbers::kDigit0 + digit, SegmentGlyph(kDigitSegments[digit], skin.Scale()),
                 QStringLiteral("LED digit %1 (transparent)").arg(digit),
                 QStringLiteral("ShowNumber PicNumber + %1 (MyNumber, ShowNumberDot)").arg(digit));
    }
    skin.Add(skinnumbers::kDecimalPoint, PointGlyph(skin.Scale()),
             QStringLiteral("LED decimal point, narrower than a digit"), QStringLiteral("ShowNumber PicDig"));
    skin.Add(skinnumbers::kMinus, SegmentGlyph(G, skin.Scale()), QStringLiteral("LED minus sign"),
             QStringLiteral("ShowNumber PicDig + 1"));
    skin.Add(skinnumbers::kNumberBack, NumberBack(bedOf(QStringLiteral("MyNumber(0)"))),
             QStringLiteral("read-out window for up to four digits"),
             QStringLiteral("MyNumber(0…25) BackPic"));
    skin.Add(skinnumbers::kPointNumberBack, NumberBack(bedOf(QStringLiteral("ShowNumberDot(0)"))),
             QStringLiteral("read-out window of the point grid (five digits)"),
             QStringLiteral("ShowNumberDot(0…46) BackPic"));

    const QImage groupBed = bedOf(QStringLiteral("btnShowMode"));
    for (int g = 0; g < 8; ++g) {
        skin.Add(skinnumbers::kGroupDisplay + g,
                 LcdText(groupBed, QStringLiteral("MODEL %1").arg(g + 1), Lcd::Lit),
                 QStringLiteral("read-out MODEL %1").arg(g + 1),
                 QStringLiteral("btnShowMode value %1").arg(g));
    }
    const QImage fbxBed = bedOf(QStringLiteral("btnFBX"));
    for (int level = 0; level < 4; ++level) {
        const QString text = level == 0 ? QStringLiteral("FBX OFF") : QStringLiteral("FBX %1").arg(level);
        skin.Add(skinnumbers::kFbx + level,
                 LcdText(fbxBed, text, level == 0 ? Lcd::Dim : Lcd::Lit, 15, level),
                 QStringLiteral("read-out %1 with %2 of 3 level pips lit").arg(text).arg(level),
                 QStringLiteral("btnFBX value %1").arg(level));
    }
    const QImage pointBed = bedOf(QStringLiteral("btnShowPointN"));
    for (int v = 0; v < 35; ++v) {
        const bool offline = v >= 18;
        const QString name = PointName(offline ? v - 18 : v);
        const QString state = offline ? QStringLiteral("offline, dim") : QStringLiteral("online, lit");
        skin.Add(skinnumbers::kPointDisplay + v, LcdText(pointBed, name, offline ? Lcd::Dim : Lcd::Lit, 15),
                 name.isEmpty() ? QStringLiteral("empty read-out (unused state)")
                                : QStringLiteral("selected point read-out %1 (%2)").arg(name, state),
                 QStringLiteral("btnShowPointN value %1").arg(v));
    }
    const QImage linkBed = bedOf(QStringLiteral("MShowProgress"));
    for (int s = 0; s < 7; ++s) {
        const QString what = s == 0 ? QStringLiteral("link state 未联机 OFFLINE, LED dark")
                             : s == 6
                                 ? QStringLiteral("link state 已联机 ONLINE, green LED")
                                 : QStringLiteral("link state 正在联机 with %1 of 5 pips, amber LED").arg(s);
        skin.Add(skinnumbers::kLinkState + s, LinkState(linkBed, s), what,
                 QStringLiteral("MShowProgress value %1").arg(s));
    }
    const QImage startBed = bedOf(QStringLiteral("btnShowStartMode"));
    for (int g = 0; g < 8; ++g) {
        skin.Add(
            skinnumbers::kStartGroup + g, LcdText(startBed, QStringLiteral("MDL%1").arg(g + 1), Lcd::Lit),
            QStringLiteral("read-out MDL%1").arg(g + 1), QStringLiteral("btnShowStartMode value %1").arg(g));
    }
    const QImage inputBed = bedOf(QStringLiteral("btnInput"));
    for (int i = 0; i < 7; ++i) {
        skin.Add(skinnumbers::kInput + i, LcdText(inputBed, QStringLiteral("IN%1").arg(i + 1), Lcd::Lit),
                 QStringLiteral("read-out IN%1").arg(i + 1), QStringLiteral("btnInput value %1").arg(i));
    }
}

} // namespace korva::skingen
