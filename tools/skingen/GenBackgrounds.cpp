#include "Generators.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"

#include <QLinearGradient>

namespace korva::skingen {

using namespace style;

void DrawSliderTicks(QPainter& p, const DesignControl& slider, QPointF offset, int divisions,
                     const QStringList& labels) {
    const QRectF r = ExactRect(slider).translated(offset);
    const bool vertical = slider.IntProperty(QStringLiteral("DisplayType")) == 1;
    const double minPos = slider.IntProperty(QStringLiteral("MinPos"));
    const double maxPos = slider.IntProperty(QStringLiteral("MaxPos"));
    const QFont font = Font(10);
    p.save();
    for (int i = 0; i <= divisions; ++i) {
        const double t = minPos + (maxPos - minPos) * i / divisions;
        const bool major = i == 0 || i == divisions || 2 * i == divisions;
        p.setPen(QPen(QColor(major ? kTextDim : kTextFaint), 1));
        if (vertical) {
            const double y = std::floor(r.top() + t) + 0.5;
            p.drawLine(QPointF(r.right() + 2, y), QPointF(r.right() + (major ? 8 : 6), y));
            if (i < labels.size() && !labels[i].isEmpty()) {
                Text(p, QRectF(r.right() + 10, y - 8, 30, 16), Qt::AlignLeft | Qt::AlignVCenter, labels[i],
                     font, QColor(kTextDim));
            }
        } else {
            const double x = std::floor(r.left() + t) + 0.5;
            p.drawLine(QPointF(x, r.bottom() + 1), QPointF(x, r.bottom() + (major ? 6 : 4)));
            if (i < labels.size() && !labels[i].isEmpty()) {
                Text(p, QRectF(x - 20, r.bottom() + 6, 40, 14), Qt::AlignCenter, labels[i], font,
                     QColor(kTextDim));
            }
        }
    }
    p.restore();
}

void DrawGroupBox(QPainter& p, const QRectF& r, const QString& caption, const QString& english) {
    p.save();
    p.setBrush(Qt::NoBrush);
    // an engraved outline: a dark groove with a light lower lip
    p.setPen(QPen(WithAlpha(kEdgeLight, 150), 1));
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -0.5, -0.5), 6, 6);
    p.setPen(QPen(QColor(kEdgeDark), 1));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -1.5, -1.5), 6, 6);
    p.restore();
    if (!caption.isEmpty()) {
        DrawCaption(p, QPointF(r.left() + 12, r.top() + 7), caption, english, true);
    }
}

void DrawCaption(QPainter& p, QPointF at, const QString& caption, const QString& english, bool accent) {
    p.save();
    if (accent) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kAmber));
        p.drawRoundedRect(QRectF(at.x(), at.y() + 3, 3, 13), 1, 1);
        at.rx() += 8;
    }
    const QFont cap = Font(13, true);
    Text(p, QRectF(at.x(), at.y(), 200, 20), Qt::AlignLeft | Qt::AlignVCenter, caption, cap, QColor(kText));
    const double w = QFontMetricsF(cap).horizontalAdvance(caption);
    Text(p, QRectF(at.x() + w + 8, at.y() + 1, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, english,
         Font(9, true, 1.5), QColor(kTextFaint));
    p.restore();
}

namespace {

QRectF Union(const DesignForm& d, std::initializer_list<const char*> names) {
    QRectF u;
    for (const char* n : names) {
        u = u.united(ExactRect(d, QString::fromLatin1(n)));
    }
    return u;
}

void ResizeGrip(QPainter& p, const QRectF& r) {
    p.save();
    p.setPen(Qt::NoPen);
    for (int row = 0; row < 3; ++row) {
        for (int col = 2 - row; col < 3; ++col) {
            const QPointF c(r.left() + 4 + col * 4.5, r.top() + 4 + row * 4.5);
            p.setBrush(QColor(kEdgeDark));
            p.drawRect(QRectF(c + QPointF(0.5, 0.5), QSizeF(2, 2)));
            p.setBrush(QColor(kTextFaint));
            p.drawRect(QRectF(c, QSizeF(2, 2)));
        }
    }
    p.restore();
}

// Tool bar plates and their captions.
void ToolBar(QPainter& p, const DesignForm& d) {
    const double top = 42;
    const double height = 54;
    const QRectF channels(18, top, ExactRect(d, QStringLiteral("btnParaShow")).right() + 10 - 18, height);
    Plate(p, channels, 6);
    const QRectF group = Union(d, {"btnShowMode", "btnUp1", "btnDown1"});
    Plate(p, QRectF(group.left() - 10, top, group.width() + 20, height), 6);
    const QRectF fbx = Union(d, {"btnFBX", "btnUp2", "btnDown2"});
    Plate(p, QRectF(fbx.left() - 10, top, fbx.width() + 20, height), 6);
    const QRectF tools = Union(d, {"SimpControl4", "btnLock"});
    Plate(p, QRectF(tools.left() - 10, top, 1565 - (tools.left() - 10), height), 6);

    // caption block left of the channel buttons
    const double capRight = ExactRect(d, QStringLiteral("btnMode(0)")).left() - 6;
    Text(p, QRectF(24, top + 9, capRight - 24, 20), Qt::AlignCenter, QStringLiteral("均衡通道"),
         Font(13, true), QColor(kText));
    Text(p, QRectF(24, top + 29, capRight - 24, 14), Qt::AlignCenter, QStringLiteral("EQ CHANNEL"),
         Font(8, true, 1.0), QColor(kTextFaint));
    // hairline between the input channels and the others, and before the panel button
    const auto separator = [&](double x) {
        p.setPen(QPen(QColor(kEdgeDark), 1));
        p.drawLine(QPointF(x + 0.5, top + 10), QPointF(x + 0.5, top + height - 10));
        p.setPen(QPen(QColor(kEdgeLight), 1));
        p.drawLine(QPointF(x + 1.5, top + 10), QPointF(x + 1.5, top + height - 10));
    };
    separator(std::floor((ExactRect(d, QStringLiteral("btnMode(2)")).right() +
                          ExactRect(d, QStringLiteral("btnMode(3)")).left()) /
                         2));
    separator(std::floor((ExactRect(d, QStringLiteral("btnMode(6)")).right() +
                          ExactRect(d, QStringLiteral("btnParaShow")).left()) /
                         2));
    separator(std::floor((ExactRect(d, QStringLiteral("SimpControl7")).right() +
                          ExactRect(d, QStringLiteral("btnSave")).left()) /
                         2));
    separator(std::floor(
        (ExactRect(d, QStringLiteral("btnUpload")).right() + ExactRect(d, QStringLiteral("btnLock")).left()) /
        2));
}

// The strip under the graph: selected point and the three knobs with their captions.
void EqStrip(QPainter& p, const DesignForm& d) {
    const QRectF strip(18, 494, ExactRect(d, QStringLiteral("MKnobQ")).right() + 24 - 18, 94);
    Plate(p, strip, 6);
    const double split = std::floor((ExactRect(d, QStringLiteral("btnRight1")).right() +
                                     ExactRect(d, QStringLiteral("MKnobFreq")).left()) /
                                    2);
    p.setPen(QPen(QColor(kEdgeDark), 1));
    p.drawLine(QPointF(split + 0.5, strip.top() + 10), QPointF(split + 0.5, strip.bottom() - 10));
    p.setPen(QPen(QColor(kEdgeLight), 1));
    p.drawLine(QPointF(split + 1.5, strip.top() + 10), QPointF(split + 1.5, strip.bottom() - 10));

    struct Knob {
        const char* name;
        const char* caption;
        const char* english;
        const char* unit;
    };
    const Knob knobs[] = {{"MKnobFreq", "频率", "FREQUENCY", "Hz"},
                          {"MKnobDb", "增益", "GAIN", "dB"},
                          {"MKnobQ", "Q 值", "BANDWIDTH", "Q"}};
    for (const Knob& k : knobs) {
        const QRectF r = ExactRect(d, QString::fromLatin1(k.name));
        DrawCaption(p, QPointF(r.left() + 8, strip.top() + 6), QString::fromUtf8(k.caption),
                    QString::fromLatin1(k.english), true);
        Text(p, QRectF(r.left() + 8, strip.top() + 7, r.width() - 16, 18), Qt::AlignRight | Qt::AlignVCenter,
             QString::fromLatin1(k.unit), Font(11, true), QColor(kTextDim));
    }
}

// The master section: three faders with scales and names, and the key shift.
void Master(QPainter& p, const DesignForm& d) {
    const QRectF box(1196, 494, 1565 - 1196, 398);
    Plate(p, box, 6);
    const QRectF faders = Union(d, {"MyScrollBar(25)", "MyScrollBar(27)"});
    DrawCaption(p, QPointF(box.left() + 12, box.top() + 6), QStringLiteral("主音量"),
                QStringLiteral("MASTER"), true);
    const QRectF tone = ExactRect(d, QStringLiteral("ScrollTone"));
    Text(p, QRectF(tone.left(), box.top() + 6, tone.width(), 18), Qt::AlignCenter, QStringLiteral("KEY"),
         Font(9, true, 1.5), QColor(kTextFaint));
    const QStringList scale = {QStringLiteral("80"), {}, QStringLiteral("60"), {}, QStringLiteral("40"), {},
                               QStringLiteral("20"), {}, QStringLiteral("0")};
    const char* names[] = {"音乐", "话筒", "效果"};
    for (int i = 0; i < 3; ++i) {
        const DesignControl& s = Control(d, QStringLiteral("MyScrollBar(%1)").arg(25 + i));
        DrawSliderTicks(p, s, {}, 8, scale);
        const QRectF r = ExactRect(s);
        Text(p, QRectF(r.center().x() - 30, r.bottom() + 4, 60, 20), Qt::AlignCenter,
             QString::fromUtf8(names[i]), Font(14, true), QColor(kText));
    }
    p.setPen(QPen(QColor(kEdgeDark), 1));
    const double split = std::floor((faders.right() + 30 + tone.left()) / 2) - 4;
    p.drawLine(QPointF(split + 0.5, box.top() + 12), QPointF(split + 0.5, box.bottom() - 12));
    p.setPen(QPen(QColor(kEdgeLight), 1));
    p.drawLine(QPointF(split + 1.5, box.top() + 12), QPointF(split + 1.5, box.bottom() - 12));
}

QImage MainBackground(const DesignForm& d, int scale) {
    Canvas canvas(QSize(1582, 900), scale);
    QPainter& p = canvas.painter;
    QLinearGradient g(0, 0, 0, 900);
    g.setColorAt(0, QColor(kWindowTop));
    g.setColorAt(1, QColor(kWindowBottom));
    p.fillRect(canvas.Rect(), g);

    ToolBar(p, d);
    const QRectF graph = ExactRect(d, QStringLiteral("Picture1"));
    Recess(p, graph.adjusted(-4, -4, 4, 4), 6, kEdgeDark);
    EqStrip(p, d);
    Master(p, d);
    const QRectF deck = ExactRect(d, QStringLiteral("Frame1"));
    Recess(p, deck.adjusted(-6, -6, 6, 6), 8, kEdgeDark);
    ResizeGrip(p, ExactRect(d, QStringLiteral("Label1")));
    return canvas.Take();
}

QImage TitleStrip(const DesignForm& d, int scale) {
    const QSize size = PixelRect(d, QStringLiteral("SimpControl2")).size();
    Canvas canvas(size, scale);
    QPainter& p = canvas.painter;
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(qRgb(0x2c, 0x2f, 0x35)));
    g.setColorAt(0.5, QColor(kTitle));
    g.setColorAt(1, QColor(qRgb(0x19, 0x1b, 0x1f)));
    p.fillRect(canvas.Rect(), g);
    p.setPen(QPen(QColor(kEdgeDark), 1));
    p.drawLine(QPointF(0, size.height() - 1.5), QPointF(size.width(), size.height() - 1.5));
    // amber hairline under the whole strip, brightest in the middle
    QLinearGradient line(0, 0, size.width(), 0);
    line.setColorAt(0, WithAlpha(kAmber, 30));
    line.setColorAt(0.5, WithAlpha(kAmber, 150));
    line.setColorAt(1, WithAlpha(kAmber, 30));
    p.setPen(QPen(QBrush(line), 1));
    p.drawLine(QPointF(0, size.height() - 0.5), QPointF(size.width(), size.height() - 0.5));

    // caption KORVA音响调节器 with the brand in amber
    const QFont brand = Font(20, true, 2.5);
    const QString korva = QStringLiteral("KORVA");
    GlowText(p, QRectF(28, 0, 200, size.height() - 2), Qt::AlignLeft | Qt::AlignVCenter, korva, brand,
             QColor(kAmber), 40);
    const double w = QFontMetricsF(brand).horizontalAdvance(korva);
    Text(p, QRectF(28 + w + 4, 0, 300, size.height() - 2), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("音响调节器"), Font(17, true), QColor(kText));
    Text(p, QRectF(28 + w + 104, 2, 400, size.height() - 2), Qt::AlignLeft | Qt::AlignVCenter,
         QStringLiteral("KARAOKE DSP PROCESSOR  ·  USB"), Font(9, true, 1.5), QColor(kTextFaint));
    // a hairline before the close button
    const QRectF close = ExactRect(d, QStringLiteral("btnClose"));
    p.setPen(QPen(QColor(kEdgeDark), 1));
    p.drawLine(QPointF(close.left() - 8.5, 8), QPointF(close.left() - 8.5, size.height() - 8));
    p.setPen(QPen(QColor(kEdgeLight), 1));
    p.drawLine(QPointF(close.left() - 7.5, 8), QPointF(close.left() - 7.5, size.height() - 8));
    return canvas.Take();
}

QImage DefaultButton(int scale) {
    QImage plate = NewImage(QSize(32, 32), scale);
    plate.fill(QColor(kPlate));
    Canvas canvas(plate);
    ButtonFace(canvas.painter, canvas.Rect(), Face::Normal);
    return canvas.Take();
}

} // namespace

void AddBackgrounds(SkinSet& skin, const DesignForm& design) {
    skin.Add(
        skinnumbers::kMainBackground, MainBackground(design, skin.Scale()),
        QStringLiteral("main window background: tool bar plates, graph bezel, EQ strip with knob captions "
                       "(频率, 增益, Q 值), master section with scales and names (音乐, 话筒, 效果), lower "
                       "deck, resize grip"),
        QStringLiteral("frmEQ BackPic"));
    skin.Add(skinnumbers::kDefaultButton, DefaultButton(skin.Scale()), QStringLiteral("blank button face"),
             QStringLiteral("SimpControl default Pics (no control of the window)"));
    skin.Add(skinnumbers::kTitleStrip, TitleStrip(design, skin.Scale()),
             QStringLiteral("title strip with the caption KORVA音响调节器"), QStringLiteral("SimpControl2"));
}

} // namespace korva::skingen
