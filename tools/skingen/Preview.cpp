#include "Preview.h"

#include "SkinStyle.h"
#include "design/SkinNumbers.h"
#include "model/ListText.h"

#include <QPainterPath>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace korva::skingen {

using namespace style;

namespace {

// Sample state of the window: values of the bound controls (defaults of the processor) and picks.
int SampleValue(const DesignControl& c, const PreviewOptions& o) {
    const QString n = c.ObjectName();
    static const QMap<QString, int> values = {
        {QStringLiteral("MShowProgress"), 6},    {QStringLiteral("btnInput"), 1},
        {QStringLiteral("btnFBX"), 2},           {QStringLiteral("btnSaveMode(0)"), 1},
        {QStringLiteral("btnModeChange(0)"), 1}, {QStringLiteral("MyButton(0)"), 1},
        {QStringLiteral("MyButton(3)"), 1},      {QStringLiteral("MyButton(4)"), 1},
        {QStringLiteral("MyButton(6)"), 1},      {QStringLiteral("btnShowPointN"), 3},
        {QStringLiteral("btnShowDot1(3)"), 1},   {QStringLiteral("MKnobFreq"), 131},
        {QStringLiteral("MKnobDb"), 54},         {QStringLiteral("MKnobQ"), 14},
        {QStringLiteral("ScrollTone"), 5},       {QStringLiteral("MyScrollBar(6)"), 43}};
    if (n == QLatin1String("btnMode(0)") && !o.fullGrid) {
        return 1;
    }
    if (n == QLatin1String("btnMode(2)") && o.fullGrid) {
        return 1;
    }
    if (n == QLatin1String("btnParaShow")) {
        return o.panel >= 0 ? 1 : 0;
    }
    return values.value(n, 0);
}

// Store defaults for the sliders and displays, by the address in their binding text.
int DefaultOfTag(const QString& tag) {
    static const QMap<int, int> defaults = {
        {0x80, 73}, {0x81, 27}, {0x83, 60}, {0x84, 30},  {0x85, 35}, {0x86, 10}, {0x40, 80},
        {0x53, 64}, {0x0B, 72}, {0x0C, 56}, {0x12, 80},  {0x13, 66}, {0x19, 30}, {0x1A, 50},
        {0x22, 80}, {0x23, 70}, {0x00, 80}, {0x0A, 104}, {0xC5, 20}, {0xC8, 80}, {0xC6, 23},
        {0xC9, 80}, {0xC7, 32}, {0xCA, 80}, {0xC0, 20},  {0xC1, 25}, {0xC2, 30}};
    const QStringList parts = tag.split(QLatin1Char(','));
    const std::optional<int> address = parts.size() < 2 ? std::nullopt : ParseListNumber(parts[1]);
    if (!address) {
        return 0;
    }
    if (parts.size() > 2 && parts[2] == QLatin1String("EchoDly")) {
        static const int echoDelay[32] = {15,  17,  30,  34,  46,  51,  61,  68,  76,  85,  92,
                                          103, 108, 120, 123, 137, 140, 153, 155, 169, 172, 184,
                                          189, 200, 206, 215, 223, 230, 240, 246, 258, 275};
        return echoDelay[defaults.value(*address)];
    }
    return defaults.value(*address);
}

struct Band {
    double hz;
    double db;
    double q;
};

std::vector<Band> SampleBands(bool full) {
    if (full) {
        const double hz[15] = {26,   40,   64,   100,  160,  250,   400,  630,
                               1000, 1600, 2500, 4000, 6300, 10000, 16000};
        const double db[15] = {0, 0, -2.4, 0, 3.2, 0, -4.0, 0, 2.0, 0, 4.6, 0, -3.0, 0, 1.6};
        std::vector<Band> bands;
        for (int i = 0; i < 15; ++i) {
            bands.push_back({hz[i], db[i], 1.4});
        }
        return bands;
    }
    return {{56, 3.0, 1.4},    {130, -2.4, 1.4}, {400, 0, 1.4},     {1000, 4.2, 1.4},
            {2500, -3.6, 2.0}, {6300, 2.0, 1.4}, {16000, -1.0, 1.4}};
}

double FreqToX(double hz) {
    return (std::log10(hz) - 1) * 1588.0 / (std::log10(22000.0) - 1) - 60;
}
double DbToY(double db) {
    return 180 + (10 - 350) * db / 32;
}

// The graph roughly as the program draws it: grid, axis labels, a sampled curve and the markers.
void DrawGraph(QPainter& p, const QRectF& where, const SkinSet& skin, const PreviewOptions& o) {
    p.save();
    p.translate(where.topLeft());
    p.setClipRect(QRectF(QPointF(0, 0), where.size()));
    p.drawImage(0, 0, skin.Image(skinnumbers::kGraphBackground));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(128, 128, 128, 64), 1));
    for (double decade = 10; decade <= 10000; decade *= 10) {
        for (int m = 1; m <= (decade == 10000 ? 2 : 9); ++m) {
            const double x = std::round(FreqToX(decade * m));
            p.drawLine(QPointF(x, 10), QPointF(x, 350));
        }
    }
    for (int k = 1; k <= 3; ++k) {
        const double y = std::round(10 + k * 340.0 / 4);
        p.drawLine(QPointF(0, y), QPointF(1588, y));
    }
    const QColor label(170, 170, 170);
    const QFont font = Font(12);
    const auto at = [&](double x, double y, const QString& t) {
        Text(p, QRectF(x, y, 80, 16), Qt::AlignLeft | Qt::AlignTop, t, font, label);
    };
    at(FreqToX(20) - 14, 353, QStringLiteral("20Hz"));
    at(FreqToX(100) - 14, 353, QStringLiteral("100Hz"));
    at(FreqToX(1000) - 14, 353, QStringLiteral("1KHz"));
    at(FreqToX(10000) - 14, 353, QStringLiteral("10KHz"));
    at(FreqToX(20000) - 18, 353, QStringLiteral("20KHz"));
    at(7, DbToY(15) - 6, QStringLiteral("+15dB"));
    at(7, DbToY(8) - 6, QStringLiteral("8"));
    at(7, DbToY(0) - 6, QStringLiteral("0"));
    at(7, DbToY(-8) - 6, QStringLiteral("-8"));
    at(7, DbToY(-15) - 6, QStringLiteral("-15dB"));

    const std::vector<Band> bands = SampleBands(o.fullGrid);
    QPainterPath curve;
    for (int x = 0; x <= 1528; ++x) {
        const double f = std::pow(10.0, 1 + (x + 60) * (std::log10(22000.0) - 1) / 1588.0);
        double db = 0;
        for (const Band& b : bands) {
            const double octaves = std::log2(f / b.hz);
            db += b.db * std::exp(-octaves * octaves * b.q * b.q * 1.2);
        }
        if (f < 60 && !o.fullGrid) {
            db -= 0; // the low-cut sits at 18 Hz
        }
        const QPointF pt(x, DbToY(db));
        x == 0 ? curve.moveTo(pt) : curve.lineTo(pt);
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(QColor(kAmber), 3));
    p.drawPath(curve);
    for (size_t i = 0; i < bands.size(); ++i) {
        const int number = (i == 3 ? skinnumbers::kMarkerBandSelected : skinnumbers::kMarkerBand) + int(i);
        p.drawImage(QPointF(std::round(FreqToX(bands[i].hz)) - 10, std::round(DbToY(bands[i].db)) - 10),
                    skin.Image(number));
    }
    p.drawImage(QPointF(std::round(FreqToX(18)) - 10, 180 - 10), skin.Image(skinnumbers::kMarkerLowCut));
    if (o.fullGrid) {
        p.drawImage(QPointF(std::round(FreqToX(20000)) - 10, 180 - 10),
                    skin.Image(skinnumbers::kMarkerHighCut));
    }
    // labels of the selected point
    const Band& s = bands[3];
    const double sx = std::round(FreqToX(s.hz)) + 15;
    const double sy = std::round(DbToY(s.db));
    const QColor white(255, 255, 255, 176);
    Text(p, QRectF(sx, sy - 16, 90, 14), Qt::AlignLeft, QStringLiteral("%1Hz").arg(s.hz), font, white);
    Text(p, QRectF(sx, sy - 4, 90, 14), Qt::AlignLeft, QStringLiteral("%1dB").arg(s.db, 0, 'f', 1), font,
         white);
    Text(p, QRectF(sx, sy + 8, 90, 14), Qt::AlignLeft, QStringLiteral("%1 Q").arg(s.q, 0, 'f', 1), font,
         white);
    if (o.bypass) {
        p.drawImage(620, 200, skin.Image(skinnumbers::kBypassOverlay));
    }
    p.restore();
}

void DrawNumber(QPainter& p, const DesignControl& c, const QRectF& r, int value, const SkinSet& skin) {
    const int back = c.IntProperty(QStringLiteral("BackPic"));
    if (back != 0 && skin.Find(back) != nullptr) {
        p.drawImage(r.topLeft(), skin.Image(back));
    }
    const int digit0 = c.IntProperty(QStringLiteral("PicNumber"), skinnumbers::kDigit0);
    const QList<int> glyphs =
        ShowNumberGlyphs(value, c.IntProperty(QStringLiteral("Div10")) != 0, digit0,
                         c.IntProperty(QStringLiteral("PicDig"), skinnumbers::kDecimalPoint));
    const QImage& d0 = skin.Image(digit0);
    double x = std::max(0.0, (r.width() - glyphs.size() * d0.width()) / 2);
    const double y = std::max(0.0, (r.height() - d0.height()) / 2);
    for (const int g : glyphs) {
        p.drawImage(QPointF(r.left() + std::floor(x), r.top() + std::floor(y)), skin.Image(g));
        x += skin.Image(g).width();
    }
}

void DrawSlider(QPainter& p, const DesignControl& c, const QRectF& r, int value, const SkinSet& skin) {
    const int back = c.IntProperty(QStringLiteral("BackPic"));
    const int bar = c.IntProperty(QStringLiteral("BarPic"));
    const int maxValue = c.IntProperty(QStringLiteral("MaxValue"), 86);
    const bool vertical = c.IntProperty(QStringLiteral("DisplayType")) == 1;
    const int position = SliderPosition(c, value);
    const double minPos = c.IntProperty(QStringLiteral("MinPos"));
    const double t = minPos + (c.IntProperty(QStringLiteral("MaxPos")) - minPos) * position / maxValue;
    p.drawImage(r.topLeft(), skin.Image(back));
    const int fill = back == skinnumbers::kMasterTrack   ? skinnumbers::kMasterFill
                     : back == skinnumbers::kEffectTrack ? skinnumbers::kEffectFill
                     : (back >= skinnumbers::kKnobTrackFreq && back <= skinnumbers::kKnobTrackQ)
                         ? skinnumbers::kKnobFill
                         : 0;
    if (fill == skinnumbers::kMasterFill) {
        const QImage& f = skin.Image(fill);
        p.drawImage(QPointF(r.left(), r.top() + t), f, QRectF(0, t, f.width(), f.height() - t));
    } else if (fill != 0) {
        const QImage& f = skin.Image(fill);
        p.drawImage(r.topLeft(), f, QRectF(0, 0, t, f.height()));
    }
    const int thumb =
        (bar == skinnumbers::kBalanceThumb && position == 80) ? skinnumbers::kBalanceThumbCentre : bar;
    const QImage& b = skin.Image(thumb);
    const double other = c.IntProperty(QStringLiteral("StableOtherPos"));
    p.drawImage(vertical ? QPointF(r.left() + other, r.top() + t - b.height() / 2.0)
                         : QPointF(r.left() + t - b.width() / 2.0, r.top() + other),
                b);
}

void DrawSimp(QPainter& p, const DesignControl& c, const QRectF& r, int value, const SkinSet& skin) {
    const QList<int> pics = c.IntListProperty(QStringLiteral("Pics"));
    const QList<int> xs = c.IntListProperty(QStringLiteral("PosX"));
    const QList<int> ys = c.IntListProperty(QStringLiteral("PosY"));
    const int valueIndex = c.IntProperty(QStringLiteral("ValueIndex"));
    for (int i = 0; i < pics.size(); ++i) {
        const int number = pics[i] + (i == valueIndex ? value : 0);
        if (skin.Find(number) != nullptr) {
            p.drawImage(r.topLeft() + QPointF(i < xs.size() ? xs[i] : 0, i < ys.size() ? ys[i] : 0),
                        skin.Image(number));
        }
    }
}

bool HiddenInPreview(const DesignControl& c, const PreviewOptions& o) {
    if (!c.Visible) {
        return true;
    }
    if (o.fullGrid) {
        return false;
    }
    // music channel: bands 1-7 and the low-cut column
    static const QRegularExpression indexed(QStringLiteral("^(btnShowDot1|ShowNumberDot)\\((\\d+)\\)$"));
    const QRegularExpressionMatch m = indexed.match(c.ObjectName());
    if (!m.hasMatch()) {
        return false;
    }
    const int i = m.captured(2).toInt();
    return m.captured(1) == QLatin1String("btnShowDot1") ? (i >= 7 && i != 16) : (i >= 21 && i != 46);
}

int SampleNumber(const DesignControl& c, bool full) {
    const QString n = c.ObjectName();
    if (!n.startsWith(QLatin1String("ShowNumberDot("))) {
        return DefaultOfTag(c.PropertyValue(QStringLiteral("TagNew")));
    }
    const int i = n.mid(14, n.size() - 15).toInt();
    if (i == 45) {
        return 20000;
    }
    if (i == 46) {
        return 18;
    }
    const std::vector<Band> bands = SampleBands(full);
    const Band& b = bands[size_t(std::min<int>(i / 3, int(bands.size()) - 1))];
    return i % 3 == 0 ? int(b.hz) : i % 3 == 1 ? int(std::lround(b.db * 10)) : int(std::lround(b.q * 10));
}

void DrawControl(QPainter& p, const DesignControl& c, const QRectF& r, const SkinSet& skin,
                 const PreviewOptions& o) {
    if (c.Type == DesignType::SimpControl) {
        DrawSimp(p, c, r, SampleValue(c, o), skin);
    } else if (c.Type == DesignType::ShowNumber) {
        DrawNumber(p, c, r, SampleNumber(c, o.fullGrid), skin);
    } else if (c.Type == DesignType::ScrollBar) {
        const int v = c.PropertyValue(QStringLiteral("TagNew")).isEmpty()
                          ? SampleValue(c, o)
                          : DefaultOfTag(c.PropertyValue(QStringLiteral("TagNew")));
        DrawSlider(p, c, r, v, skin);
    } else if (c.Type == DesignType::PictureBox) {
        DrawGraph(p, r, skin, o);
    } else if (c.Type == DesignType::CheckBox) {
        p.save();
        p.setPen(QColor(kTextFaint));
        p.setBrush(QColor(kRecess));
        p.drawRect(QRectF(r.left() + 1.5, r.center().y() - 5.5, 11, 11));
        Text(p, r.adjusted(18, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
             c.PropertyValue(QStringLiteral("Caption")), Font(12), QColor(kTextDim));
        p.restore();
    }
}

} // namespace

QList<int> ShowNumberGlyphs(int value, bool div10, int digit0, int point) {
    QList<int> glyphs;
    for (const QChar ch : QString::number(std::abs(value))) {
        glyphs.append(digit0 + ch.digitValue());
    }
    if (value < 0) {
        glyphs.prepend(point + 1);
    }
    if (div10 && value != 0) {
        if (glyphs.last() != digit0) {
            glyphs.insert(glyphs.size() - 1, point);
            const int at = glyphs.indexOf(point);
            if (at == 0 || (at == 1 && glyphs[0] == point + 1)) {
                glyphs.insert(at, digit0);
            }
        } else {
            glyphs.removeLast();
        }
    }
    return glyphs;
}

int SliderPosition(const DesignControl& slider, int value) {
    const int maxValue = slider.IntProperty(QStringLiteral("MaxValue"), 86);
    int v = value;
    if (slider.IntProperty(QStringLiteral("isQ")) != 0) {
        // nearbyint rounds ties to the even neighbour
        v = v == 0 ? 0 : v > 30 ? int(std::nearbyint((v - 15) / 4.0 + 26)) : v - 1;
    }
    v = std::clamp(v, 0, maxValue);
    return slider.IntProperty(QStringLiteral("ChangeMinMax")) != 0 ? maxValue - v : v;
}

QImage RenderPreview(const DesignForm& design, const SkinSet& skin, const PreviewOptions& options) {
    Canvas canvas(skin.Image(design.BackPic));
    QPainter& p = canvas.painter;
    const QString shownFrame =
        options.panel < 0 ? QStringLiteral("Frame1") : QStringLiteral("Frame2(%1)").arg(options.panel);
    for (const DesignControl& c : design.Controls) {
        if (!c.Rect) {
            continue;
        }
        QRectF r = ExactRect(c);
        if (!c.Parent.isEmpty()) {
            if (c.Parent != shownFrame || HiddenInPreview(c, options)) {
                continue;
            }
            r.translate(ExactRect(design, c.Parent).topLeft());
        } else if (c.Type == DesignType::Frame || HiddenInPreview(c, options)) {
            continue;
        }
        if (options.fullGrid && c.ObjectName() == QLatin1String("btnShowSub1")) {
            r.moveLeft(ExactRect(design, QStringLiteral("btnMode(2)")).left());
        }
        DrawControl(p, c, r, skin, options);
    }
    const QImage window = canvas.Take();
    // the window's rounded corners
    Canvas out(window.size(), 1);
    QPainterPath region;
    region.addRoundedRect(out.Rect(), 20, 20);
    out.painter.setClipPath(region);
    out.painter.drawImage(0, 0, window);
    return out.Take();
}

} // namespace korva::skingen
