#include "Generators.h"
#include "SkinStyle.h"
#include "design/SkinNumbers.h"

namespace korva::skingen {

using namespace style;

namespace {

// Frame-relative rectangle of a control of a panel.
QRectF At(const DesignForm& d, const QString& name) {
    return ExactRect(d, name);
}
QRectF At(const DesignForm& d, const char* name) {
    return ExactRect(d, QString::fromLatin1(name));
}

// A plate filling the frame, over the window background that shows at its rounded corners.
QImage PanelBase(const SkinSet& skin, const DesignForm& d, const QString& frame) {
    Canvas canvas(CopyPart(skin.Image(d.BackPic), PixelRect(d, frame)));
    Plate(canvas.painter, canvas.Rect(), 6);
    return canvas.Take();
}

void Hint(QPainter& p, const QRectF& r, const QString& text, int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    Text(p, r, flags, text, Font(11), QColor(kTextFaint));
}

void Label(QPainter& p, const QRectF& r, const QString& text, int flags = Qt::AlignCenter, double size = 13) {
    Text(p, r, flags, text, Font(size, true), QColor(kText));
}

// The three tab areas at the top of every parameter panel; `active` is this panel's own tab.
void Tabs(QPainter& p, int active) {
    // hit areas of the window's tab handling, in design pixels
    const QRectF tabs[3] = {QRectF(715, 18, 109, 37), QRectF(834, 18, 111, 37), QRectF(953, 18, 113, 37)};
    const char* names[3] = {"效果参数", "音量分配", "开机参数"};
    Recess(p, QRectF(709, 12, 363, 49), 7, qRgb(0x17, 0x18, 0x1b));
    for (int i = 0; i < 3; ++i) {
        const bool on = i == active;
        const QRectF label = ButtonFace(p, tabs[i], on ? Face::Lit : Face::Normal, 5);
        if (on) {
            GlowText(p, label, Qt::AlignCenter, QString::fromUtf8(names[i]), Font(14, true), QColor(kAmber),
                     45);
        } else {
            Text(p, label, Qt::AlignCenter, QString::fromUtf8(names[i]), Font(14, true), QColor(kTextDim));
        }
    }
}

QImage EffectPanel(const SkinSet& skin, const DesignForm& d) {
    Canvas canvas(PanelBase(skin, d, QStringLiteral("Frame2(0)")));
    QPainter& p = canvas.painter;
    Tabs(p, 0);
    DrawGroupBox(p, QRectF(12, 8, 468, 274), QStringLiteral("回声"), QStringLiteral("ECHO"));
    const char* echo[3] = {"回声次数", "回声延时", "回声音量"};
    const char* echoUnit[3] = {"", "ms", ""};
    for (int i = 0; i < 3; ++i) {
        const DesignControl& s = Control(d, QStringLiteral("MyScrollBar(%1)").arg(i));
        const QRectF r = ExactRect(s);
        Label(p, QRectF(24, r.top(), r.left() - 34, r.height()), QString::fromUtf8(echo[i]),
              Qt::AlignRight | Qt::AlignVCenter, 14);
        DrawSliderTicks(p, s, {}, 10);
        const QRectF n = At(d, QStringLiteral("MyNumber(%1)").arg(i));
        Text(p, QRectF(n.right() + 6, n.top(), 30, n.height()), Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromLatin1(echoUnit[i]), Font(11, true), QColor(kTextDim));
    }
    DrawGroupBox(p, QRectF(492, 8, 208, 274), QStringLiteral("残响"), QStringLiteral("REVERB"));
    const char* reverb[3] = {"残响音量", "残响延时", "残响时间"};
    for (int j = 0; j < 3; ++j) {
        const DesignControl& s = Control(d, QStringLiteral("MyScrollBar(%1)").arg(3 + j));
        const QRectF n = At(d, QStringLiteral("MyNumber(%1)").arg(3 + j));
        Label(p, QRectF(n.center().x() - 33, n.top() - 21, 66, 18), QString::fromUtf8(reverb[j]),
              Qt::AlignCenter, 12);
        DrawSliderTicks(p, s, {}, 8);
    }
    // the ranges of the effect values, beside the tabs
    DrawGroupBox(p, QRectF(712, 70, 436, 212), QStringLiteral("调节范围"), QStringLiteral("RANGES"));
    const char* ranges[6][2] = {{"回声次数", "0 – 127"}, {"回声延时", "15 – 275 ms"}, {"回声音量", "0 – 80"},
                                {"残响音量", "0 – 80"},  {"残响延时", "0 – 40"},      {"残响时间", "0 – 60"}};
    for (int i = 0; i < 6; ++i) {
        const QRectF cell(730 + (i / 3) * 208, 106 + (i % 3) * 26, 196, 22);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kBand));
        p.drawRoundedRect(cell, 4, 4);
        Text(p, cell.adjusted(10, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(ranges[i][0]),
             Font(12, true), QColor(kTextDim));
        Text(p, cell.adjusted(0, 0, -10, 0), Qt::AlignRight | Qt::AlignVCenter,
             QString::fromUtf8(ranges[i][1]), Font(12, true), QColor(kAmber));
    }
    Hint(p, QRectF(730, 196, 410, 18),
         QStringLiteral("效果的均衡在“效果均衡”通道中调节；效果送往各输出的开关在“音量分配”。"));
    Hint(p, QRectF(730, 222, 410, 18), QStringLiteral("鼠标停在滑块上时，可用方向键或滚轮逐级微调。"));
    return canvas.Take();
}

QImage VolumePanel(const SkinSet& skin, const DesignForm& d) {
    Canvas canvas(PanelBase(skin, d, QStringLiteral("Frame2(1)")));
    QPainter& p = canvas.painter;
    Tabs(p, 1);
    DrawGroupBox(p, QRectF(12, 8, 688, 274), QString(), QString());
    // columns left to right: slider, its name, and the group of the pair
    struct Column {
        int slider;
        const char* name;
    };
    const Column columns[10] = {{7, "话筒1-2"}, {8, "话筒3"},   {9, "音乐"},    {10, "话筒"}, {11, "音乐"},
                                {12, "话筒"},   {14, "开麦前"}, {13, "开麦后"}, {15, "音乐"}, {16, "话筒"}};
    const char* groups[5] = {"话筒音量", "辅助", "中置", "低音", "录音"};
    for (int k = 0; k < 10; ++k) {
        const DesignControl& s = Control(d, QStringLiteral("MyScrollBar(%1)").arg(columns[k].slider));
        const QRectF r = ExactRect(s);
        DrawSliderTicks(p, s, {}, 8);
        Label(p, QRectF(r.center().x() - 32, r.bottom() + 4, 64, 18), QString::fromUtf8(columns[k].name),
              Qt::AlignCenter, 12);
        if (k % 2 == 1) {
            const QRectF left = ExactRect(d, QStringLiteral("MyScrollBar(%1)").arg(columns[k - 1].slider));
            const double y = r.bottom() + 30;
            const double x0 = left.center().x() - 14;
            const double x1 = r.center().x() + 14;
            p.setPen(QPen(QColor(kTextFaint), 1));
            p.drawLine(QPointF(x0, y - 5), QPointF(x0, y + 0.5));
            p.drawLine(QPointF(x1, y - 5), QPointF(x1, y + 0.5));
            p.drawLine(QPointF(x0, y + 0.5), QPointF(x1, y + 0.5));
            const QRectF g((x0 + x1) / 2 - 40, y + 2, 80, 20);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(kPlate));
            p.drawRect(QRectF(g.center().x() - 32, y - 2, 64, 6));
            Text(p, g, Qt::AlignCenter, QString::fromUtf8(groups[k / 2]), Font(12, true), QColor(kTextDim));
        }
    }
    DrawGroupBox(p, QRectF(712, 70, 216, 212), QStringLiteral("声道平衡"), QStringLiteral("BALANCE"));
    const char* balance[2] = {"主声道  L — R", "辅声道  SL — SR"};
    for (int i = 0; i < 2; ++i) {
        const DesignControl& s = Control(d, QStringLiteral("MyScrollBar(%1)").arg(17 + i));
        const QRectF r = ExactRect(s);
        Label(p, QRectF(r.left() - 20, r.top() - 22, r.width() + 40, 18), QString::fromUtf8(balance[i]),
              Qt::AlignCenter, 12);
        DrawSliderTicks(p, s, {}, 2);
    }
    DrawGroupBox(p, QRectF(940, 70, 208, 212), QStringLiteral("效果与相位"), QStringLiteral("ROUTING"));
    const char* rows[4] = {"效果进中置", "效果进环绕", "效果进录音", "低音相位"};
    for (int r = 0; r < 4; ++r) {
        const QRectF b = At(d, QStringLiteral("MyButton(%1)").arg(2 * r));
        Label(p, QRectF(950, b.top(), b.left() - 956, b.height()), QString::fromUtf8(rows[r]),
              Qt::AlignLeft | Qt::AlignVCenter, 12);
    }
    return canvas.Take();
}

QImage SystemPanel(const SkinSet& skin, const DesignForm& d) {
    Canvas canvas(PanelBase(skin, d, QStringLiteral("Frame2(2)")));
    QPainter& p = canvas.painter;
    Tabs(p, 2);
    DrawGroupBox(p, QRectF(12, 8, 458, 274), QStringLiteral("开机音量限制"),
                 QStringLiteral("POWER-ON LIMITS"));
    const char* names[6] = {"音乐最小", "音乐最大", "话筒最小", "话筒最大", "效果最小", "效果最大"};
    for (int j = 0; j < 6; ++j) {
        const DesignControl& s = Control(d, QStringLiteral("MyScrollBar(%1)").arg(19 + j));
        const QRectF r = ExactRect(s);
        DrawSliderTicks(p, s, {}, 8);
        Label(p, QRectF(r.center().x() - 34, r.bottom() + 5, 68, 18), QString::fromUtf8(names[j]),
              Qt::AlignCenter, 12);
    }
    Hint(p, QRectF(28, 252, 430, 18), QStringLiteral("开机限制、开机模式与保存方式在“写入设备”后生效。"));
    DrawGroupBox(p, QRectF(482, 70, 666, 212), QStringLiteral("系统设置"), QStringLiteral("SYSTEM"));
    struct Setting {
        const char* first;
        const char* caption;
        const char* hint;
    };
    const Setting settings[4] = {{"btnStartModeI(0)", "输入选择", "输入 1–7，立即生效"},
                                 {"btnStartModeD(0)", "开机模式", "设备开机时调用的参数组"},
                                 {"btnSaveMode(0)", "保存方式", "设备自动或手动保存参数"},
                                 {"btnModeChange(0)", "工作模式", "卡拉OK（Ka）或扩声（PA），立即生效"}};
    for (const Setting& s : settings) {
        const QRectF r = At(d, s.first);
        Label(p, QRectF(r.left(), r.top() - 24, 90, 20), QString::fromUtf8(s.caption),
              Qt::AlignLeft | Qt::AlignVCenter);
        Hint(p, QRectF(r.left() + 66, r.top() - 23, 240, 20), QString::fromUtf8(s.hint));
    }
    return canvas.Take();
}

QImage PointGrid(const SkinSet& skin, const DesignForm& d) {
    Canvas canvas(PanelBase(skin, d, QStringLiteral("Frame1")));
    QPainter& p = canvas.painter;
    const double width = canvas.Rect().width();
    Text(p, QRectF(16, 8, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("均衡点参数"),
         Font(13, true), QColor(kText));
    Text(p, QRectF(100, 9, 200, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("EQ POINTS"),
         Font(9, true, 1.5), QColor(kTextFaint));
    Hint(p, QRectF(width - 420, 8, 404, 20), QStringLiteral("单击数值可直接键入新值，回车确认"),
         Qt::AlignRight | Qt::AlignVCenter);
    // one band per row, level with the buttons and displays the window lays out
    struct Row {
        QString first;
        const char* caption;
        const char* unit;
    };
    const Row rows[4] = {{QStringLiteral("btnShowDot1(0)"), "点位", ""},
                         {QStringLiteral("ShowNumberDot(0)"), "频率", "Hz"},
                         {QStringLiteral("ShowNumberDot(1)"), "增益", "dB"},
                         {QStringLiteral("ShowNumberDot(2)"), "Q 值", ""}};
    for (const Row& row : rows) {
        const QRectF r = At(d, row.first);
        const QRectF band(8, r.top() - 7, width - 16, r.height() + 14);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(kEdgeDark));
        p.drawRoundedRect(band.adjusted(0, 0, 0, 1), 5, 5);
        p.setBrush(QColor(kBand));
        p.drawRoundedRect(band, 5, 5);
        Label(p, QRectF(18, band.top(), 60, band.height()), QString::fromUtf8(row.caption),
              Qt::AlignLeft | Qt::AlignVCenter, 13);
        Text(p, QRectF(58, band.top(), 40, band.height()), Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromLatin1(row.unit), Font(11, true), QColor(kTextDim));
    }
    // hairlines that set the low-cut and high-cut columns apart from the bands
    const auto divider = [&](double x) {
        const double top = At(d, rows[0].first).top() - 7;
        const double bottom = At(d, rows[3].first).bottom() + 7;
        p.setPen(QPen(WithAlpha(kEdgeDark, 220), 1));
        p.drawLine(QPointF(x + 0.5, top), QPointF(x + 0.5, bottom));
    };
    divider(std::floor((At(d, "ShowNumberDot(46)").right() + At(d, "ShowNumberDot(0)").left()) / 2));
    divider(std::floor((At(d, "ShowNumberDot(42)").right() + At(d, "ShowNumberDot(45)").left()) / 2));
    Hint(p, QRectF(16, canvas.Rect().height() - 30, width - 32, 20),
         QStringLiteral("拖动曲线上的点、转动上方旋钮，或将鼠标停在曲线上用方向键与滚轮调节所选均衡点。"));
    return canvas.Take();
}

} // namespace

void AddPanels(SkinSet& skin, const DesignForm& design) {
    skin.Add(skinnumbers::kGridBackground, PointGrid(skin, design),
             QStringLiteral("EQ point grid background: row bands with captions 点位, 频率 Hz, 增益 dB, Q 值"),
             QStringLiteral("SimpControl5 (background of Frame1)"));
    skin.Add(skinnumbers::kPanelBackground, EffectPanel(skin, design),
             QStringLiteral(
                 "effect panel: tabs (效果参数 lit), groups 回声 (回声次数, 回声延时, 回声音量) and 残响 "
                 "(残响音量, 残响延时, 残响时间), signal-flow note"),
             QStringLiteral("SimpControl6(0), fills Frame2(0); its tab areas choose the panel"));
    skin.Add(
        skinnumbers::kPanelBackground + 1, VolumePanel(skin, design),
        QStringLiteral("volume panel: tabs (音量分配 lit), channel volumes (话筒1-2, 话筒3, 辅助, 中置, 低音 "
                       "开麦前/开麦后, 录音), 声道平衡, 效果进中置/环绕/录音, 低音相位"),
        QStringLiteral("SimpControl6(1), fills Frame2(1)"));
    skin.Add(skinnumbers::kPanelBackground + 2, SystemPanel(skin, design),
             QStringLiteral("system panel: tabs (开机参数 lit), 开机音量限制 (音乐最小 … 效果最大), 系统设置 "
                            "(输入选择, 开机模式, 保存方式, 工作模式)"),
             QStringLiteral("SimpControl6(2), fills Frame2(2)"));
}

} // namespace korva::skingen
