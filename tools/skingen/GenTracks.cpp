#include "Generators.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace korva::skingen {

using namespace style;

namespace {

constexpr double kGrooveWidth = 6;

// The rectangle of a groove from `a` to `b` (a horizontal or vertical line).
QRectF GrooveRect(QPointF a, QPointF b, double width) {
    return QRectF(a, b).normalized().adjusted(-width / 2, -width / 2, width / 2, width / 2);
}

void Groove(QPainter& p, QPointF a, QPointF b) {
    const QRectF r = GrooveRect(a, b, kGrooveWidth);
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(kEdgeLight, 160));
    p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 1), 3.5, 3.5);
    p.setBrush(QColor(kEdgeDark));
    p.drawRoundedRect(r.adjusted(-0.5, -0.5, 0.5, 0), 3.5, 3.5);
    p.setBrush(QColor(qRgb(0x05, 0x05, 0x06)));
    p.drawRoundedRect(r.adjusted(0.5, 1, -0.5, -0.5), 2.5, 2.5);
    p.restore();
}

// The lit part of a groove, drawn over its whole length; the slider shows only the part up to its thumb.
void LitGroove(QPainter& p, QPointF a, QPointF b) {
    const QRectF r = GrooveRect(a, b, kGrooveWidth - 2);
    const bool vertical = r.height() > r.width();
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(kAmber, 45));
    p.drawRoundedRect(r.adjusted(-1.5, -1.5, 1.5, 1.5), 3, 3);
    QLinearGradient g =
        vertical ? QLinearGradient(r.topLeft(), r.topRight()) : QLinearGradient(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(kAmberLight));
    g.setColorAt(0.5, QColor(kAmber));
    g.setColorAt(1, QColor(qRgb(0xb8, 0x86, 0x00)));
    p.setBrush(g);
    p.drawRoundedRect(r, 2, 2);
    p.restore();
}

QImage TrackOn(const Beds& beds, const QString& control) {
    return NewImage(beds.Under(control, PixelRect(beds.Design(), control).size()));
}

// Round aluminium cap used by most sliders and the knobs; the same in both directions.
QImage RoundThumb(int scale) {
    Canvas canvas(QSize(22, 22), scale);
    QPainter& p = canvas.painter;
    const QPointF c(11, 11);
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(qRgb(0, 0, 0), 110));
    p.drawEllipse(c + QPointF(0, 1), 10.5, 10.5);
    p.setBrush(QColor(kEdgeDark));
    p.drawEllipse(c, 10, 10);
    QLinearGradient body(0, 1, 0, 21);
    body.setColorAt(0, QColor(qRgb(0xe4, 0xe6, 0xe9)));
    body.setColorAt(1, QColor(qRgb(0x70, 0x75, 0x7d)));
    p.setBrush(body);
    p.drawEllipse(c, 9, 9);
    QLinearGradient dish(0, 5, 0, 17);
    dish.setColorAt(0, QColor(qRgb(0x8d, 0x92, 0x99)));
    dish.setColorAt(1, QColor(qRgb(0xd2, 0xd5, 0xd9)));
    p.setBrush(dish);
    p.drawEllipse(c, 6, 6);
    QRadialGradient dot(c, 4);
    dot.setColorAt(0, QColor(kAmberLight));
    dot.setColorAt(0.6, QColor(kAmber));
    dot.setColorAt(1, WithAlpha(kAmber, 0));
    p.setBrush(dot);
    p.drawEllipse(c, 4, 4);
    return canvas.Take();
}

// Rectangular fader cap with grip lines and an index line across its middle.
QImage FaderCap(QSize size, int scale, bool vertical, QRgb index, bool ring = false) {
    Canvas canvas(size, scale);
    QPainter& p = canvas.painter;
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(WithAlpha(qRgb(0, 0, 0), 120));
    p.drawRoundedRect(r.translated(0, 1), 3, 3);
    p.setBrush(QColor(kEdgeDark));
    p.drawRoundedRect(r, 3, 3);
    QLinearGradient body(r.topLeft(), vertical ? r.topRight() : r.bottomLeft());
    body.setColorAt(0, QColor(qRgb(0xdf, 0xe2, 0xe6)));
    body.setColorAt(0.45, QColor(qRgb(0xb4, 0xb8, 0xbe)));
    body.setColorAt(0.55, QColor(qRgb(0x9a, 0x9f, 0xa6)));
    body.setColorAt(1, QColor(qRgb(0x6c, 0x71, 0x79)));
    p.setBrush(body);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 2, 2);
    const QPointF c = r.center();
    p.setPen(QPen(WithAlpha(qRgb(0x30, 0x33, 0x38), 150), 1));
    for (const double off : {-4.0, 4.0}) {
        if (vertical) {
            p.drawLine(QPointF(std::floor(c.x() + off) + 0.5, r.top() + 4),
                       QPointF(std::floor(c.x() + off) + 0.5, r.bottom() - 4));
        } else {
            p.drawLine(QPointF(r.left() + 4, std::floor(c.y() + off) + 0.5),
                       QPointF(r.right() - 4, std::floor(c.y() + off) + 0.5));
        }
    }
    p.setPen(QPen(QColor(index), 2));
    if (vertical) {
        p.drawLine(QPointF(c.x(), r.top() + 2.5), QPointF(c.x(), r.bottom() - 2.5));
    } else {
        p.drawLine(QPointF(r.left() + 2.5, c.y()), QPointF(r.right() - 2.5, c.y()));
    }
    if (ring) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(kAmber), 1.2));
        p.drawRoundedRect(r.adjusted(0.6, 0.6, -0.6, -0.6), 3, 3);
    }
    return canvas.Take();
}

struct Mark {
    double position; // slider position 0..MaxValue
    QString label;   // empty: tick only
};

// A horizontal track with its groove along the thumb path, ticks and labels under it.
QImage HorizontalTrack(const Beds& beds, const QString& control, double minPos, double maxPos,
                       double maxValue, double grooveY, const std::vector<Mark>& marks, bool litFill) {
    Canvas canvas(litFill ? NewImage(PixelRect(beds.Design(), control).size(), beds.Scale())
                          : TrackOn(beds, control));
    QPainter& p = canvas.painter;
    const QPointF a(minPos - 6, grooveY), b(maxPos + 6, grooveY);
    if (litFill) {
        LitGroove(p, a, b);
        return canvas.Take();
    }
    Groove(p, a, b);
    const QFont font = Font(9, true);
    for (const Mark& m : marks) {
        const double x = std::floor(minPos + (maxPos - minPos) * m.position / maxValue) + 0.5;
        const bool major = !m.label.isEmpty();
        p.setPen(QPen(QColor(major ? kTextDim : kTextFaint), 1));
        p.drawLine(QPointF(x, grooveY + 12), QPointF(x, grooveY + (major ? 17 : 15)));
        if (major) {
            Text(p, QRectF(x - 20, grooveY + 17, 40, 13), Qt::AlignCenter, m.label, font, QColor(kTextDim));
        }
    }
    return canvas.Take();
}

QImage VerticalTrack(const Beds& beds, const QString& control, double grooveX, double top, double bottom,
                     bool litFill = false) {
    Canvas canvas(litFill ? NewImage(PixelRect(beds.Design(), control).size(), beds.Scale())
                          : TrackOn(beds, control));
    QPainter& p = canvas.painter;
    if (litFill) {
        LitGroove(p, QPointF(grooveX, top), QPointF(grooveX, bottom));
    } else {
        Groove(p, QPointF(grooveX, top), QPointF(grooveX, bottom));
    }
    return canvas.Take();
}

QImage BalanceTrack(const Beds& beds, const QString& control, const QString& left, const QString& right) {
    Canvas canvas(TrackOn(beds, control));
    QPainter& p = canvas.painter;
    const double y = 15;
    Groove(p, QPointF(24, y), QPointF(126, y));
    // centre mark at position 80
    const double centre = 28 + (122 - 28) * 80.0 / 160.0;
    p.setPen(QPen(QColor(kAmber), 1));
    p.drawLine(QPointF(centre, 2), QPointF(centre, 6));
    p.drawLine(QPointF(centre, 24), QPointF(centre, 28));
    const QFont font = Font(11, true);
    const QRectF r = canvas.Rect();
    Text(p, QRectF(0, 0, 19, r.height()), Qt::AlignCenter, left, font, QColor(kTextDim));
    Text(p, QRectF(r.width() - 19, 0, 19, r.height()), Qt::AlignCenter, right, font,
         QColor(kTextDim));
    return canvas.Take();
}

QImage ToneTrack(const Beds& beds) {
    Canvas canvas(TrackOn(beds, QStringLiteral("ScrollTone")));
    QPainter& p = canvas.painter;
    const double x = 22;
    Groove(p, QPointF(x, 12), QPointF(x, 316));
    const QFont font = Font(10, true);
    for (int k = 0; k <= 10; ++k) {
        const double y = std::floor(18 + 292.0 * k / 10) + 0.5;
        const int shift = 5 - k;
        const bool major = shift == 0 || shift == 5 || shift == -5;
        p.setPen(QPen(QColor(shift == 0 ? kAmber : major ? kTextDim : kTextFaint), 1));
        p.drawLine(QPointF(37, y), QPointF(major ? 45 : 43, y));
        const QString label = shift > 0   ? QStringLiteral("+%1").arg(shift)
                              : shift < 0 ? QStringLiteral("−%1").arg(-shift)
                                          : QStringLiteral("0");
        Text(p, QRectF(46, y - 8, 24, 16), Qt::AlignLeft | Qt::AlignVCenter, label, font,
             QColor(shift == 0 ? kAmber : kTextDim));
    }
    // caption 变调 set vertically beside the scale
    const QFont caption = Font(15, true);
    Text(p, QRectF(72, 128, 20, 20), Qt::AlignCenter, QStringLiteral("变"), caption, QColor(kText));
    Text(p, QRectF(72, 150, 20, 20), Qt::AlignCenter, QStringLiteral("调"), caption, QColor(kText));
    return canvas.Take();
}

} // namespace

void AddTracks(SkinSet& skin, const Beds& beds) {
    const int scale = skin.Scale();
    skin.Add(skinnumbers::kThumb, RoundThumb(scale),
             QStringLiteral("round aluminium thumb with amber centre (transparent)"),
             QStringLiteral("BarPic of MyScrollBar(0…6, 19…27), MKnobFreq, MKnobDb, MKnobQ"));
    skin.Add(skinnumbers::kVolumeThumb, FaderCap(QSize(28, 14), scale, false, kAmber),
             QStringLiteral("fader cap with amber index line"),
             QStringLiteral("BarPic of MyScrollBar(7…16)"));
    skin.Add(skinnumbers::kToneThumb, FaderCap(QSize(28, 16), scale, false, kAmber),
             QStringLiteral("fader cap of the key shift"), QStringLiteral("BarPic of ScrollTone"));
    skin.Add(skinnumbers::kBalanceThumb, FaderCap(QSize(18, 24), scale, true, qRgb(0x30, 0x33, 0x38)),
             QStringLiteral("balance cap with dark index line"),
             QStringLiteral("BarPic of MyScrollBar(17, 18)"));
    skin.Add(skinnumbers::kBalanceThumbCentre, FaderCap(QSize(18, 24), scale, true, kAmber, true),
             QStringLiteral("balance cap, centred: amber index line and rim"),
             QStringLiteral("MyScrollBar(17, 18) at position 80"));

    skin.Add(skinnumbers::kEffectTrack,
             HorizontalTrack(beds, QStringLiteral("MyScrollBar(0)"), 20, 209, 1, 15, {}, false),
             QStringLiteral("horizontal groove, thumb centre 20–209"),
             QStringLiteral("BackPic of MyScrollBar(0…2)"));
    skin.Add(skinnumbers::kEffectFill,
             HorizontalTrack(beds, QStringLiteral("MyScrollBar(0)"), 20, 209, 1, 15, {}, true),
             QStringLiteral("lit amber groove of %1 (transparent elsewhere)").arg(skinnumbers::kEffectTrack),
             QStringLiteral("fill of MyScrollBar(0…2) up to the thumb"));
    skin.Add(skinnumbers::kEffectTrackVertical,
             VerticalTrack(beds, QStringLiteral("MyScrollBar(3)"), 15, 14, 162),
             QStringLiteral("vertical groove, thumb centre 20–156"),
             QStringLiteral("BackPic of MyScrollBar(3…6)"));
    skin.Add(skinnumbers::kVolumeTrack, VerticalTrack(beds, QStringLiteral("MyScrollBar(7)"), 16, 12, 158),
             QStringLiteral("vertical fader groove, thumb centre 18–152"),
             QStringLiteral("BackPic of MyScrollBar(7…16)"));
    skin.Add(skinnumbers::kLimitTrack, VerticalTrack(beds, QStringLiteral("MyScrollBar(19)"), 17.5, 10, 130),
             QStringLiteral("vertical groove, thumb centre 16–124"),
             QStringLiteral("BackPic of MyScrollBar(19…24)"));
    skin.Add(skinnumbers::kMasterTrack, VerticalTrack(beds, QStringLiteral("MyScrollBar(25)"), 15, 18, 286),
             QStringLiteral("master fader groove, thumb centre 24–280"),
             QStringLiteral("BackPic of MyScrollBar(25…27)"));
    skin.Add(skinnumbers::kMasterFill,
             VerticalTrack(beds, QStringLiteral("MyScrollBar(25)"), 15, 18, 286, true),
             QStringLiteral("lit amber groove of %1 (transparent elsewhere)").arg(skinnumbers::kMasterTrack),
             QStringLiteral("fill of MyScrollBar(25…27) below the thumb"));
    skin.Add(skinnumbers::kToneTrack, ToneTrack(beds),
             QStringLiteral("key-shift groove with marks +5 … 0 … −5 and the caption 变调"),
             QStringLiteral("BackPic of ScrollTone (thumb centre 18–310)"));
    skin.Add(skinnumbers::kBalanceTrackMain,
             BalanceTrack(beds, QStringLiteral("MyScrollBar(17)"), QStringLiteral("L"), QStringLiteral("R")),
             QStringLiteral("balance groove L … R with a centre mark"),
             QStringLiteral("BackPic of MyScrollBar(17)"));
    skin.Add(
        skinnumbers::kBalanceTrackSurround,
        BalanceTrack(beds, QStringLiteral("MyScrollBar(18)"), QStringLiteral("SL"), QStringLiteral("SR")),
        QStringLiteral("balance groove SL … SR with a centre mark"),
        QStringLiteral("BackPic of MyScrollBar(18)"));

    // knob tracks: slider positions of the marks; the thumb centre runs 56–256
    const auto freq = [](int index, const char* label) {
        return Mark{double(index), QString::fromLatin1(label)};
    };
    const std::vector<Mark> freqMarks = {freq(1, "20"),   freq(16, ""),    freq(41, "100"), freq(51, ""),
                                         freq(81, "500"), freq(131, "1k"), freq(141, ""),   freq(171, "5k"),
                                         freq(221, ""),   freq(241, "20k")};
    std::vector<Mark> dbMarks;
    for (int db = -15; db <= 15; db += 5) {
        const QString label = db > 0   ? QStringLiteral("+%1").arg(db)
                              : db < 0 ? QStringLiteral("−%1").arg(-db)
                                       : QStringLiteral("0");
        dbMarks.push_back(Mark{(10.0 * db + 150) / 2, label});
    }
    const std::vector<Mark> qMarks = {{0, QStringLiteral("0.1")}, {4, QStringLiteral("0.5")},
                                      {9, QStringLiteral("1")},   {19, QStringLiteral("2")},
                                      {29, QStringLiteral("3")},  {30, {}},
                                      {34, QStringLiteral("8")},  {41, QStringLiteral("15")}};
    skin.Add(skinnumbers::kKnobTrackFreq,
             HorizontalTrack(beds, QStringLiteral("MKnobFreq"), 56, 256, 241, 18, freqMarks, false),
             QStringLiteral("frequency knob groove, scale 20 Hz … 20k"),
             QStringLiteral("BackPic of MKnobFreq"));
    skin.Add(skinnumbers::kKnobTrackDb,
             HorizontalTrack(beds, QStringLiteral("MKnobDb"), 56, 256, 150, 18, dbMarks, false),
             QStringLiteral("gain knob groove, scale −15 … +15 dB"), QStringLiteral("BackPic of MKnobDb"));
    skin.Add(skinnumbers::kKnobTrackQ,
             HorizontalTrack(beds, QStringLiteral("MKnobQ"), 56, 256, 41, 18, qMarks, false),
             QStringLiteral("Q knob groove, scale 0.1 … 15"), QStringLiteral("BackPic of MKnobQ"));
    skin.Add(skinnumbers::kKnobFill,
             HorizontalTrack(beds, QStringLiteral("MKnobFreq"), 56, 256, 1, 18, {}, true),
             QStringLiteral("lit amber groove of the knob tracks (transparent elsewhere)"),
             QStringLiteral("fill of MKnobFreq, MKnobDb, MKnobQ up to the thumb"));
}

} // namespace korva::skingen
